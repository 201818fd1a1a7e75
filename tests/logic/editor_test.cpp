// The line editor in process, key by key: one row per case, the field of
// Part of the terminal rename (columns 2 to 79 of an 80-column console).
#include "interactive/editor.h"

#include <gtest/gtest.h>

#include "fakes/in_process.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

const std::string kHome = "\0\x47"s, kEnd = "\0\x4f"s, kLeft = "\0\x4b"s, kRight = "\0\x4d"s;
const std::string kIns = "\0\x52"s, kDel = "\0\x53"s, kF1 = "\0\x3b"s, kF10 = "\0\x44"s;
const std::string kUp = "\0\x48"s, kDown = "\0\x50"s, kPgUp = "\0\x49"s, kPgDn = "\0\x51"s;
const std::string A253(253, 'a'), A254(254, 'a'), A255(255, 'a');

struct Row {
    const char* name;
    std::string initial;
    bool overwrite;
    int start;  // column and position on entry
    std::string keys;
    std::string text;
    int extended, last_key, column, position;
    bool overwrite_after;
};
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

const Row kRows[] = {
    {"EnterKeeps", "abc", true, 4, "\r", "abc", 0, 13, 4, 4, true},
    {"OverwriteAppendsAtTheEnd", "abc", true, 4, "de\r", "abcde", 0, 13, 6, 6, true},
    {"OverwriteReplacesInTheMiddle", "abc", true, 4, kHome + "XY\r", "XYc", 0, 13, 3, 3, true},
    {"InsertInserts", "abc", false, 4, kHome + "XY\r", "XYabc", 0, 13, 3, 3, false},
    {"InsSwitchesToInsert", "abc", true, 4, kIns + kHome + "X\r", "Xabc", 0, 13, 2, 2, false},
    {"InsSwitchesBack", "abc", false, 4, kIns + kHome + "X\r", "Xbc", 0, 13, 2, 2, true},
    {"LeftThenDel", "abc", true, 4, kLeft + kLeft + kDel + "\r", "ac", 0, 13, 2, 2, true},
    {"LeftStopsAtTheStart", "ab", true, 3, kLeft + kLeft + kLeft + "X\r", "Xb", 0, 13, 2, 2, true},
    {"RightStopsAtTheEnd", "abc", true, 1, kRight + kRight + kRight + kRight + "\r", "abc", 0, 13,
     4, 4, true},
    {"HomeThenEnd", "abc", true, 2, kHome + kEnd + "\r", "abc", 0, 13, 4, 4, true},
    {"Backspace", "abc", true, 4, "\b\r", "ab", 0, 13, 3, 3, true},
    {"BackspaceInTheMiddle", "abc", false, 3, "\b\r", "ac", 0, 13, 2, 2, false},
    {"BackspaceAtTheStartDoesNothing", "abc", true, 1, "\b\r", "abc", 0, 13, 1, 1, true},
    {"DelAfterTheEndDoesNothing", "abc", true, 4, kDel + "\r", "abc", 0, 13, 4, 4, true},
    {"EscClearsThenEnter", "abc", true, 4, "\x1b\r", "", 0, 13, 1, 1, true},
    {"EscClearsThenTyping", "abc", true, 4, "\x1bxy\r", "xy", 0, 13, 3, 3, true},
    {"SecondEscEnds", "abc", true, 4, "\x1b\x1b", "", 0, 27, 1, 1, true},
    {"EscOnAnEmptyTextEnds", "", true, 1, "\x1b", "", 0, 27, 1, 1, true},
    {"EndOfKeysIsEsc", "", true, 1, "", "", 0, 27, 1, 1, true},
    {"F1EndsWithTheTextSoFar", "abc", true, 4, "d" + kF1, "abcd", 255, 59, 5, 5, true},
    {"F10Ends", "abc", true, 4, kF10, "abc", 255, 68, 4, 4, true},
    {"UpDownPageKeysDoNothing", "abc", true, 4, kUp + kDown + kPgUp + kPgDn + "\r", "abc", 0, 13, 4,
     4, true},
    {"TabAndControlBytesDoNothing", "abc", true, 4, "\t\x01\x1f\n\r", "abc", 0, 13, 4, 4, true},
    {"CharactersAboveAsciiAreTyped", "", true, 1, "\x82\xff\r", "\x82\xff", 0, 13, 3, 3, true},
    {"TypingStopsAt254", A253, false, 254, "bc\r", A253 + "b", 0, 13, 78, 255, false},
    {"OverwriteStillWorksAt254", A254, true, 1, "Z\r", "Z" + A254.substr(1), 0, 13, 2, 2, true},
    {"FullTextStaysOnItsLastCharacter", A255, true, 255, kRight + "Z\r", A254 + "Z", 0, 13, 77, 255,
     true},
    {"EndOfAFullText", A255, true, 1, kEnd + "\r", A255, 0, 13, 77, 255, true},
    {"EndOfALongText", A254, true, 1, kEnd + "\r", A254, 0, 13, 78, 255, true},
    {"ColumnIsKeptWithinThePosition", "abcdef", true, 3, "X\r", "abXdef", 0, 13, 4, 4, true},
};

class Editor : public InProcess, public ::testing::WithParamInterface<Row> {};

TEST_P(Editor, Row) {
    const Row& row = GetParam();
    Console::Reset(row.keys);
    bool overwrite = row.overwrite;
    uint8_t extended = 99, last_key = 99;
    uint8_t column = static_cast<uint8_t>(row.start), position = static_cast<uint8_t>(row.start);
    const ShortText text =
        READSTRING2(ShortText(row.initial), 2, 79, overwrite, extended, last_key, column, position);
    EXPECT_EQ(text, ShortText(row.text));
    EXPECT_EQ(extended, row.extended);
    EXPECT_EQ(last_key, row.last_key);
    EXPECT_EQ(column, row.column);
    EXPECT_EQ(position, row.position);
    EXPECT_EQ(overwrite, row.overwrite_after);
}

INSTANTIATE_TEST_SUITE_P(Table, Editor, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

ShortText Edit(const std::string& initial, bool overwrite, int start) {
    uint8_t extended = 0, last_key = 0;
    uint8_t column = static_cast<uint8_t>(start), position = static_cast<uint8_t>(start);
    return READSTRING2(ShortText(initial), 2, 79, overwrite, extended, last_key, column, position);
}

// What the editor wrote after measuring the console (GETTEXTMAXX moves the
// cursor along row 1 up to the column the console refuses, then back).
std::string AfterMeasuring() {
    const std::string all = Console::Transcript();
    const std::string probe_end = "{@80,1}";
    return all.substr(all.find(probe_end) + probe_end.size());
}

// The field: drawn from column 1 of the cursor's row, the cursor after the
// text, the block cursor in overwrite mode.
TEST_F(InProcess, TheFieldAndTheCursor) {
    Console::Reset("\r");
    GOTOXY(1, 3);
    Edit("abc", true, 4);
    EXPECT_EQ(Console::Row(3), "[abc" + std::string(74, ' ') + "]");
    EXPECT_EQ(WHEREX(), 5);
    EXPECT_EQ(AfterMeasuring(), "{@1,3}{@1,3}[abc" + std::string(74, ' ') + "]{@5,3}{big}");
}

// Keys that change neither the text nor the cursor write nothing; Ins only
// changes the cursor's shape.
TEST_F(InProcess, KeysThatChangeNothingWriteNothing) {
    Console::Reset(kUp + kDown + kPgUp + kPgDn + kDel + kRight + "\t" + kIns + kIns + "\r");
    Edit("abc", true, 4);
    EXPECT_EQ(AfterMeasuring(),
              "{@1,1}{@1,1}[abc" + std::string(74, ' ') + "]{@5,1}{big}{on}{big}");
}

// A text longer than the field scrolls, with markers for what is hidden.
TEST_F(InProcess, ALongTextScrollsWithMarkers) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += static_cast<char>('0' + i % 10);
    Console::Reset(kEnd + kF1);
    Edit(text, true, 1);
    EXPECT_EQ(Console::Row(1), "\x10" + text.substr(100 - 77) + "]");
    EXPECT_EQ(WHEREX(), 79);

    Console::Reset(kHome + kF1);
    Edit(text, true, 101);
    EXPECT_EQ(Console::Row(1), "[" + text.substr(0, 77) + "\x11");
    EXPECT_EQ(WHEREX(), 2);
}

// Typing at the right edge scrolls the field by one.
TEST_F(InProcess, TypingAtTheRightEdgeScrolls) {
    Console::Reset(std::string(80, 'x') + "\r");
    const ShortText text = Edit("", false, 1);
    EXPECT_EQ(text.size(), 80);
    EXPECT_EQ(Console::Row(1), "\x10" + std::string(77, 'x') + "]");
}

}  // namespace
}  // namespace dolv::fake

// The terminal rename in process: the name typed at the editor for each
// item, and what becomes of it.
#include <gtest/gtest.h>

#include "fakes/run_row.h"

namespace dolv::fake {
namespace {

using namespace std::string_literals;

struct Row {
    RunRow run;  // its console column is not checked: the field is
    const char* counts;
    const char* shows = nullptr;  // a piece of the console text, when not null
};
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.run.name;
}

const std::vector<std::string> kA{"a.txt", "/T"};

const Row kRows[] = {
    {{"EnterKeepsTheNameAsSkipped", "a.txt", nullptr, kA, "\r", 0, "a.txt", ""},
     "0/0/1/1",
     "Rinominati 0 elementi su 1 ,negati 0 ,saltati 1\nNessun file e' stato rinominato\n"},
    {{"TypedNameRenames", "a.txt", nullptr, kA,
      "\x1b"
      "b.txt\r",
      0, "b.txt", ""},
     "1/0/0/1"},
    {{"FunctionKeyTakesTheTextLikeEnter", "a.txt", nullptr, kA,
      "\x1b"
      "b.txt\0\x3b"s,
      0, "b.txt", ""},
     "1/0/0/1"},
    {{"EscThenEnterKeepsTheName", "a.txt", nullptr, kA, "\x1b\r", 0, "a.txt", ""}, "0/0/1/1"},
    {{"SecondEscCancels", "a.txt", nullptr, kA, "\x1b\x1b", 1, "a.txt", ""},
     "0/0/0/1",
     "\nOperazione interrotta dall' utente\nNessun file e' stato rinominato\n"},
    // a.txt renamed, b.txt kept; on c.txt the keys run out (Esc for ever).
    {{"CancelAfterARenameShowsTheCounts",
      "a.txt b.txt c.txt",
      nullptr,
      {"*.txt", "/T"},
      "\x1bx\r\r",
      1,
      "b.txt c.txt x",
      ""},
     "1/0/1/3",
     "\nOperazione interrotta dall' utente\nRinominati 1 elementi ,negati 0 ,saltati 1\n"},
    {{"CaseOnlyChangeRenames", "a.txt", nullptr, kA,
      "\x1b"
      "A.TXT\r",
      0, "A.TXT", ""},
     "1/0/0/1"},
    {{"ReservedCharacterIsRefused", "a.txt", nullptr, kA,
      "\x1b"
      "a<b\ri",
      0, "a.txt", ""},
     "0/1/0/1",
     "*** Impossibile rinominare \\DATI\\a.txt in a<b\n"
     "Nome di file di destinazione non valido, controllare le opzioni\n"},
    {{"ABlankIsNoReservedCharacter", "a.txt", nullptr, kA,
      "\x1b"
      "b c.txt\r",
      0, "b c.txt", ""},
     "1/0/0/1"},
    {{"SeparatorIsRefused", "a.txt", nullptr, kA,
      "\x1b"
      "x\\b\ri",
      0, "a.txt", ""},
     "0/1/0/1"},
    {{"IntoAnExistingFolderIsRefused", "a.txt sub/", nullptr, kA,
      "\x1b"
      "sub\\x.txt\ri",
      0, "a.txt sub", ""},
     "0/1/0/1"},
    {{"OutOfTheFolderIsRefused", "a.txt", nullptr, kA,
      "\x1b"
      "..\\x.txt\ri",
      0, "a.txt", ""},
     "0/1/0/1"},
    {{"DirectoryIsOffered",
      "d/",
      nullptr,
      {"d", "/T"},
      "\x1b"
      "e\r",
      0,
      "e",
      ""},
     "1/0/0/1",
     "[-1 bytes]   ____D\nNome originale della directory d\n"},
    {{"ExistingDestinationIsAsked", "a.txt b.txt", nullptr, kA,
      "\x1b"
      "b.txt\rI",
      0, "a.txt b.txt", ""},
     "0/1/0/1",
     "La destinazione esiste gia'"},
    {{"EachItemInTurn", "a.txt b.txt", nullptr, {"*.txt", "/T"}, "\x1bx\r\x1by\r", 0, "x y", ""},
     "2/0/0/2"},
    // A literal name is found with letters folded; the typed name is the new one.
    {{"ALiteralNameIsFoundWithLettersFolded",
      "Notes.md",
      nullptr,
      {"notes.MD", "/T"},
      "\x1b"
      "n.md\r",
      0,
      "n.md",
      ""},
     "1/0/0/1"},
    {{"NothingMatching", "a.txt", nullptr, {"*.zip", "/T"}, "", 1, "a.txt", ""},
     "0/0/0/0",
     "File non trovato"},
};

class Terminal : public InProcess, public ::testing::WithParamInterface<Row> {};

TEST_P(Terminal, Row) {
    const Row& row = GetParam();
    EXPECT_EQ(RunProgram(row.run), row.run.code);
    EXPECT_EQ(Fs::Listing(), row.run.after);
    EXPECT_EQ(Counts(), row.counts);
    if (row.shows) {
        EXPECT_NE(Console::Text().find(row.shows), std::string::npos) << Console::Text();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Terminal, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.run.name); });

// The item's lines, then the field on the next row.
TEST_F(InProcess, ItemLinesAndTheFieldBelowThem) {
    RunProgram({"", "a.txt", nullptr, kA, "\r", 0, "", ""});
    EXPECT_EQ(Console::Row(2), "[5 bytes]   A____");
    EXPECT_EQ(Console::Row(3), "Nome originale del file a.txt");
    EXPECT_EQ(Console::Row(4), "[a.txt" + std::string(72, ' ') + "]");
    EXPECT_EQ(Console::InColour(4).at(0), "a.txt");
}

}  // namespace
}  // namespace dolv::fake

#include "names/validity.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "harness/short_text_print.h"

namespace dolv {

namespace {

struct Case {
    const char* path;
    int want;
};

TEST(Validnamewin, PointsAtTheFaultOrGivesZero) {
    const Case cases[] = {
        {"", 1},
        {"C:\\dir\\name.", 12},
        {"C:\\di*r\\x", 6},
        {"C:\\dir\\*.txt", 0},
        {"1:\\x", 1},
        {"C:\\dir\\CON.txt", 8},
        {"C:\\dir\\con", 8},
        {"C:\\dir\\lpt9.doc", 8},
        {"C:\\CON\\x", 4},
        {"C:\\dir\\COM5", 0},
        {"C:\\dir\\LPT0", 0},
        {"C:\\dir\\nul.txt.bak", 0},
        {"C:\\dir\\a<b", 9},
        {"C:\\dir\\a|b", 9},
        {"C:\\dir\\a\"b", 9},
        {"C:\\dir\\a:b", 9},
        {"C:\\dir\\a b", 0},
        {"C:\\dir\\a;b", 0},
        {"C:\\dir\\a+b", 0},
        {"\\\\server\\share\\a:b", 17},
        {"\\\\server\\share\\a<b", 0},
        {"C:\\dir\\", 0},
        {"C:\\dir\\\\x", 4},
        {"dir\\sub\\report.txt", 0},
        {"report.txt", 0},
        {"\\dir\\prn", 6},
    };
    for (const Case& c : cases) EXPECT_EQ(VALIDNAMEWIN(c.path), c.want) << c.path;
}

TEST(Validnamewin, TestsTheSecondCharacterUnlessItIsADriveColon) {
    // A prefix such as /[x< puts the reserved character second in a bare name.
    EXPECT_EQ(VALIDNAMEWIN("x<report.txt"), 2);
    EXPECT_EQ(VALIDNAMEWIN("a|b"), 2);
    EXPECT_EQ(VALIDNAMEWIN("a>"), 2);
    EXPECT_EQ(VALIDNAMEWIN("d\\x<report.txt"), 4);
    EXPECT_NE(VALIDNAMEWIN(ShortText(std::string("a\x01z", 3))), 0);
    EXPECT_NE(VALIDNAMEWIN("<x"), 0);
    // Relative paths with a second character that is no colon keep working.
    EXPECT_EQ(VALIDNAMEWIN("ab\\cd.txt"), 0);
    // A colon anywhere but second is still a fault.
    EXPECT_EQ(VALIDNAMEWIN("ab:c"), 3);
    EXPECT_EQ(VALIDNAMEWIN("C:\\a:b"), 5);
}

TEST(Validnamewin, RefusesControlBytes) {
    EXPECT_EQ(VALIDNAMEWIN(ShortText(std::string("C:\\dir\\a\x1f", 9))), 9);
    EXPECT_EQ(VALIDNAMEWIN(ShortText(std::string("C:\\dir\\a\0b", 10))), 9);
}

// The quick look must never accept a path the full checks refuse, nor
// give another answer: random paths built from the bytes that matter.
TEST(Validnamewin, QuickLookAgreesWithTheFullChecks) {
    const std::string pieces[] = {"a",    "b",   ".",   "\\",   ":",   "<",    "?", "*",
                                  "\x01", "CON", "nul", "LPT1", "x.y", "abcd", " ", "C:"};
    std::mt19937 rng(20261207);
    int accepted = 0;
    for (int i = 0; i < 50000; ++i) {
        std::string path;
        const int n = 1 + static_cast<int>(rng() % 12);
        for (int k = 0; k < n; ++k) {
            const std::string& piece = pieces[rng() % std::size(pieces)];
            path += rng() % 3 == 0 ? piece : std::string(1 + rng() % 5, 'n');
        }
        const ShortText text(path);
        const uint8_t full = validnamewin_full(text);
        ASSERT_EQ(VALIDNAMEWIN(text), full) << path;
        accepted += full == 0;
    }
    EXPECT_GT(accepted, 5000);  // both answers were met often
}

TEST(Charreserved, UsesTheStricterSetAndWildcardsOnRequest) {
    EXPECT_EQ(CHARRESERVED("report.txt", false), 0);
    EXPECT_EQ(CHARRESERVED("a b", false), 2);
    EXPECT_EQ(CHARRESERVED("a+b,c", false), 4);  // ',' is searched before '+'
    EXPECT_EQ(CHARRESERVED("*.bak", false), 0);
    EXPECT_EQ(CHARRESERVED("*.bak", true), 1);
    EXPECT_EQ(CHARRESERVED("a?b", true), 2);
    EXPECT_EQ(CHARRESERVED("a\\b", false), 0);
    EXPECT_EQ(CHARRESERVED("ab/", false), 3);
    EXPECT_EQ(CHARRESERVED(ShortText(std::string("ab\x15", 3)), false), 3);
    EXPECT_EQ(CHARRESERVED(ShortText(std::string("ab\x1b", 3)), false), 3);
}

TEST(Namereserved, MatchesDeviceNamesWithoutCaseExtensionOrDirectory) {
    for (const char* yes : {"con.txt", "COM4", "LPT1", "PRN.", "aux", "Nul.x", "C:\\dir\\com1.doc"})
        EXPECT_TRUE(NAMERESERVED(yes)) << yes;
    for (const char* no : {"COM5", "LPT0", "AUX1", "CONX", "COM10", "CO", "", "nul.txt.bak",
                           "Nul.x.y", "con\\x", "xcon"})
        EXPECT_FALSE(NAMERESERVED(no)) << no;
}

TEST(Letters, AcceptsOnlyAsciiLetters) {
    EXPECT_TRUE(LETTERS('a'));
    EXPECT_TRUE(LETTERS('Z'));
    EXPECT_FALSE(LETTERS('1'));
    EXPECT_FALSE(LETTERS('@'));
    EXPECT_FALSE(LETTERS('['));
    EXPECT_FALSE(LETTERS(static_cast<char>(0x82)));
}

}  // namespace
}  // namespace dolv

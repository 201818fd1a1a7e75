#include "names/strings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "harness/short_text_print.h"

namespace dolv {

namespace {

TEST(Posrl, FindsTheLastOccurrenceWithinTheLimit) {
    EXPECT_EQ(POSRL(".", "archive.tar.gz", 14), 12);
    EXPECT_EQ(POSRL(".", "archive.tar.gz", 11), 8);
    EXPECT_EQ(POSRL(".", "archive.tar.gz", 255), 12);
    EXPECT_EQ(POSRL(".", "readme", 6), 0);
    EXPECT_EQ(POSRL(".", ".profile", 8), 1);
    EXPECT_EQ(POSRL("\\", "a\\b", 1), 0);
    EXPECT_EQ(POSRL("\\", "a\\b", 2), 2);
    // A longer text to find must lie wholly inside the limit.
    EXPECT_EQ(POSRL("bc", "abcbc", 4), 2);
    EXPECT_EQ(POSRL("bc", "abcbc", 5), 4);
    EXPECT_EQ(POSRL("abcdef", "abc", 255), 0);
}

TEST(Conta, CountsInTheSelectedRange) {
    EXPECT_EQ(CONTA(".", "a.b.c", 1, true), 2);
    EXPECT_EQ(CONTA(".", "a.b.c", 3, true), 1);
    EXPECT_EQ(CONTA(".", "a.b.c", 3, false), 1);
    EXPECT_EQ(CONTA(".", "a.b.c", 9, true), 0);
    EXPECT_EQ(CONTA(".", "...", 1, true), 3);
}

TEST(Single, KeepsTheFirstOfEqualCharacters) {
    EXPECT_EQ(SINGLE("abca"), "abc");
    EXPECT_EQ(SINGLE("//"), "/");
    EXPECT_EQ(SINGLE("a/b/a"), "a/b");
    EXPECT_EQ(SINGLE("aA"), "aA");
    EXPECT_EQ(SINGLE(""), "");
}

struct Split {
    const char* text;
    const char* seps;
    const char* head;
    const char* tail;
};

TEST(TestaCoda, SplitsOffTheFirstPiece) {
    const Split cases[] = {
        {"/P/I", "/", "/P", "/I"},
        {"/P", "/", "/P", ""},
        {"abc/P", "/", "abc", "/P"},
        {"a/b/c", "/", "a", "/b/c"},
        {"//x", "/", "/", "/x"},
        {"abc", "/", "abc", ""},
        {"/", "/", "/", ""},
        {"x", "/", "x", ""},
        {"", "/", "", ""},
        {"a/b", "", "a/b", ""},
        {"dir\\sub\\name", "\\", "dir", "\\sub\\name"},
        {"a+b/c", "/+", "a", "+b/c"},
        {"/a+b", "//++", "/a", "+b"},
    };
    for (const Split& c : cases) {
        ShortText head, tail;
        TESTA_CODA(c.text, c.seps, head, tail);
        EXPECT_EQ(head, c.head) << c.text;
        EXPECT_EQ(tail, c.tail) << c.text;
    }
}

TEST(TestaCoda, HeadMayBeTheTextItselfAndSeparatorsReachPosition255) {
    ShortText s("/P/I");
    ShortText tail;
    TESTA_CODA(s, "/", s, tail);
    EXPECT_EQ(s, "/P");
    EXPECT_EQ(tail, "/I");

    ShortText text(std::string(254, 'a') + "/");
    ShortText head;
    TESTA_CODA(text, "/", head, tail);
    EXPECT_EQ(head.size(), 254);
    EXPECT_EQ(tail, "/");

    ShortText lead("/" + std::string(253, 'a') + "/");
    TESTA_CODA(lead, "/", head, tail);
    EXPECT_EQ(head.size(), 254);
    EXPECT_EQ(tail, "/");
}

TEST(Fdelete, RemovesOnlyInsideTheText) {
    EXPECT_EQ(FDELETE("abcdef", 2, 3), "aef");
    EXPECT_EQ(FDELETE("abcdef", 5, 100), "abcd");
    EXPECT_EQ(FDELETE("abcdef", 0, 2), "abcdef");
    EXPECT_EQ(FDELETE("abcdef", 7, 1), "abcdef");
    EXPECT_EQ(FDELETE("abcdef", 1, 0), "abcdef");
    EXPECT_EQ(FDELETE("abcdef", 1, -3), "abcdef");
}

TEST(Upstr, RaisesOnlyAsciiLetters) {
    EXPECT_EQ(UPSTR("Report_1.txt"), "REPORT_1.TXT");
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const ShortText up = UPSTR(ShortText(all));
    ASSERT_EQ(up.size(), 255);
    for (int c = 1; c < 256; ++c) {
        const int want = (c >= 'a' && c <= 'z') ? c - 32 : c;
        EXPECT_EQ(up.at(c), want) << c;
    }
}

TEST(Sametext, IgnoresOnlyTheCaseOfAsciiLetters) {
    EXPECT_TRUE(sametext("Report.TXT", "report.txt"));
    EXPECT_TRUE(sametext("", ""));
    EXPECT_FALSE(sametext("report.txt", "report.txt "));
    EXPECT_FALSE(sametext("\x82", "\x90"));  // é and É are different bytes
    EXPECT_FALSE(sametext("[", "{"));        // 0x5B and 0x7B are no letters
    EXPECT_FALSE(sametext("@", "`"));
}

// sametext passes over equal words eight bytes at a time; its definition is
// UPSTR on both sides. Pairs of texts up to 255 bytes, the second made from
// the first with a few bytes changed: case flips of letters, the 0x20 flips
// of bytes that are no letters, other bytes, and a length changed now and then.
TEST(Sametext, AgreesWithUpstrOnRandomPairs) {
    std::mt19937 rng(4242);
    for (int i = 0; i < 30000; ++i) {
        std::string a;
        const size_t length = rng() % 256;
        while (a.size() < length) a += static_cast<char>(1 + rng() % 255);
        std::string b = a;
        for (int changes = rng() % 4; changes > 0 && !b.empty(); --changes) {
            char& c = b[rng() % b.size()];
            c = rng() % 4 == 0 ? static_cast<char>(1 + rng() % 255) : static_cast<char>(c ^ 0x20);
        }
        if (rng() % 16 == 0 && !b.empty()) b.pop_back();
        const ShortText x(a), y(b);
        ASSERT_EQ(sametext(x, y), UPSTR(x) == UPSTR(y)) << "case " << i;
        ASSERT_EQ(sametext(y, x), UPSTR(x) == UPSTR(y)) << "case " << i;
    }
}

}  // namespace
}  // namespace dolv

#include "names/wildcard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "platform/cp850.h"

namespace dolv {
namespace {

struct Vector {
    std::string pattern, name, expression;
    bool match;
};

std::string unwrap(const std::string& field) {
    EXPECT_TRUE(field.size() >= 2 && field.front() == '[' && field.back() == ']') << field;
    std::string cp850;
    EXPECT_TRUE(utf8_to_cp850(field.substr(1, field.size() - 2), cp850)) << field;
    return cp850;
}

std::vector<Vector> read_vectors() {
    std::ifstream in(std::string(DOLV_TEST_DATA) + "/wildcard_vectors.tsv");
    std::vector<Vector> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '[') continue;
        std::vector<std::string> f;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            f.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        out.push_back({unwrap(f.at(0)), unwrap(f.at(1)), unwrap(f.at(2)), f.at(3) == "yes"});
    }
    return out;
}

TEST(Wildcard, EveryReferenceVector) {
    auto vectors = read_vectors();
    ASSERT_GE(vectors.size(), 80u);
    for (const auto& v : vectors) {
        EXPECT_EQ(wildcard_expression(v.pattern), v.expression) << "[" << v.pattern << "]";
        EXPECT_EQ(wildcard_match(v.pattern, v.name), v.match)
            << "[" << v.pattern << "] against [" << v.name << "]";
    }
}

TEST(Wildcard, PatternsThatMatchNothing) {
    EXPECT_EQ(wildcard_expression(". . "), "");
    EXPECT_FALSE(wildcard_match("...", "a"));
    EXPECT_FALSE(wildcard_match("", "a"));
    EXPECT_FALSE(wildcard_match("*", ""));
}

TEST(Wildcard, TypedDosWildcardsActAsWildcards) {
    EXPECT_TRUE(has_wildcards("a<"));
    EXPECT_FALSE(has_wildcards("a.txt"));
    EXPECT_TRUE(wildcard_match("<.txt", "a.b.txt"));
    EXPECT_TRUE(wildcard_match("a>", "a"));
}

TEST(Wildcard, AccentedLettersFoldButOnlyWithTheirOwnCapital) {
    EXPECT_TRUE(wildcard_match("\x90*", "\x82t\x82"));  // É* matches été
    EXPECT_TRUE(wildcard_match("\x87*", "\x80"));       // ç matches Ç
    EXPECT_FALSE(wildcard_match("\x82", "E"));          // é is not E
    EXPECT_FALSE(wildcard_match("\xD5", "I"));          // dotless ı is not I
    EXPECT_FALSE(wildcard_match("SS", "\xE1"));         // ß is not SS
}

TEST(Wildcard, LongNamesAndManyStarsStayCorrect) {
    std::string name(255, 'a');
    name[200] = '.';
    EXPECT_TRUE(wildcard_match(std::string(100, '*') + "a", name));
    EXPECT_FALSE(wildcard_match(std::string(100, '*') + "b", name));
    EXPECT_TRUE(wildcard_match("*" + name.substr(150), name));
    EXPECT_TRUE(wildcard_match(std::string(70, '?') + "*", "abc"));
}

// A star followed by plain text is answered by a suffix test; a second star
// in front means the same and takes the general walk, so the two must agree.
TEST(Wildcard, StarAndTextAgreesWithTheGeneralWalk) {
    const std::string alphabet = "aAbB.xX\x82";  // \x82 (é) folds with \x90 (É)
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    auto random_text = [&](unsigned max_len) {
        std::string t;
        for (unsigned len = next(max_len + 1); t.size() < len;)
            t += alphabet[next(alphabet.size())];
        return t;
    };
    for (int i = 0; i < 40000; ++i) {
        const std::string tail = random_text(4);
        const std::string name = random_text(7);
        SCOPED_TRACE("tail [" + tail + "] name [" + name + "]");
        EXPECT_EQ(wildcard_match_expression("*" + tail, name),
                  wildcard_match_expression("**" + tail, name));
        // The dot-stopping star has no double; a dot inside the text written
        // as the DOS dot (a dot, or nothing at the end) means the same there
        // and takes the walk.
        const size_t dot = tail.find('.');
        if (dot == std::string::npos || dot + 1 == tail.size()) continue;
        std::string walked = tail;
        walked[dot] = kDosDot;
        EXPECT_EQ(wildcard_match_expression(std::string(1, kDosStar) + tail, name),
                  wildcard_match_expression(std::string(1, kDosStar) + walked, name));
    }
    // The dot-stopping star: the text must begin at or before the last dot's end.
    EXPECT_TRUE(wildcard_match("*.txt", "a.b.txt"));
    EXPECT_TRUE(wildcard_match("*.txt", "a.txt.txt"));
    EXPECT_FALSE(wildcard_match("*.txt", "a.txt.bak"));
    EXPECT_FALSE(wildcard_match("*.txt", "atxt"));
    EXPECT_TRUE(wildcard_match("*.TXT", ".txt"));
}

TEST(Wildcard, SortFoldsAsciiLettersThenBytes) {
    std::vector<std::string> names = {"b", "B", "a_", "A", "a", "\x82", "Z", "_"};
    std::sort(names.begin(), names.end(), name_before);
    // Folding to upper case puts '_' (0x5F) after the letters; equal folded
    // names fall back to the bytes, so "A" comes before "a".
    std::vector<std::string> expected = {"A", "a", "a_", "B", "b", "Z", "_", "\x82"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(name_compare("abc", "ABC") > 0, true);
    EXPECT_EQ(name_compare("abc", "abc"), 0);
    EXPECT_LT(name_compare("ab", "abc"), 0);
}

}  // namespace
}  // namespace dolv

#include "platform/cp850.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace dolv {
namespace {

std::map<int, char32_t> read_table() {
    std::map<int, char32_t> table;
    std::ifstream in(std::string(DOLV_TEST_DATA) + "/cp850.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("0x", 0) != 0) continue;
        std::istringstream fields(line);
        std::string byte, cp;
        std::getline(fields, byte, '\t');
        std::getline(fields, cp, '\t');
        table[std::stoi(byte.substr(2), nullptr, 16)] =
            static_cast<char32_t>(std::stoul(cp.substr(2), nullptr, 16));
    }
    return table;
}

TEST(Cp850, GlyphsMatchTheReferenceTable) {
    auto table = read_table();
    ASSERT_EQ(table.size(), 160u);  // 0x01-0x1F, 0x7F, 0x80-0xFF
    for (int b = 0; b < 256; ++b) {
        char32_t expected = b == 0 ? U' ' : table.count(b) ? table[b] : static_cast<char32_t>(b);
        EXPECT_EQ(cp850_glyph(static_cast<unsigned char>(b)), expected) << "byte " << b;
    }
}

TEST(Cp850, EveryByteComesBackFromItsCharacter) {
    for (int b = 1; b < 256; ++b) {
        unsigned char back = 0;
        ASSERT_TRUE(cp850_from_unicode(cp850_glyph(static_cast<unsigned char>(b)), back)) << b;
        // The pilcrow and section sign have two bytes; the letters win.
        if (b == 0x14)
            EXPECT_EQ(back, 0xF4);
        else if (b == 0x15)
            EXPECT_EQ(back, 0xF5);
        else
            EXPECT_EQ(back, b);
    }
    unsigned char byte = 0;
    EXPECT_TRUE(cp850_from_unicode(U'\x1b', byte));
    EXPECT_EQ(byte, 0x1B);
    EXPECT_FALSE(cp850_from_unicode(U'\u20AC', byte));  // euro sign: not in CP850
    EXPECT_FALSE(cp850_from_unicode(U'\U0001F600', byte));
}

TEST(Cp850, ConsoleTextShowsControlBytesAsGlyphs) {
    EXPECT_EQ(cp850_to_utf8("pu\x95"), "pu\xC3\xB2");                  // può
    EXPECT_EQ(cp850_to_utf8("\x10\x11"), "\xE2\x96\xBA\xE2\x97\x84");  // ► ◄
    EXPECT_EQ(cp850_to_utf8("\x1b"), "\xE2\x86\x90");                  // ←
    EXPECT_EQ(cp850_to_utf8(std::string(1, '\0')), " ");
    EXPECT_EQ(cp850_to_utf8("\x9C"), "\xC2\xA3");  // £
}

TEST(Cp850, NamesKeepControlBytesAndRoundTrip) {
    // The byte 0x7F is the house sign on disk; a raw DEL is no character of a name.
    EXPECT_EQ(cp850_name_to_utf8("a\x01\x7F"
                                 "b"),
              "a\x01\xE2\x8C\x82"
              "b");
    std::string out;
    EXPECT_FALSE(utf8_to_cp850("a\x7F.txt", out));
    EXPECT_EQ(utf8_to_cp850_lossy("a\x7F.txt"), "a\x1A.txt");
    EXPECT_EQ(utf8_to_cp850_lossy("a\xE2\x8C\x82.txt"), "a\x7F.txt");
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(utf8_to_cp850(cp850_name_to_utf8(all), back));
    EXPECT_EQ(back, all);
}

TEST(Cp850, InvalidOrForeignUtf8IsRefused) {
    std::string out;
    EXPECT_TRUE(utf8_to_cp850("\xC3\xA9t\xC3\xA9", out));  // été
    EXPECT_EQ(out, "\x82t\x82");
    for (const char* bad : {"\xC3", "a\xC3(", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                            "\xF4\x90\x80\x80", "\xFF", "\x80", "\xE2\x82\xAC" /* euro */}) {
        EXPECT_FALSE(utf8_to_cp850(bad, out)) << bad;
    }
}

TEST(Cp850, LossyConversionMarksEveryUnusableCharacter) {
    EXPECT_EQ(utf8_to_cp850_lossy("a\xE2\x82\xAC"
                                  "b"),
              "a\x1A"
              "b");  // euro
    EXPECT_EQ(utf8_to_cp850_lossy("\xFF\xFE"), "\x1A\x1A");
    EXPECT_EQ(utf8_to_cp850_lossy("\xC3"), "\x1A");            // cut short at the end
    EXPECT_EQ(utf8_to_cp850_lossy("\xC3\xA8 ok"), "\x8A ok");  // è
}

}  // namespace
}  // namespace dolv

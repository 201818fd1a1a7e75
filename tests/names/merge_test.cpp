#include "names/merge.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "harness/random_text.h"
#include "harness/short_text_print.h"

namespace dolv {

namespace {

struct Row {
    const char* source;
    const char* pattern;
    const char* want;
};

TEST(Fusionjolly, MergesNamePartAndExtensionPositionByPosition) {
    const Row rows[] = {
        {"report.txt", "*.*", "report.txt"},
        {"report.txt", "*.bak", "report.bak"},
        {"report", "*.txt", "report.txt"},
        {"report.txt", "*", "report"},
        {"report.txt", "*.", "report"},
        {"report.txt", "abc", "abc"},
        {"report.txt", "new_*.*", "new_rt.txt"},
        {"report.txt", "??x*.*", "rexort.txt"},
        {"report.txt", "a*b*.*", "aeport.txt"},
        {"report.txt", "*x.*", "report.txt"},
        {"report.txt", "?????.*", "repor.txt"},
        {"report.txt", "?e?.*", "rep.txt"},
        {"ab.txt", "?????.*", "ab.txt"},
        {"a.txt", "ab??x*.*", "ab.txt"},
        {"data.txt", "file????.*", "file.txt"},
        {"report.txt", "*.?", "report.t"},
        {"report.txt", "*.??x", "report.txx"},
        {"report.txt", "r?p*.x*", "report.xxt"},
        {"photo.jpeg", "img*.jp?", "imgto.jpe"},
        {"archive.tar.gz", "*.*", "archive.tar.gz"},
        {"archive.tar.gz", "*.zip", "archive.tar.zip"},
        {"report.txt", "x.y.*", "x.y.txt"},
        {"report.txt", ".*", ".txt"},
        {".profile", "*.*", ".profile"},
        {"readme", "a.*", "a"},
        {".profile", "?", ""},
        {"report.txt", "", ""},
        {"Report.TXT", "*.*", "Report.TXT"},
        {"a.b", "*..", "a"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FUSIONJOLLY(r.source, r.pattern), r.want) << r.source << " + " << r.pattern;
}

TEST(Fusionjolly, LongNamesStopAt254OrGiveTheEmptyText) {
    const std::string long_name(255, 'n');
    EXPECT_EQ(FUSIONJOLLY(ShortText(long_name), "*"), ShortText(long_name.substr(0, 254)));

    const ShortText source(std::string(200, 's') + ".txt");
    const ShortText pattern("*." + std::string(60, 'e'));
    EXPECT_EQ(FUSIONJOLLY(source, pattern), "");

    // 200 + 54 + 1 = 255 still fits.
    const ShortText fits = FUSIONJOLLY(source, ShortText("*." + std::string(54, 'e')));
    EXPECT_EQ(fits.size(), 255);
    EXPECT_EQ(fits.at(201), '.');
}

// One part merged position by position over all 255 positions, the plain
// rule that the copy after a '*' shortens.
std::string plain_part(std::string_view pattern, std::string_view source) {
    const size_t star = pattern.find('*');
    const size_t plen = star == std::string_view::npos ? pattern.size() : star;
    std::string out;
    for (size_t i = 0; i < 255; ++i) {
        if (i >= plen && star == std::string_view::npos) break;
        char c = i < plen ? pattern[i] : '?';
        if (c == '?') {
            if (i >= source.size()) break;
            c = source[i];
        }
        out += c;
    }
    if (out.size() == 255) out.pop_back();
    return out;
}

std::string plain_fusionjolly(std::string_view source, std::string_view pattern) {
    auto split = [](std::string_view t, std::string_view& name, std::string_view& ext) {
        const size_t dot = t.rfind('.');
        name = dot == std::string_view::npos ? t : t.substr(0, dot);
        ext = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
    };
    std::string_view sn, se, pn, pe;
    split(source, sn, se);
    split(pattern, pn, pe);
    std::string out = plain_part(pn, sn) + "." + plain_part(pe, se);
    if (out.size() > 255) return std::string();
    while (!out.empty() && out.back() == '.') out.pop_back();
    return out;
}

TEST(Fusionjolly, AgreesWithThePlainPositionByPositionMerge) {
    std::mt19937 rng(20261207);
    auto text = [&rng](const char* alphabet, size_t most) {
        return RandomText(rng, alphabet, most);
    };
    for (int i = 0; i < 30000; ++i) {
        const bool longer = i % 10 == 0;  // near the 255 bytes of a text
        // Long sources without a dot fill a whole part.
        const std::string source = text(i % 20 == 0 ? "abx" : "ab.x", longer ? 255 : 12);
        const std::string pattern = text("ab?*.x", longer ? 255 : 9);
        ASSERT_EQ(FUSIONJOLLY(source, pattern).view(), plain_fusionjolly(source, pattern))
            << source << " " << pattern;
    }
}

TEST(FusionjollyDeathTest, AWildcardInTheSourceEndsTheRunWith201) {
    EXPECT_EXIT(FUSIONJOLLY("a*.txt", "*.bak"), ::testing::ExitedWithCode(201), "");
    EXPECT_EXIT(FUSIONJOLLY("a?.txt", "*.bak"), ::testing::ExitedWithCode(201), "");
}

}  // namespace
}  // namespace dolv

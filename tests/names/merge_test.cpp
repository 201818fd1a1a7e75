#include "names/merge.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(FusionjollyDeathTest, AWildcardInTheSourceEndsTheRunWith201) {
    EXPECT_EXIT(FUSIONJOLLY("a*.txt", "*.bak"), ::testing::ExitedWithCode(201), "");
    EXPECT_EXIT(FUSIONJOLLY("a?.txt", "*.bak"), ::testing::ExitedWithCode(201), "");
}

}  // namespace
}  // namespace dolv

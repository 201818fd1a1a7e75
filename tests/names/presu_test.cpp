#include "names/presu.h"

#include <gtest/gtest.h>

#include <string>

#include "harness/short_text_print.h"

namespace dolv {

namespace {

struct Row {
    const char* name;
    const char* a;
    const char* b;
    const char* want;
};

TEST(Presu, RemovesPrefixAndSuffixOfTheNamePartIgnoringLetterCase) {
    const Row rows[] = {
        {"old_report.txt", "OLD_", "", "report.txt"},
        {"OLD_report.txt", "OLD_", "", "report.txt"},
        {"Old_Report.TXT", "OLD_", "", "Report.TXT"},
        {"report_bak.txt", "", "_BAK", "report.txt"},
        {"old_report_bak.txt", "OLD_", "_BAK", "report.txt"},
        {"report.txt", "", "_BAK", "report.txt"},
        {"abc", "ABCD", "", "abc"},
        {"abc.txt", "ABC", "", ".txt"},
        {"a.b.c", "", "B", "a..c"},
        {"xx", "X", "X", ""},
        {"name.", "", "", "name"},
        {"old_old_x", "OLD_", "", "old_x"},          // one occurrence only
        {"x.old_txt", "OLD_", "", "x.old_txt"},      // never in the extension
        {"\x90old_x", "\x82OLD_", "", "\x90old_x"},  // accented letters are not folded
    };
    for (const Row& r : rows) {
        EXPECT_EQ(REM_PRESU(r.name, r.a, r.b), r.want) << r.name;
    }
}

TEST(Presu, AddsPrefixAndSuffixAroundTheNamePart) {
    const Row rows[] = {
        {"report.txt", "new_", "_v2", "new_report_v2.txt"},
        {"readme", "new_", "_v2", "new_readme_v2"},
        {".profile", "new_", "_v2", "new__v2.profile"},
        {"archive.tar.gz", "x", "y", "xarchive.tary.gz"},
        {"", "p", "s", "ps"},
        {"report.txt", "", "", "report.txt"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(PRESU(r.name, r.a, r.b), r.want) << r.name;
    }
}

TEST(Presu, AdditionIsCutAt255) {
    const ShortText prefix(std::string(200, 'p'));
    const ShortText suffix(std::string(50, 's'));
    const ShortText out = PRESU("abcdefgh.txt", prefix, suffix);
    ASSERT_EQ(out.size(), 255);
    EXPECT_EQ(out.sub(201, 5), "abcde");
    EXPECT_EQ(out.right(2), "ss");
}

TEST(Presu, FillsTheNamePartUpToNN) {
    struct Fill {
        const char* name;
        char mode;
        int nn;
        const char* want;
    };
    const Fill rows[] = {
        {"report.txt", 'L', 8, "__report.txt"},   {"report.txt", 'R', 8, "report__.txt"},
        {"report.txt", 'L', 4, "report.txt"},     {"readme", 'R', 8, "readme__"},
        {".profile", 'L', 3, "___.profile"},      {"a.b.c", 'L', 5, "__a.b.c"},
        {"dir\\ab.txt", 'L', 4, "dir\\__ab.txt"}, {"report.txt", 0, 20, "report.txt"},
        {"report.txt", 'X', 20, "report.txt"},    {"report.txt", 'L', 6, "report.txt"},
    };
    for (const Fill& r : rows) {
        EXPECT_EQ(ALLINEA(r.name, r.mode, r.nn), r.want) << r.name << ' ' << r.mode << r.nn;
    }
}

TEST(Presu, AFillTo255PushesTheExtensionOut) {
    EXPECT_EQ(ALLINEA("report.txt", 'R', 255), ShortText("report" + std::string(249, '_')));
    EXPECT_EQ(ALLINEA("report.txt", 'R', 253), ShortText("report" + std::string(247, '_') + ".t"));
}

}  // namespace
}  // namespace dolv

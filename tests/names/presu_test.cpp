#include "names/presu.h"

#include <gtest/gtest.h>

#include <string>

#include "harness/short_text_print.h"
#include "report/settings.h"

namespace dolv {

namespace {

class Presu : public ::testing::Test {
  protected:
    void SetUp() override { settings = Settings(); }
    void TearDown() override { settings = Settings(); }
};

struct Row {
    const char* name;
    const char* a;
    const char* b;
    const char* want;
};

TEST_F(Presu, RemovesPrefixAndSuffixOfTheNamePartIgnoringLetterCase) {
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
        settings.REM_PREFISSO = r.a;
        settings.REM_SUFFISSO = r.b;
        EXPECT_EQ(REM_PRESU(r.name), r.want) << r.name;
    }
}

TEST_F(Presu, AddsPrefixAndSuffixAroundTheNamePart) {
    const Row rows[] = {
        {"report.txt", "new_", "_v2", "new_report_v2.txt"},
        {"readme", "new_", "_v2", "new_readme_v2"},
        {".profile", "new_", "_v2", "new__v2.profile"},
        {"archive.tar.gz", "x", "y", "xarchive.tary.gz"},
        {"", "p", "s", "ps"},
        {"report.txt", "", "", "report.txt"},
    };
    for (const Row& r : rows) {
        settings.PREFISSO = r.a;
        settings.SUFFISSO = r.b;
        EXPECT_EQ(PRESU(r.name), r.want) << r.name;
    }
}

TEST_F(Presu, AdditionIsCutAt255) {
    settings.PREFISSO = ShortText(std::string(200, 'p'));
    settings.SUFFISSO = ShortText(std::string(50, 's'));
    const ShortText out = PRESU("abcdefgh.txt");
    ASSERT_EQ(out.size(), 255);
    EXPECT_EQ(out.sub(201, 5), "abcde");
    EXPECT_EQ(out.right(2), "ss");
}

TEST_F(Presu, FillsTheNamePartUpToNN) {
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
        settings.GIUSTIFICA = r.mode;
        settings.NN = r.nn;
        EXPECT_EQ(ALLINEA(r.name), r.want) << r.name << ' ' << r.mode << r.nn;
    }
}

TEST_F(Presu, AFillTo255PushesTheExtensionOut) {
    settings.GIUSTIFICA = 'R';
    settings.NN = 255;
    EXPECT_EQ(ALLINEA("report.txt"), ShortText("report" + std::string(249, '_')));
    settings.NN = 253;
    EXPECT_EQ(ALLINEA("report.txt"), ShortText("report" + std::string(247, '_') + ".t"));
}

}  // namespace
}  // namespace dolv

// The five transformations of a new name together: merge, case, removal,
// addition, fill, in that order.
#include <gtest/gtest.h>

#include <string>

#include "harness/short_text_print.h"
#include "names/case.h"
#include "names/merge.h"
#include "names/presu.h"
#include "report/settings.h"

namespace dolv {

namespace {

class Transform : public ::testing::Test {
  protected:
    void SetUp() override { settings = Settings(); }
    void TearDown() override { settings = Settings(); }

    static ShortText new_name(const ShortText& source, const ShortText& pattern) {
        return ALLINEA(PRESU(REM_PRESU(CONVERSION(FUSIONJOLLY(source, pattern)))));
    }
};

TEST_F(Transform, ConversionChangesOnlyAsciiLetters) {
    settings.MAIUSCOLO = '+';
    EXPECT_EQ(CONVERSION("Report.Txt"), "REPORT.TXT");
    settings.MAIUSCOLO = '-';
    EXPECT_EQ(CONVERSION("Report.Txt"), "report.txt");
    settings.MAIUSCOLO = '0';
    EXPECT_EQ(CONVERSION("Report.Txt"), "Report.Txt");

    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const ShortText text(all);
    for (char mode : {'+', '-'}) {
        settings.MAIUSCOLO = mode;
        const ShortText out = CONVERSION(text);
        ASSERT_EQ(out.size(), 255);
        for (int c = 1; c < 256; ++c) {
            int want = c;
            if (mode == '+' && c >= 'a' && c <= 'z') want = c - 32;
            if (mode == '-' && c >= 'A' && c <= 'Z') want = c + 32;
            EXPECT_EQ(out.at(c), want) << mode << c;
        }
        EXPECT_EQ(CONVERSION(""), "");
    }
}

TEST_F(Transform, PrefixAndSuffixKeepTheCaseInWhichTheyWereTyped) {
    settings.MAIUSCOLO = '+';
    settings.PREFISSO = "new_";
    EXPECT_EQ(new_name("report.txt", "*.*"), "new_REPORT.TXT");
}

TEST_F(Transform, RemovalRunsBeforeAddition) {
    settings.REM_PREFISSO = "OLD_";
    settings.PREFISSO = "new_";
    EXPECT_EQ(new_name("old_report.txt", "*.*"), "new_report.txt");
    // Had the addition come first, the removal would have found nothing to remove.
    settings.PREFISSO = "old_";
    EXPECT_EQ(new_name("old_report.txt", "*.*"), "old_report.txt");
}

TEST_F(Transform, TheFillGoesInFrontOfThePrefixAndCountsIt) {
    settings.PREFISSO = "x";
    settings.GIUSTIFICA = 'L';
    settings.NN = 8;
    EXPECT_EQ(new_name("report.txt", "*.*"), "_xreport.txt");
    settings.SUFFISSO = "yz";
    EXPECT_EQ(new_name("report.txt", "*.*"), "xreportyz.txt");
}

TEST_F(Transform, TheMergeSeesTheSourceNameBeforeAnyOtherChange) {
    settings.MAIUSCOLO = '-';
    settings.REM_SUFFISSO = "_BAK";
    settings.SUFFISSO = "_v2";
    settings.GIUSTIFICA = 'R';
    settings.NN = 12;
    EXPECT_EQ(new_name("REPORT_BAK.TXT", "*.*"), "report_v2___.txt");
    EXPECT_EQ(new_name("REPORT_BAK.TXT", "??????.*"), "report_v2___.txt");
    EXPECT_EQ(new_name("REPORT_BAK.TXT", "*"), "report_v2___");
}

}  // namespace
}  // namespace dolv

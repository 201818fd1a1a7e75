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
    Settings s;

    ShortText new_name(const ShortText& source, const ShortText& pattern) const {
        const ShortText merged = CONVERSION(FUSIONJOLLY(source, pattern), s.MAIUSCOLO);
        const ShortText trimmed = REM_PRESU(merged, s.REM_PREFISSO, s.REM_SUFFISSO);
        return ALLINEA(PRESU(trimmed, s.PREFISSO, s.SUFFISSO), s.GIUSTIFICA, s.NN);
    }
};

TEST_F(Transform, ConversionChangesOnlyAsciiLetters) {
    s.MAIUSCOLO = '+';
    EXPECT_EQ(CONVERSION("Report.Txt", s.MAIUSCOLO), "REPORT.TXT");
    s.MAIUSCOLO = '-';
    EXPECT_EQ(CONVERSION("Report.Txt", s.MAIUSCOLO), "report.txt");
    s.MAIUSCOLO = '0';
    EXPECT_EQ(CONVERSION("Report.Txt", s.MAIUSCOLO), "Report.Txt");

    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const ShortText text(all);
    for (char mode : {'+', '-'}) {
        s.MAIUSCOLO = mode;
        const ShortText out = CONVERSION(text, s.MAIUSCOLO);
        ASSERT_EQ(out.size(), 255);
        for (int c = 1; c < 256; ++c) {
            int want = c;
            if (mode == '+' && c >= 'a' && c <= 'z') want = c - 32;
            if (mode == '-' && c >= 'A' && c <= 'Z') want = c + 32;
            EXPECT_EQ(out.at(c), want) << mode << c;
        }
        EXPECT_EQ(CONVERSION("", s.MAIUSCOLO), "");
    }
}

TEST_F(Transform, PrefixAndSuffixKeepTheCaseInWhichTheyWereTyped) {
    s.MAIUSCOLO = '+';
    s.PREFISSO = "new_";
    EXPECT_EQ(new_name("report.txt", "*.*"), "new_REPORT.TXT");
}

TEST_F(Transform, RemovalRunsBeforeAddition) {
    s.REM_PREFISSO = "OLD_";
    s.PREFISSO = "new_";
    EXPECT_EQ(new_name("old_report.txt", "*.*"), "new_report.txt");
    // Had the addition come first, the removal would have found nothing to remove.
    s.PREFISSO = "old_";
    EXPECT_EQ(new_name("old_report.txt", "*.*"), "old_report.txt");
}

TEST_F(Transform, TheFillGoesInFrontOfThePrefixAndCountsIt) {
    s.PREFISSO = "x";
    s.GIUSTIFICA = 'L';
    s.NN = 8;
    EXPECT_EQ(new_name("report.txt", "*.*"), "_xreport.txt");
    s.SUFFISSO = "yz";
    EXPECT_EQ(new_name("report.txt", "*.*"), "xreportyz.txt");
}

TEST_F(Transform, TheMergeSeesTheSourceNameBeforeAnyOtherChange) {
    s.MAIUSCOLO = '-';
    s.REM_SUFFISSO = "_BAK";
    s.SUFFISSO = "_v2";
    s.GIUSTIFICA = 'R';
    s.NN = 12;
    EXPECT_EQ(new_name("REPORT_BAK.TXT", "*.*"), "report_v2___.txt");
    EXPECT_EQ(new_name("REPORT_BAK.TXT", "??????.*"), "report_v2___.txt");
    EXPECT_EQ(new_name("REPORT_BAK.TXT", "*"), "report_v2___");
}

}  // namespace
}  // namespace dolv

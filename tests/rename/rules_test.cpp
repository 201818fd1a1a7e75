// The pure rules of the rename engine: which new names are acceptable, and
// when one item lies inside another.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "harness/random_text.h"
#include "names/case.h"
#include "names/merge.h"
#include "names/presu.h"
#include "rename/batch.h"
#include "rename/exchange.h"
#include "report/settings.h"

namespace dolv {
namespace {

TEST(NewName, MustBeABareNonEmptyNameTheChecksAccept) {
    EXPECT_TRUE(acceptable_new_name("", "report.bak"));
    EXPECT_TRUE(acceptable_new_name("C:\\docs\\", "report.bak"));
    // Nothing at all: behind a directory the full path alone would pass.
    EXPECT_FALSE(acceptable_new_name("sub\\", ""));
    EXPECT_FALSE(acceptable_new_name("", ""));
    // Out of its directory, or onto a drive.
    EXPECT_FALSE(acceptable_new_name("", "sub\\a.txt"));
    EXPECT_FALSE(acceptable_new_name("sub\\", "..\\a.txt"));
    EXPECT_FALSE(acceptable_new_name("", "x:a.txt"));
    // What the name checks refuse.
    EXPECT_FALSE(acceptable_new_name("", "CON"));
    EXPECT_FALSE(acceptable_new_name("sub\\", "a<b"));
    EXPECT_FALSE(acceptable_new_name("", "name."));
}

TEST(NewName, TheFullPathMayNotPass255Characters) {
    ShortText dir = ShortText(std::string(200, 'd')) + "\\";
    EXPECT_TRUE(acceptable_new_name(dir, ShortText(std::string(54, 'n'))));
    EXPECT_FALSE(acceptable_new_name(dir, ShortText(std::string(55, 'n'))));
}

// make_new_name skips the steps whose option is off; the plain chain runs them all.
TEST(NewName, AgreesWithEveryStepRunInTurn) {
    struct Options {
        char upper;
        const char *rem_prefix, *rem_suffix, *prefix, *suffix;
        char side;
        int length;
    };
    const Options rows[] = {
        {'0', "", "", "", "", 0, 0},    {'+', "", "", "", "", 0, 0},
        {'-', "", "", "", "", 0, 0},    {'0', "A", "", "", "", 0, 0},
        {'0', "", "B", "", "", 0, 0},   {'0', "", "", "x_", "", 0, 0},
        {'0', "", "", "", "_y", 0, 0},  {'0', "", "", "", "", 'L', 9},
        {'0', "", "", "", "", 'R', 9},  {'+', "AB", "A", "p", "s", 'L', 12},
        {'-', "A", "", "", "", 'R', 3},
    };
    std::mt19937 rng(7);
    auto text = [&rng](const char* alphabet, size_t most) {
        return RandomText(rng, alphabet, most);
    };
    const Settings saved = settings;
    for (const Options& o : rows) {
        settings = Settings();
        settings.MAIUSCOLO = o.upper;
        settings.REM_PREFISSO = o.rem_prefix;
        settings.REM_SUFFISSO = o.rem_suffix;
        settings.PREFISSO = o.prefix;
        settings.SUFFISSO = o.suffix;
        settings.GIUSTIFICA = o.side;
        settings.NN = o.length;
        const Settings& s = settings;
        for (int i = 0; i < 3000; ++i) {
            const ShortText name(text("aAbB.", 12));
            const ShortText pattern(text("aB?*.", 8));
            const ShortText merged = CONVERSION(FUSIONJOLLY(name, pattern), s.MAIUSCOLO);
            const ShortText trimmed = REM_PRESU(merged, s.REM_PREFISSO, s.REM_SUFFISSO);
            const ShortText plain =
                ALLINEA(PRESU(trimmed, s.PREFISSO, s.SUFFISSO), s.GIUSTIFICA, s.NN);
            ASSERT_EQ(make_new_name(name, new_name_plan(pattern)).view(), plain.view())
                << name.view() << " " << pattern.view() << " row " << (&o - rows);
        }
    }
    settings = saved;
}

TEST(PathInside, OnlyBelowTheOtherAtASeparator) {
    EXPECT_TRUE(path_inside("\\home\\ann\\d", "\\home\\ann\\d\\x.txt"));
    EXPECT_TRUE(path_inside("\\home\\ann\\d", "\\home\\ann\\d\\e\\f"));
    EXPECT_TRUE(path_inside("\\home\\ann\\d\\", "\\home\\ann\\d\\x.txt"));
    EXPECT_TRUE(path_inside("C:\\Docs", "c:\\DOCS\\a.txt"));
    EXPECT_TRUE(path_inside("\\", "\\home"));
    EXPECT_FALSE(path_inside("\\home\\ann\\d", "\\home\\ann\\dx"));
    EXPECT_FALSE(path_inside("\\home\\ann\\d", "\\home\\ann\\d"));
    EXPECT_FALSE(path_inside("\\home\\ann\\d\\x.txt", "\\home\\ann\\d"));
    EXPECT_FALSE(path_inside("", "\\home"));
}

TEST(ExchangeTemp, LiesInTheFirstItemsDirectory) {
    EXPECT_EQ(exchange_temp_path("C:\\docs\\a.txt"), "C:\\docs\\@!$\x9C@!$\x9C.TMP");
    EXPECT_EQ(exchange_temp_path("a.txt"), "@!$\x9C@!$\x9C.TMP");
}

}  // namespace
}  // namespace dolv

// The pure rules of the rename engine: which new names are acceptable, and
// when one item lies inside another.
#include <gtest/gtest.h>

#include <string>

#include "rename/batch.h"
#include "rename/exchange.h"

namespace dolv {
namespace {

TEST(NewName, MustBeABareNonEmptyNameTheChecksAccept) {
    EXPECT_TRUE(ACCEPTABLE_NEW_NAME("", "report.bak"));
    EXPECT_TRUE(ACCEPTABLE_NEW_NAME("C:\\docs\\", "report.bak"));
    // Nothing at all: behind a directory the full path alone would pass.
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("sub\\", ""));
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("", ""));
    // Out of its directory, or onto a drive.
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("", "sub\\a.txt"));
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("sub\\", "..\\a.txt"));
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("", "x:a.txt"));
    // What the name checks refuse.
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("", "CON"));
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("sub\\", "a<b"));
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME("", "name."));
}

TEST(NewName, TheFullPathMayNotPass255Characters) {
    ShortText dir = ShortText(std::string(200, 'd')) + "\\";
    EXPECT_TRUE(ACCEPTABLE_NEW_NAME(dir, ShortText(std::string(54, 'n'))));
    EXPECT_FALSE(ACCEPTABLE_NEW_NAME(dir, ShortText(std::string(55, 'n'))));
}

TEST(PathInside, OnlyBelowTheOtherAtASeparator) {
    EXPECT_TRUE(PATH_INSIDE("\\home\\ann\\d", "\\home\\ann\\d\\x.txt"));
    EXPECT_TRUE(PATH_INSIDE("\\home\\ann\\d", "\\home\\ann\\d\\e\\f"));
    EXPECT_TRUE(PATH_INSIDE("\\home\\ann\\d\\", "\\home\\ann\\d\\x.txt"));
    EXPECT_TRUE(PATH_INSIDE("C:\\Docs", "c:\\DOCS\\a.txt"));
    EXPECT_TRUE(PATH_INSIDE("\\", "\\home"));
    EXPECT_FALSE(PATH_INSIDE("\\home\\ann\\d", "\\home\\ann\\dx"));
    EXPECT_FALSE(PATH_INSIDE("\\home\\ann\\d", "\\home\\ann\\d"));
    EXPECT_FALSE(PATH_INSIDE("\\home\\ann\\d\\x.txt", "\\home\\ann\\d"));
    EXPECT_FALSE(PATH_INSIDE("", "\\home"));
}

TEST(ExchangeTemp, LiesInTheFirstItemsDirectory) {
    EXPECT_EQ(EXCHANGE_TEMP_PATH("C:\\docs\\a.txt"), "C:\\docs\\@!$\x9C@!$\x9C.TMP");
    EXPECT_EQ(EXCHANGE_TEMP_PATH("a.txt"), "@!$\x9C@!$\x9C.TMP");
}

}  // namespace
}  // namespace dolv

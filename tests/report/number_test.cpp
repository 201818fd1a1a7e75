#include <gtest/gtest.h>

#include <cstdint>

#include "report/err.h"

namespace dolv {
namespace {

TEST(DimPunto, GroupsOfThreeFromTheRight) {
    EXPECT_EQ(DIM_PUNTO(0).str(), "0");
    EXPECT_EQ(DIM_PUNTO(12).str(), "12");
    EXPECT_EQ(DIM_PUNTO(999).str(), "999");
    EXPECT_EQ(DIM_PUNTO(1000).str(), "1.000");
    EXPECT_EQ(DIM_PUNTO(65536).str(), "65.536");
    EXPECT_EQ(DIM_PUNTO(100000).str(), "100.000");
    EXPECT_EQ(DIM_PUNTO(1234567).str(), "1.234.567");
    EXPECT_EQ(DIM_PUNTO(INT32_MAX).str(), "2.147.483.647");
}

TEST(DimPunto, NegativeValuesKeepTheirSignOutsideTheGroups) {
    EXPECT_EQ(DIM_PUNTO(-1).str(), "-1");
    EXPECT_EQ(DIM_PUNTO(-999).str(), "-999");
    EXPECT_EQ(DIM_PUNTO(-1234).str(), "-1.234");
    EXPECT_EQ(DIM_PUNTO(-100000).str(), "-100.000");
    EXPECT_EQ(DIM_PUNTO(INT32_MIN).str(), "-2.147.483.648");
    // The most negative 64-bit value has no positive twin; it still prints.
    EXPECT_EQ(DIM_PUNTO(INT64_MIN).str(), "-9.223.372.036.854.775.808");
}

TEST(Freverse, ReversesEveryByte) {
    EXPECT_EQ(FREVERSE("").str(), "");
    EXPECT_EQ(FREVERSE("a").str(), "a");
    EXPECT_EQ(FREVERSE("abc\x95").str(),
              "\x95"
              "cba");
}

}  // namespace
}  // namespace dolv

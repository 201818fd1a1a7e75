#include "base/short_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dolv {
namespace {

TEST(ShortText, CutsEveryAssignmentAndAppendAt255) {
    std::string long_text(300, 'x');
    ShortText t(long_text);
    EXPECT_EQ(t.size(), 255);

    ShortText a(std::string(250, 'a'));
    a += ShortText("bcdefghij");
    EXPECT_EQ(a.size(), 255);
    EXPECT_EQ(a.at(255), 'f');
    a += 'z';
    EXPECT_EQ(a.size(), 255);
    EXPECT_EQ(a.last(), 'f');

    ShortText b = ShortText(std::string(200, 'b')) + ShortText(std::string(200, 'c'));
    EXPECT_EQ(b.size(), 255);
    EXPECT_EQ(b.at(200), 'b');
    EXPECT_EQ(b.at(201), 'c');

    ShortText c(std::string(254, 'c'));
    c.insert(1, "xyz");
    EXPECT_EQ(c.size(), 255);
    EXPECT_EQ(c.sub(1, 3), "xyz");
}

TEST(ShortText, PositionsCountFromOneAndZeroMeansNotFound) {
    ShortText t("a.b.c");
    EXPECT_EQ(t.find('.'), 2);
    EXPECT_EQ(t.find('.', 3), 4);
    EXPECT_EQ(t.find('x'), 0);
    EXPECT_EQ(t.find(ShortText("b.c")), 3);
    EXPECT_EQ(t.find(ShortText("")), 0);
    EXPECT_EQ(t.at(1), 'a');
    EXPECT_EQ(t.at(0), 0);
    EXPECT_EQ(t.at(6), 0);
}

TEST(ShortText, SubstringsAndDeletionsClampToTheText) {
    ShortText t("report");
    EXPECT_EQ(t.sub(3, 2), "po");
    EXPECT_EQ(t.sub(5, 100), "rt");
    EXPECT_EQ(t.sub(7, 1), "");
    EXPECT_EQ(t.sub(0, 2), "re");
    EXPECT_EQ(t.sub(2, 0), "");
    EXPECT_EQ(t.left(10), "report");
    EXPECT_EQ(t.right(2), "rt");
    EXPECT_EQ(t.right(0), "");

    ShortText d("report");
    d.erase(2, 100);
    EXPECT_EQ(d, "r");
    ShortText e("report");
    e.erase(7, 1);
    e.erase(0, 2);
    e.erase(2, -1);
    EXPECT_EQ(e, "report");
    e.truncate(3);
    EXPECT_EQ(e, "rep");
    e.truncate(10);
    EXPECT_EQ(e, "rep");
}

TEST(ShortText, HoldsAnyByteIncludingZero) {
    std::string with_zero("a\0b", 3);
    ShortText t(with_zero);
    EXPECT_EQ(t.size(), 3);
    EXPECT_EQ(t.at(2), 0);
    ShortText hi("\x95\x9C");
    EXPECT_EQ(t.size(), 3);
    EXPECT_EQ(hi.at(1), 0x95);
    EXPECT_EQ(ShortText::repeat('_', 300).size(), 255);
    EXPECT_EQ(ShortText::repeat('_', -1).size(), 0);
}

}  // namespace
}  // namespace dolv

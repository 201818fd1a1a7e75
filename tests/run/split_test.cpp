#include "run/split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dolv {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, DropsTheProgramNameAndSplitsAtControlsAndBlanks) {
    EXPECT_EQ(split_command_line(""), Args{});
    EXPECT_EQ(split_command_line("dolv"), Args{});
    EXPECT_EQ(split_command_line("dolv *.txt *.bak/P"), (Args{"*.txt", "*.bak/P"}));
    EXPECT_EQ(split_command_line("  dolv \t a\x01\x1f b  \r\n"), (Args{"a", "b"}));
    // Bytes above 127 are characters, not separators.
    EXPECT_EQ(split_command_line("dolv \x95\xff"), (Args{"\x95\xff"}));
}

TEST(SplitCommandLine, QuotedProgramName) {
    EXPECT_EQ(split_command_line("\"C:\\Program Files\\dolv.exe\" a b"), (Args{"a", "b"}));
    EXPECT_EQ(split_command_line("'C:\\my dir\\dolv.exe' x"), (Args{"x"}));
}

TEST(SplitCommandLine, DoubleQuotesKeepBlanksAndSingleQuotes) {
    EXPECT_EQ(split_command_line("dolv \"a b\" c"), (Args{"a b", "c"}));
    EXPECT_EQ(split_command_line("dolv \"it's\""), (Args{"it's"}));
    EXPECT_EQ(split_command_line("dolv x\"y z\"w"), (Args{"xy zw"}));
    EXPECT_EQ(split_command_line("dolv \" \""), (Args{" "}));
    // An open stretch runs to the end of the line.
    EXPECT_EQ(split_command_line("dolv \"a b"), (Args{"a b"}));
    EXPECT_EQ(split_command_line("dolv a \""), (Args{"a"}));
}

TEST(SplitCommandLine, SingleQuotesKeepBlanksAndDoubleQuotes) {
    EXPECT_EQ(split_command_line("dolv 'a b' c"), (Args{"a b", "c"}));
    EXPECT_EQ(split_command_line("dolv '\"x\"'"), (Args{"\"x\""}));
    EXPECT_EQ(split_command_line("dolv '\"'"), (Args{"\""}));
}

TEST(SplitCommandLine, TwoEqualQuotesInARowAreDroppedAndChangeNothing) {
    // Outside any stretch: no empty argument, no literal quote.
    EXPECT_EQ(split_command_line("dolv \"\" a '' b"), (Args{"a", "b"}));
    EXPECT_EQ(split_command_line("dolv a\"\"b"), (Args{"ab"}));
    // Inside a stretch of the same kind the pair does not close it.
    EXPECT_EQ(split_command_line("dolv \"a\"\" b\" c"), (Args{"a b", "c"}));
    // Three in a row: the pair goes, the third opens a stretch.
    EXPECT_EQ(split_command_line("dolv \"\"\"a b\""), (Args{"a b"}));
    // Inside a stretch of the other kind a pair is ordinary text.
    EXPECT_EQ(split_command_line("dolv '\"\"'"), (Args{"\"\""}));
    EXPECT_EQ(split_command_line("dolv \"''\""), (Args{"''"}));
}

TEST(SplitCommandLine, WideLineFollowsTheSameRulesAndSplitsAtNoOtherCharacter) {
    using Wide = std::vector<std::wstring>;
    EXPECT_EQ(split_command_line(std::wstring_view(L"dolv \"a b\" 'c\"' \"\" d\te\x1a")),
              (Wide{L"a b", L"c\"", L"d", L"e"}));
    // Units that are no ASCII characters never split or quote, whatever their low byte.
    EXPECT_EQ(
        split_command_line(std::wstring_view(L"dolv \u03a9mega.txt \u20acuro \u0120\u0122\u0127")),
        (Wide{L"\u03a9mega.txt", L"\u20acuro", L"\u0120\u0122\u0127"}));
}

}  // namespace
}  // namespace dolv

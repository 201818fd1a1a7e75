// The display forms write their piece on the console and leave it flushed.
#include "names/case.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "names/paths.h"

namespace dolv {
namespace {

TEST(DisplayForms, WriteTheirPieceAndReturnTheEmptyText) {
    ::testing::internal::CaptureStdout();
    const ShortText piece = CONVERSION2("report.bak");
    // Nothing else flushes the console here: what is captured, the form flushed itself.
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(piece, "");
    EXPECT_EQ(out, " in report.bak");
}

// The console shows a path's `\` as this system writes it (`/` here).
std::string Shown(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

TEST(DisplayForms, NameTheKindOfItemAndItsFullPath) {
    const std::string here = Shown(FEXPAND2("").str());
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(CONVERSION3("."), "");
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "la directory " + here);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(CONVERSION3("no_such_item\\..\\missing.txt"), "");
    out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "il file " + Shown(FEXPAND2("missing.txt").str()));
}

}  // namespace
}  // namespace dolv

// A cancel (SIGTERM, as Ctrl-C) in the middle of a long batch: the run ends
// between two items, and the counts it shows are what happened on disk.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

TEST(Cancel, ASignalEndsTheWalkBetweenTwoItems) {
    TempDir dir;
    constexpr int kFiles = 5000;
    for (int i = 0; i < kFiles; ++i) WriteFile(dir / ("f" + std::to_string(i) + ".txt"), "");
    PtySession s({DOLV_EXE, "*.txt", "*.bak", "/I", "+NUL"}, PtyIn(dir.path()));
    // The first rename on disk shows that the run is under way, its signal
    // handlers in place; the terminal is not read meanwhile, so the run soon
    // waits on its full output, far from its end.
    ASSERT_TRUE(WaitForFile(dir / "f0.bak", 20000)) << ListDir(dir.path()).size();
    s.signal(SIGTERM);
    int code = s.wait_exit(60000);
    auto names = ListDir(dir.path());
    const int renamed = CountEndingWith(names, ".bak");
    EXPECT_EQ(renamed + CountEndingWith(names, ".txt"), kFiles);
    if (code == 0) GTEST_SKIP() << "the run ended before the signal came";
    EXPECT_EQ(code, 1) << s.plain();
    const std::string out = s.plain();
    EXPECT_NE(out.find("Operazione interrotta dall' utente"), std::string::npos) << out;
    // The partial count (dots between thousands) is what the disk shows.
    const int reported = RenamedCount(out);
    ASSERT_GE(reported, 0) << out;
    EXPECT_EQ(reported, renamed) << out;
}

}  // namespace
}  // namespace dolv

// A cancel (SIGTERM, as Ctrl-C) in the middle of a long batch: the run ends
// between two items, and the counts it shows are what happened on disk.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "harness/pty.h"

namespace dolv {
namespace {

int CountSuffix(const std::vector<std::string>& names, const std::string& suffix) {
    int n = 0;
    for (const auto& name : names)
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            ++n;
    return n;
}

TEST(Cancel, ASignalEndsTheWalkBetweenTwoItems) {
    TempDir dir;
    constexpr int kFiles = 20000;
    for (int i = 0; i < kFiles; ++i) WriteFile(dir / ("f" + std::to_string(i) + ".txt"), "");
    PtyOptions o;
    o.cwd = dir.path();
    PtySession s({DOLV_EXE, "*.txt", "*.bak", "/I", "+NUL"}, o);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    s.signal(SIGTERM);
    int code = s.wait_exit(60000);
    auto names = ListDir(dir.path());
    const int renamed = CountSuffix(names, ".bak");
    EXPECT_EQ(renamed + CountSuffix(names, ".txt"), kFiles);
    if (code == 0) GTEST_SKIP() << "the run ended before the signal came";
    EXPECT_EQ(code, 1) << s.plain();
    const std::string out = s.plain();
    EXPECT_NE(out.find("Operazione interrotta dall' utente"), std::string::npos) << out;
    // The partial count is printed with thousands dots.
    std::string digits;
    const size_t at = out.find("Rinominati ");
    ASSERT_NE(at, std::string::npos) << out;
    for (size_t i = at + 11; i < out.size() && out[i] != ' '; ++i)
        if (out[i] != '.') digits += out[i];
    EXPECT_EQ(std::stoi(digits), renamed) << out;
}

}  // namespace
}  // namespace dolv

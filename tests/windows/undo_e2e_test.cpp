// The journal and /U of the Windows program under wine: a batch of 1,000
// files taken back leaves the folder exactly as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "harness/dolv_run.h"
#include "wine_tmux.h"

namespace dolv {
namespace {

class WineUndo : public ::testing::Test {
  protected:
    void SetUp() override { DOLV_NEED_WINDOWS_EXE(); }

    // The program with its journal on. Wine sets LOCALAPPDATA itself: the
    // journal goes to the wine prefix in the build folder, where no other
    // test keeps one (the harness turns the journal off for them).
    PipedResult Run(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {"wine", dolv_test::WindowsExe()};
        argv.insert(argv.end(), args.begin(), args.end());
        PipedOptions options;
        options.cwd = dir_.path();
        options.env = {"LC_ALL=C.UTF-8", "DOLV_NO_JOURNAL"};
        options.timeout_ms = 120000;
        return RunPiped(argv, "", options);
    }
    std::map<std::string, std::string> Snapshot() {
        std::map<std::string, std::string> out;
        for (const std::string& name : ListDir(dir_.path())) out[name] = ReadFile(dir_ / name);
        return out;
    }

    TempDir dir_;
};

TEST_F(WineUndo, ThousandFilesBackExactlyAsBefore) {
    char name[32];
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(name, sizeof name, "f%04d.txt", i);
        WriteFile(dir_ / name, std::to_string(i * 3));
    }
    WriteFile(dir_ / "other.doc", "doc");
    const auto before = Snapshot();
    PipedResult r = Run({"*.txt", "*.bak", "/I", "+NUL"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    ASSERT_EQ(CountEndingWith(ListDir(dir_.path()), ".bak"), 1000);
    r = Run({"/U"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_TRUE(
        Contains(r.output, "Ripristinati 1.000 elementi su 1.000 ,non ripristinabili 0\r\n"))
        << r.output.substr(r.output.size() > 400 ? r.output.size() - 400 : 0);
    EXPECT_TRUE(Snapshot() == before);
}

}  // namespace
}  // namespace dolv

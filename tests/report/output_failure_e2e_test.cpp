// Standard output that cannot be written (a full disk, a pipe whose reader
// has gone): the run stops before its next rename, with exit code 1 and the
// message on standard error, instead of renaming on without a record.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

const char kFailed[] = "Errore in scrittura del file di output: standard output\n";

// The program in dir with its standard output on fd; standard error is what
// the result holds.
PipedResult RunWithOutput(const TempDir& dir, const std::vector<std::string>& args, int fd) {
    PipedOptions options;
    options.cwd = dir.path();
    options.stdout_fd = fd;
    std::vector<std::string> argv{DOLV_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunPiped(argv, "", options);
}

void MakeFiles(const TempDir& dir, int count) {
    for (int i = 0; i < count; ++i) WriteFile(dir / ("f" + std::to_string(i) + ".txt"), "");
}

TEST(OutputFailureE2E, AFullDiskOrAClosedPipeStopsTheRunBeforeTheFirstRename) {
    for (const char* kind : {"/dev/full", "closed pipe"}) {
        SCOPED_TRACE(kind);
        TempDir dir;
        MakeFiles(dir, 5);
        int fd = -1;
        if (std::string(kind) == "/dev/full") {
            fd = open("/dev/full", O_WRONLY);
        } else {
            int ends[2];
            ASSERT_EQ(pipe(ends), 0);
            close(ends[0]);  // the reader has gone before the run
            fd = ends[1];
        }
        ASSERT_GE(fd, 0);
        PipedResult r = RunWithOutput(dir, {"*.txt", "*.bak"}, fd);
        close(fd);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.output, kFailed);
        EXPECT_EQ(CountEndingWith(ListDir(dir.path()), ".txt"), 5);
    }
}

TEST(OutputFailureE2E, LostClosingLinesEndTheRunWithExitCode1) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    int fd = open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    // Nothing to rename: only the summary lines are written, and lost.
    PipedResult r = RunWithOutput(dir, {"a.txt", "*.*"}, fd);
    close(fd);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, kFailed);
}

TEST(OutputFailureE2E, AReaderThatGoesAwayMidwayStopsTheRenames) {
    TempDir dir;
    const int count = 3000;  // several buffers of report lines
    MakeFiles(dir, count);
    int ends[2];
    // Close-on-exec: the program must not hold the reading end itself.
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    // The reader takes the first bytes, then goes.
    std::thread reader([fd = ends[0]] {
        char buf[100];
        size_t got = 0;
        while (got < sizeof buf) {
            ssize_t n = read(fd, buf + got, sizeof buf - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        close(fd);
    });
    PipedResult r = RunWithOutput(dir, {"*.txt", "*.bak"}, ends[1]);
    close(ends[1]);
    reader.join();
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.output, kFailed);
    const std::vector<std::string> names = ListDir(dir.path());
    const int renamed = CountEndingWith(names, ".bak");
    EXPECT_GT(renamed, 0);
    EXPECT_LT(renamed, count);
    EXPECT_EQ(renamed + CountEndingWith(names, ".txt"), count);
}

}  // namespace
}  // namespace dolv

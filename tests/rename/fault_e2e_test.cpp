// Faults from outside, with real files: a full disk under the report file,
// a directory that refuses renames, a dangling link as the destination, no
// input or a closed one, signals and a kill in the middle of a large batch.
// Whatever happens, every item is still there under exactly one of its two
// names. Refused renames, destinations in the way and answers that run out
// are rows of the batch and single tables.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "rename/rename_e2e.h"

namespace dolv::e2e {
namespace {

std::string Numbered(int i, const char* ext) {
    char name[32];
    std::snprintf(name, sizeof name, "f%06d%s", i, ext);
    return name;
}

// Makes count files f000000.txt ..., each holding its own name.
void PutNumbered(Folder& f, int count) {
    for (int i = 0; i < count; ++i) f.Put(Numbered(i, ".txt"), Numbered(i, ""));
}

// Every numbered file is there under exactly one of its two names, with its
// content, and nothing else has appeared. Returns how many carry the new name.
int CheckEachUnderOneName(const Folder& f, int count, bool check_content = true) {
    int renamed = 0;
    for (int i = 0; i < count; ++i) {
        const bool old_name = FileExists(f.At(Numbered(i, ".txt")).string());
        const bool new_name = FileExists(f.At(Numbered(i, ".bak")).string());
        EXPECT_NE(old_name, new_name) << Numbered(i, "");
        if (new_name) ++renamed;
        if (check_content && (old_name != new_name)) {
            EXPECT_EQ(f.Get(Numbered(i, new_name ? ".bak" : ".txt")), Numbered(i, ""));
        }
    }
    EXPECT_EQ(static_cast<int>(f.Names().size()), count);
    return renamed;
}

TEST(Fault, AFullDiskUnderTheReportFileEndsTheRunAndLosesNothing) {
    if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    Folder f;
    PutNumbered(f, 300);
    Result r = Dolv(f, {"*.txt", "*.bak", "/I", "+/dev/full", "/AS"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("Errore in scrittura del file di output: /dev/full\n"), std::string::npos)
        << r.out;
    // The renames made before the failed write stay made; no item is lost.
    CheckEachUnderOneName(f, 300);
}

TEST(Fault, ADirectoryThatRefusesRenamesChangesNothing) {
    Folder f;
    f.Dir("ro");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) f.Put(std::string("ro/") + name, name);
    if (!f.Freeze("ro"))
        GTEST_SKIP() << "no way to make a directory refuse renames here (neither permissions "
                        "nor the immutable flag bind)";
    const Lines before = f.Names("ro");
    Result r = Dolv(f, {"ro\\*.txt", "*.bak", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Count(r.out, "*** Accesso negato"), 3) << r.out;
    EXPECT_NE(r.out.find("Rinominati 0 elementi su 3 ,negati 3 ,saltati 0\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(f.Names("ro"), before);
}

// A dangling link is an item of its own: under /I it is never replaced;
// answered with Sostituisci the link goes and nothing it names is touched.
TEST(Fault, ADanglingLinkAsTheDestination) {
    Folder f;
    f.Put("b.txt", "B");
    fs::create_symlink("nowhere", f.At("b.bak"));
    Result r = Dolv(f, {"b.txt", "*.bak", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Rinominati 0 elementi su 1 ,negati 1 ,saltati 0\n"), std::string::npos)
        << r.out;
    EXPECT_TRUE(fs::is_symlink(f.At("b.bak")));
    EXPECT_EQ(fs::read_symlink(f.At("b.bak")), fs::path("nowhere"));
    EXPECT_EQ(f.Get("b.txt"), "B");

    r = Dolv(f, {"b.txt", "*.bak"}, "S");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Count(r.out, "La destinazione esiste gia'"), 1) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"b.bak"}));
    EXPECT_FALSE(fs::is_symlink(f.At("b.bak")));
    EXPECT_EQ(f.Get("b.bak"), "B");
    EXPECT_FALSE(FileExists(f.At("nowhere").string()));
}

// No input at all, or a closed one: the first question cancels, no hang.
TEST(Fault, NoInputCancelsAtTheFirstQuestion) {
    Folder f;
    f.Put("a.txt", "A");
    f.Put("a.dat", "old A");
    for (StdinMode mode : {StdinMode::kDevNull, StdinMode::kClosed}) {
        PipedOptions options;
        options.cwd = f.Root().string();
        options.stdin_mode = mode;
        PipedResult p = RunPiped({DOLV_EXE, "*.txt", "*.dat"}, "", options);
        EXPECT_FALSE(p.timed_out);
        EXPECT_EQ(p.exit_code, 1) << p.output;
        EXPECT_NE(p.output.find("Operazione interrotta dall' utente"), std::string::npos)
            << p.output;
        EXPECT_EQ(f.Names(), (Lines{"a.dat", "a.txt"}));
        EXPECT_EQ(f.Get("a.dat"), "old A");
    }
}

constexpr int kBigBatch = 1000;

// The terminal modes of a fresh pseudo-terminal, as a program that never
// touches them leaves them.
long FreshTerminalModes() {
    PtySession probe({"/bin/true"});
    probe.wait_exit();
    return probe.local_modes();
}

// Waits until the batch has renamed its first item, without reading the
// terminal: the program soon fills the terminal's buffer and waits there, in
// the middle of the batch, until the test reads on.
bool WaitForTheFirstRename(const Folder& f) {
    return WaitForFile(f.At(Numbered(0, ".bak")).string());
}

class Interrupt : public ::testing::TestWithParam<int> {};

TEST_P(Interrupt, ACancelSignalStopsBetweenTwoItems) {
    Folder f;
    PutNumbered(f, kBigBatch);
    PtySession s({DOLV_EXE, "*.txt", "*.bak"}, PtyIn(f.Root().string()));
    ASSERT_TRUE(WaitForTheFirstRename(f));
    s.signal(GetParam());
    EXPECT_EQ(s.wait_exit(60000), 1);
    const std::string out = s.plain();
    const size_t cancel = out.find("Operazione interrotta dall' utente");
    ASSERT_NE(cancel, std::string::npos) << out.substr(out.size() > 2000 ? out.size() - 2000 : 0);
    // The counts reached: "Rinominati N ...", or "Nessun file ..." for none.
    const int renamed = CheckEachUnderOneName(f, kBigBatch);
    const int reported = RenamedCount(out.substr(cancel));
    if (reported < 0) {
        EXPECT_NE(out.find("Nessun file e' stato rinominato", cancel), std::string::npos) << out;
    }
    EXPECT_EQ(reported < 0 ? 0 : reported, renamed);
    EXPECT_LT(renamed, kBigBatch) << "the signal came only after the last item";
    // The terminal is left as it was found.
    EXPECT_TRUE(s.screen().cursor_visible());
    EXPECT_EQ(s.local_modes(), FreshTerminalModes());
}

INSTANTIATE_TEST_SUITE_P(Fault, Interrupt, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == SIGINT ? std::string("SIGINT")
                                                         : std::string("SIGTERM");
                         });

TEST(Fault, AKillInTheMiddleOfABatchLeavesEveryItemUnderOneName) {
    Folder f;
    PutNumbered(f, kBigBatch);
    PtySession s({DOLV_EXE, "*.txt", "*.bak"}, PtyIn(f.Root().string()));
    ASSERT_TRUE(WaitForTheFirstRename(f));
    s.signal(SIGKILL);
    EXPECT_EQ(s.wait_exit(10000), 128 + SIGKILL);
    const int renamed = CheckEachUnderOneName(f, kBigBatch);
    EXPECT_GT(renamed, 0);
    EXPECT_LT(renamed, kBigBatch);
}

}  // namespace
}  // namespace dolv::e2e

// The journal and /U end to end: the real program with its journal in a
// private state folder; the journal's permissions, the runs kept, a large
// batch taken back, and a run killed midway taken back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <thread>

#include "rename/rename_e2e.h"

namespace dolv {
namespace {

using e2e::Folder;
using e2e::Lines;
using e2e::Result;

// The program with a journal kept in state/ (made by the program).
Result Journaled(const Folder& f, const std::string& state, const Lines& args,
                 const std::string& keys = "") {
    PipedOptions options;
    options.cwd = f.Root().string();
    options.env = {"DOLV_NO_JOURNAL", "XDG_STATE_HOME=" + state};
    options.timeout_ms = 60000;
    std::vector<std::string> argv{DOLV_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    PipedResult r = RunPiped(argv, keys, options);
    return Result{r.exit_code, WithoutCr(r.output)};
}

std::map<std::string, std::string> Snapshot(const Folder& f) {
    std::map<std::string, std::string> out;
    for (const std::string& name : f.Names()) out[name] = f.Get(name);
    return out;
}

void Fill(Folder& f, int count) {
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "f%06d.txt", i);
        f.Put(name, std::to_string(i * 7));
    }
}

mode_t Mode(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(Journal, FolderAndFilesAreTheUsersOnlyAndTwentyRunsAreKept) {
    Folder f;
    Folder home;
    const std::string state = home.At("state").string();
    const std::string dir = state + "/dolv";
    f.Put("a.txt", "a");
    Result r = Journaled(f, state, {"a.txt", "b.txt"});
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Mode(dir), 0700u);
    Lines journals = home.Names("state/dolv");
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(Mode(dir + "/" + journals[0]), 0600u);
    EXPECT_TRUE(EndsWith(journals[0], ".journal")) << journals[0];

    for (int i = 0; i < 21; ++i) {
        const std::string from = i % 2 ? "a.txt" : "b.txt";
        Journaled(f, state, {from, i % 2 ? "b.txt" : "a.txt"});
    }
    journals = home.Names("state/dolv");
    EXPECT_EQ(journals.size(), 20u);
    // A run that renames nothing keeps no journal.
    Journaled(f, state, {"*.zip", "*.bak"});
    EXPECT_EQ(home.Names("state/dolv"), journals);

    r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(CountEndingWith(home.Names("state/dolv"), ".undone"), 1);
}

TEST(Journal, NoJournalVariableAndUnwritableFolder) {
    Folder f;
    Folder home;
    f.Put("a.txt", "a");
    home.Put("ro/x", "");
    ASSERT_TRUE(home.Freeze("ro"));
    // The run goes on; one line on standard error says it cannot be undone.
    Result r = Journaled(f, home.At("ro/state").string(), {"a.txt", "b.txt"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"b.txt"}));
    EXPECT_EQ(Count(r.out,
                    "Impossibile scrivere il registro: questa esecuzione non potra' "
                    "essere annullata\n"),
              1)
        << r.out;

    PipedOptions options;
    options.cwd = f.Root().string();
    options.env = {"DOLV_NO_JOURNAL=yes", "XDG_STATE_HOME=" + home.At("state").string()};
    PipedResult off = RunPiped({DOLV_EXE, "b.txt", "a.txt"}, "", options);
    EXPECT_EQ(off.exit_code, 0) << off.output;
    EXPECT_FALSE(std::filesystem::exists(home.At("state")));
}

// Every way out closes the journal cut to its records: a cancelled run's
// file ends with its last record, as a finished run's does.
TEST(Journal, ACancelledRunKeepsOnlyItsRecords) {
    Folder f;
    Folder home;
    const std::string state = home.At("state").string();
    f.Put("a.txt", "a");
    f.Put("b.txt", "b");
    Result r = Journaled(f, state, {"*.txt", "*.bak", "/P"}, "S");
    ASSERT_EQ(r.code, 1) << r.out;
    const Lines journals = home.Names("state/dolv");
    ASSERT_EQ(journals.size(), 1u);
    const std::string text = home.Get("state/dolv/" + journals[0]);
    EXPECT_EQ(text.find('\0'), std::string::npos) << text.size() << " bytes";
    EXPECT_TRUE(EndsWith(text, "a.bak\n")) << text;
}

TEST(Journal, ThousandFilesBackExactlyAsBefore) {
    Folder f;
    Folder home;
    const std::string state = home.At("state").string();
    Fill(f, 1000);
    f.Put("other.doc", "doc");
    const auto before = Snapshot(f);
    Result r = Journaled(f, state, {"*.txt", "*.bak", "/I", "+NUL"});
    ASSERT_EQ(r.code, 0) << r.out;
    ASSERT_EQ(f.CountWithSuffix(".bak"), 1000);
    r = Journaled(f, state, {"/U", "/I", "+NUL"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(Snapshot(f) == before);
    r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "Nessuna esecuzione da annullare\n");
}

// The records of an exchange name items in two directories (and a
// temporary name); an answer N leaves a backup; names with % and blanks.
TEST(Journal, ExchangeAcrossDirectoriesAndBackupComeBack) {
    Folder f;
    Folder home;
    const std::string state = home.At("state").string();
    f.Put("a 100%.txt", "a");
    f.Put("sub/q", "q");
    f.Put("c.txt", "c");
    const auto before = Snapshot(f);
    ASSERT_EQ(Journaled(f, state, {"a 100%.txt", "sub\\q", "/R"}).code, 0);
    ASSERT_EQ(f.Get("sub/a 100%.txt"), "q");
    ASSERT_EQ(Journaled(f, state, {"c.txt", "q"}, "N").code, 0);
    ASSERT_EQ(f.Get("q.bak"), "a");
    Result r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Ripristinati 2 elementi su 2 ,non ripristinabili 0\n"), std::string::npos)
        << r.out;
    r = Journaled(f, state, {"/U"});
    EXPECT_NE(r.out.find("Ripristinati 2 elementi su 2 ,non ripristinabili 0\n"), std::string::npos)
        << r.out;
    EXPECT_TRUE(Snapshot(f) == before);
    EXPECT_EQ(f.Get("sub/q"), "q");
}

// The identity the directory read gave: another file under the new name is
// left alone (the first one is kept aside, so that its inode is not reused).
TEST(Journal, AnotherFileUnderTheNewNameIsLeftAlone) {
    Folder f;
    Folder home;
    const std::string state = home.At("state").string();
    f.Put("a.txt", "a");
    ASSERT_EQ(Journaled(f, state, {"*.txt", "*.bak", "/I", "+NUL"}).code, 0);
    std::filesystem::rename(f.At("a.bak"), f.At("kept"));
    f.Put("a.bak", "other");
    Result r = Journaled(f, state, {"/U"});
    EXPECT_NE(r.out.find("*** Non e' piu' lo stesso elemento: "), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.bak", "kept"}));
}

// Starts the batch, and kills it once the file `watch` exists.
int KilledBatch(const Folder& f, const std::string& state, const std::string& watch) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(f.Root().c_str()) != 0) _exit(126);
        unsetenv("DOLV_NO_JOURNAL");
        setenv("XDG_STATE_HOME", state.c_str(), 1);
        std::freopen("/dev/null", "w", stdout);
        execl(DOLV_EXE, DOLV_EXE, "*.txt", "*.bak", "/I", "+NUL", static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    struct stat st;
    while (stat(f.At(watch).c_str(), &st) != 0 && std::chrono::steady_clock::now() < deadline) {
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return f.CountWithSuffix(".bak");
}

TEST(Journal, RunKilledMidBatchComesBackWhole) {
    Folder home;
    const std::string state = home.At("state").string();
    // A batch fast enough to end before the kill is tried again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        Folder f;
        Fill(f, 5000);
        f.Put("other.doc", "doc");
        const auto before = Snapshot(f);
        const int renamed = KilledBatch(f, state, "f000020.bak");
        if (renamed >= 5000) continue;
        ASSERT_GT(renamed, 0);
        Result r = Journaled(f, state, {"/U", "/I", "+..\\undo.log"});
        EXPECT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(Snapshot(f) == before);
        const std::string log = WithoutCr(f.Get("../undo.log"));
        EXPECT_NE(log.find("Ripristinati " + std::to_string(renamed)), std::string::npos) << log;
        EXPECT_NE(log.find(",non ripristinabili 0\n"), std::string::npos) << log;
        std::filesystem::remove(f.At("../undo.log"));
        return;
    }
    GTEST_SKIP() << "every batch ended before it could be killed";
}

}  // namespace
}  // namespace dolv

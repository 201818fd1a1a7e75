// The journal and /U end to end: the real program with its journal in a
// private state folder; the journal's permissions, the runs kept, a large
// batch taken back, and a run killed midway taken back; the store that
// nobody else can steer, the lock of a run in progress, an undo that
// cannot be recorded, every way out, the folder /U belongs to, and the
// memory /U holds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
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

// The program in f with a journal kept in state/ (made by the program).
Result Journaled(const Folder& f, const std::string& state, const Lines& args,
                 const std::string& keys = "") {
    return e2e::Journaled(f.Root().string(), state, args, keys);
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

// A test's folder of files, and a home whose state folder keeps the journal.
class Journal : public ::testing::Test {
  protected:
    Folder f;
    Folder home;
    const std::string state = home.At("state").string();
};

TEST_F(Journal, FolderAndFilesAreTheUsersOnlyAndTwentyRunsAreKept) {
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

// Answer S on the home's file system: the old file goes to the home trash,
// $XDG_DATA_HOME/Trash, or ~/.local/share/Trash without it (made with the
// folders above it), and /U brings both files back with their contents and
// takes the description away.
TEST_F(Journal, ReplaceThenUndoThroughTheHomeTrash) {
    for (const bool xdg : {true, false}) {
        SCOPED_TRACE(xdg ? "XDG_DATA_HOME" : "HOME");
        const std::string data = xdg ? home.At("data").string() : home.At(".local/share").string();
        f.Put("a.txt", "A");
        f.Put("b.txt", "B");
        PipedOptions options;
        options.cwd = f.Root().string();
        options.env = {"DOLV_NO_JOURNAL", "XDG_STATE_HOME=" + state, "HOME=" + home.Root().string(),
                       xdg ? "XDG_DATA_HOME=" + data : "XDG_DATA_HOME"};
        PipedResult run = RunPiped({DOLV_EXE, "a.txt", "b.txt"}, "S", options);
        EXPECT_EQ(run.exit_code, 0) << run.output;
        EXPECT_EQ(f.Names(), (Lines{"b.txt"}));
        EXPECT_EQ(ReadFile(data + "/Trash/files/b.txt"), "B");
        EXPECT_TRUE(FileExists(data + "/Trash/info/b.txt.trashinfo"));
        EXPECT_EQ(Mode(data + "/Trash"), 0700u);
        PipedResult undo = RunPiped({DOLV_EXE, "/U"}, "", options);
        EXPECT_TRUE(Contains(undo.output, "Ripristinati 2 elementi su 2 ,non ripristinabili 0"))
            << undo.output;
        EXPECT_EQ(Snapshot(f),
                  (std::map<std::string, std::string>{{"a.txt", "A"}, {"b.txt", "B"}}));
        EXPECT_EQ(ListDir(data + "/Trash/info"), Lines{});
        std::filesystem::remove_all(f.At("a.txt"));
        std::filesystem::remove_all(f.At("b.txt"));
    }
}

TEST_F(Journal, NoJournalVariableAndUnwritableFolder) {
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
TEST_F(Journal, ACancelledRunKeepsOnlyItsRecords) {
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

TEST_F(Journal, ThousandFilesBackExactlyAsBefore) {
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
TEST_F(Journal, ExchangeAcrossDirectoriesAndBackupComeBack) {
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
TEST_F(Journal, AnotherFileUnderTheNewNameIsLeftAlone) {
    f.Put("a.txt", "a");
    ASSERT_EQ(Journaled(f, state, {"*.txt", "*.bak", "/I", "+NUL"}).code, 0);
    std::filesystem::rename(f.At("a.bak"), f.At("kept"));
    f.Put("a.bak", "other");
    Result r = Journaled(f, state, {"/U"});
    EXPECT_NE(r.out.find("*** Non e' piu' lo stesso elemento: "), std::string::npos) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.bak", "kept"}));
}

// The program started in a folder with its journal in state: its standard
// input a pipe held open (closed to end it: every key is then Esc), its
// output into a file.
class Started {
  public:
    Started(const std::string& cwd, const std::string& state, const Lines& args,
            const std::string& out = "/dev/null") {
        int in[2];
        if (pipe(in) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(cwd.c_str()) != 0) _exit(126);
            dup2(in[0], 0);
            close(in[0]);
            close(in[1]);
            unsetenv("DOLV_NO_JOURNAL");
            setenv("XDG_STATE_HOME", state.c_str(), 1);
            if (!std::freopen(out.c_str(), "w", stdout)) _exit(125);
            std::vector<const char*> argv{DOLV_EXE};
            for (const std::string& a : args) argv.push_back(a.c_str());
            argv.push_back(nullptr);
            execv(DOLV_EXE, const_cast<char* const*>(argv.data()));
            _exit(127);
        }
        close(in[0]);
        keys_ = in[1];
    }
    ~Started() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Wait();
        }
    }
    void Signal(int sig) const { kill(pid_, sig); }
    void CloseKeys() {
        if (keys_ >= 0) close(keys_);
        keys_ = -1;
    }
    // Its exit code (128 + the signal that ended it), and the most memory it held.
    int Wait() {
        CloseKeys();
        int status = 0;
        struct rusage use {};
        if (pid_ > 0) wait4(pid_, &status, 0, &use);
        pid_ = -1;
        peak_kib_ = use.ru_maxrss;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    long PeakKib() const { return peak_kib_; }

  private:
    pid_t pid_ = -1;
    int keys_ = -1;
    long peak_kib_ = 0;
};

// Waits until path exists (a rename has been made), at most 30 seconds.
bool Appears(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    struct stat st;
    while (stat(path.c_str(), &st) != 0)
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

// Starts the batch, and kills it once the file `watch` exists.
int KilledBatch(const Folder& f, const std::string& state, const std::string& watch) {
    Started run(f.Root().string(), state, {"*.txt", "*.bak", "/I", "+NUL"});
    Appears(f.At(watch).string());
    run.Signal(SIGKILL);
    run.Wait();
    return f.CountWithSuffix(".bak");
}

TEST_F(Journal, RunKilledMidBatchComesBackWhole) {
    // A batch fast enough to end before the kill is tried again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        Folder files;
        Fill(files, 5000);
        files.Put("other.doc", "doc");
        const auto before = Snapshot(files);
        const int renamed = KilledBatch(files, state, "f000020.bak");
        if (renamed >= 5000) continue;
        ASSERT_GT(renamed, 0);
        Result r = Journaled(files, state, {"/U", "/I", "+..\\undo.log"});
        EXPECT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(Snapshot(files) == before);
        const std::string log = WithoutCr(files.Get("../undo.log"));
        EXPECT_NE(log.find("Ripristinati " + std::to_string(renamed)), std::string::npos) << log;
        EXPECT_NE(log.find(",non ripristinabili 0\n"), std::string::npos) << log;
        std::filesystem::remove(files.At("../undo.log"));
        return;
    }
    GTEST_SKIP() << "every batch ended before it could be killed";
}

// Every way out with code 1 closes the journal cut to its records (or
// removes it, when no step was made): no zero room is left.
TEST_F(Journal, EveryWayOutWithCodeOneClosesTheJournal) {
    struct Case {
        const char* name;
        Lines args;
        std::string keys;
        bool made;  // a step was made before the end
    };
    const Case cases[] = {
        {"Esc at a question", {"*.txt", "x.txt"}, "", true},
        {"an exchange given up", {"a.txt", "d\\b.txt", "/R", "/I"}, "", true},
        {"a report file that cannot be written", {"*.txt", "*.bak", "/I", "+/dev/full"}, "", false},
        {"nothing renamed, cancelled", {"*.txt", "b.txt"}, "A", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder files;
        Folder own;
        files.Put("a.txt", "a");
        files.Put("b.txt", "b");
        files.Put("d/b.txt", "d");
        files.Put("d/a.txt", "in the way");
        Result r = Journaled(files, own.At("state").string(), c.args, c.keys);
        EXPECT_EQ(r.code, 1) << r.out;
        const Lines journals = own.Names("state/dolv");
        ASSERT_EQ(journals.size(), c.made ? 1u : 0u) << r.out;
        if (!c.made) continue;
        const std::string text = own.Get("state/dolv/" + journals[0]);
        EXPECT_EQ(text.find('\0'), std::string::npos) << text.size() << " bytes";
        EXPECT_TRUE(EndsWith(text, "\n")) << text;
    }
    // Ctrl-C in the middle of a long batch.
    Fill(f, 3000);
    Started run(f.Root().string(), state, {"*.txt", "*.bak", "/I", "+NUL"});
    ASSERT_TRUE(Appears(f.At("f000010.bak").string()));
    run.Signal(SIGINT);
    EXPECT_EQ(run.Wait(), 1);
    const Lines journals = home.Names("state/dolv");
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(home.Get("state/dolv/" + journals[0]).find('\0'), std::string::npos);
}

// A step /U could not take back is not made: names given relative to a
// folder whose whole path they take past 255 bytes are refused.
TEST_F(Journal, StepTooLongToTakeBackIsRefused) {
    const std::string name(250 - f.Root().string().size() % 8, 'z');
    ASSERT_GT(f.Root().string().size() + 1 + name.size(), 255u);
    f.Put(name, "A");
    Result r = Journaled(f, state, {"z*", "y*", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Contains(r.out, "*** Accesso negato")) << r.out;
    EXPECT_EQ(f.Names(), (Lines{name}));
    r = Journaled(f, state, {"/U", "/I"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_EQ(f.Names(), (Lines{name}));
}

// A run that renamed nothing leaves no journal: /U takes back the one before.
TEST_F(Journal, RefusedRunIsPassedOver) {
    f.Put("a.txt", "A");
    f.Put("b.txt", "B");
    f.Put("c.txt", "C");
    ASSERT_EQ(Journaled(f, state, {"a.txt", "a.bak"}).code, 0);
    ASSERT_EQ(Journaled(f, state, {"b.txt", "c.txt", "/I"}).code, 0);
    Result r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.txt", "b.txt", "c.txt"}));
}

// The store nobody else can steer: a folder open to others is closed, a
// link in its place and a journal of another user's are refused, with one
// line on standard error each.
TEST_F(Journal, StoreNobodyElseCanSteer) {
    const std::string dir = state + "/dolv";
    f.Put("a.txt", "a");
    home.Dir("state/dolv");
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    ASSERT_EQ(Journaled(f, state, {"a.txt", "b.txt"}).code, 0);
    EXPECT_EQ(Mode(dir), 0700u);
    EXPECT_EQ(home.Names("state/dolv").size(), 1u);
    // A journal another user owns: /U stops there.
    const std::string journal = dir + "/" + home.Names("state/dolv")[0];
    if (geteuid() == 0) {
        ASSERT_EQ(chown(journal.c_str(), 65534, 65534), 0);
        Result r = Journaled(f, state, {"/U"});
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_TRUE(Contains(r.out, "appartiene a un altro utente: impossibile annullare"))
            << r.out;
        EXPECT_EQ(f.Names(), (Lines{"b.txt"}));
        ASSERT_EQ(chown(journal.c_str(), 0, 0), 0);
    }
    // A journal others may read: /U stops there too.
    ASSERT_EQ(chmod(journal.c_str(), 0644), 0);
    Result r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(Contains(r.out, "e' accessibile ad altri utenti: impossibile annullare")) << r.out;
    // A link in the folder's place: no journal, the run goes on; /U ends.
    std::filesystem::remove_all(dir);
    home.Dir("elsewhere");
    std::filesystem::create_directory_symlink(home.At("elsewhere"), dir);
    r = Journaled(f, state, {"b.txt", "c.txt"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Contains(r.out,
                         "La cartella del registro e' un collegamento: questa esecuzione "
                         "non potra' essere annullata\n"))
        << r.out;
    EXPECT_EQ(f.Names(), (Lines{"c.txt"}));
    EXPECT_TRUE(home.Names("elsewhere").empty());
    r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(
        Contains(r.out, "La cartella del registro e' un collegamento: impossibile annullare"))
        << r.out;
}

// Two /U at once never take back one run twice: the second, started while
// the first takes the latest run back, meets it in progress and renames
// nothing (or, started after it, takes back the run before).
TEST_F(Journal, TwoUndosAtOnce) {
    f.Put("a.txt", "a");
    ASSERT_EQ(Journaled(f, state, {"a.txt", "a.bak"}).code, 0);
    Fill(f, 20000);
    ASSERT_EQ(Journaled(f, state, {"f*.txt", "*.bak", "/I", "+NUL"}).code, 0);
    const std::string log = f.At("../first.log").string();
    Started first(f.Root().string(), state, {"/U", "/I", "+NUL"}, log);
    ASSERT_TRUE(Appears(f.At("f019990.txt").string()));
    Result second = Journaled(f, state, {"/U"});
    EXPECT_EQ(first.Wait(), 0);
    std::filesystem::remove(log);
    EXPECT_EQ(f.CountWithSuffix(".bak") + f.CountWithSuffix(".txt"), 20001);
    if (f.CountWithSuffix(".bak") == 1) {
        EXPECT_EQ(second.code, 1) << second.out;
        EXPECT_TRUE(Contains(second.out, "Un' esecuzione e' ancora in corso")) << second.out;
    } else {
        EXPECT_EQ(second.out,
                  "Ripristino del file " + f.At("a.bak").string() +
                      " in a.txt\nRipristinati 1 elementi su 1 ,non ripristinabili 0\n");
    }
    EXPECT_EQ(f.CountWithSuffix(".txt"), 20000 + (f.CountWithSuffix(".bak") == 1 ? 0 : 1));
}

// A run in progress, waiting at a question after its first rename, holds
// its journal: /U says so and renames nothing.
TEST_F(Journal, RunInProgressIsNotTakenBack) {
    f.Put("a.txt", "a");
    f.Put("b.txt", "b");
    Started run(f.Root().string(), state, {"*.txt", "x.txt"});
    ASSERT_TRUE(Appears(f.At("x.txt").string()));
    Result r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_EQ(r.out, "Un' esecuzione e' ancora in corso: nessun elemento e' stato ripristinato\n");
    EXPECT_EQ(f.Names(), (Lines{"b.txt", "x.txt"}));
    EXPECT_EQ(run.Wait(), 1);  // Esc at the question
    r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(f.Names(), (Lines{"a.txt", "b.txt"}));
}

// An undo that cannot be recorded (a state folder whose names cannot
// change) renames nothing, and says so; later the run is still there.
TEST_F(Journal, UndoThatCannotBeRecordedRenamesNothing) {
    f.Put("a.txt", "a");
    ASSERT_EQ(Journaled(f, state, {"a.txt", "b.txt"}).code, 0);
    ASSERT_TRUE(home.Freeze("state/dolv"));
    Result r = Journaled(f, state, {"/U"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_EQ(r.out, "Impossibile scrivere il registro: nessun elemento e' stato ripristinato\n");
    EXPECT_EQ(f.Names(), (Lines{"b.txt"}));
    home.Thaw("state/dolv");
    EXPECT_EQ(Journaled(f, state, {"/U"}).code, 0);
    EXPECT_EQ(f.Names(), (Lines{"a.txt"}));
}

// /U belongs to the folder it is typed in.
TEST_F(Journal, UndoBelongsToItsFolder) {
    f.Put("A/a.txt", "a");
    f.Put("B/b.txt", "b");
    ASSERT_EQ(e2e::Journaled(f.At("A").string(), state, {"a.txt", "a.bak"}).code, 0);
    ASSERT_EQ(e2e::Journaled(f.At("B").string(), state, {"b.txt", "b.bak"}).code, 0);
    EXPECT_EQ(e2e::Journaled(f.At("B").string(), state, {"/U"}).code, 0);
    Result r = e2e::Journaled(f.At("B").string(), state, {"/U"});
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_TRUE(Contains(r.out, "Nessuna esecuzione da annullare in questa directory\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, f.At("A").string() + "/")) << r.out;
    EXPECT_EQ(f.Names("A"), (Lines{"a.bak"}));
    EXPECT_EQ(e2e::Journaled(f.Root().string(), state, {"/U"}).code, 0);
    EXPECT_EQ(f.Names("A"), (Lines{"a.txt"}));
}

// /U holds no more than the batch did: its journal is read a piece at a
// time, and only the items of several records are kept.
TEST_F(Journal, UndoHoldsNoMoreMemoryThanItsRun) {
    Fill(f, 20000);
    Started run(f.Root().string(), state, {"*.txt", "*.bak", "/I", "+NUL"});
    ASSERT_EQ(run.Wait(), 0);
    Started undo(f.Root().string(), state, {"/U", "/I", "+NUL"});
    ASSERT_EQ(undo.Wait(), 0);
    EXPECT_EQ(f.CountWithSuffix(".txt"), 20000);
    EXPECT_LE(undo.PeakKib(), 2 * run.PeakKib()) << run.PeakKib() << " KiB for the run";
}

}  // namespace
}  // namespace dolv

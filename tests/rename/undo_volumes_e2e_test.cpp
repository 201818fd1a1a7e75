// /U on file systems of their own, mounted through a loop device: ext4,
// which gives a freed inode number to the next file at once, and exFAT in
// user space, which folds names, gives each spelling a number of its own
// and none in its listing, and has neither renameat2's RENAME_NOREPLACE
// nor hard links (every rename takes its new name with a placeholder
// first). Each test starts the built program with its journal in a state
// folder of the test's own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "harness/volume.h"
#include "rename/rename_e2e.h"

namespace dolv {
namespace {

namespace fs = std::filesystem;
using e2e::Lines;
using e2e::Result;

class Volume : public ::testing::Test {
  protected:
    explicit Volume(LoopVolume::Kind kind) : volume_(kind) {}
    void SetUp() override {
        const std::string why = volume_.Mount();
        if (why.starts_with("failed:")) FAIL() << why;
        if (!why.empty()) GTEST_SKIP() << why;
    }
    std::string At(const std::string& name) const { return volume_.Root() + "/" + name; }
    void Put(const std::string& name, const std::string& content) const {
        WriteFile(At(name), content);
    }
    std::string Get(const std::string& name) const {
        return FileExists(At(name)) ? ReadFile(At(name)) : "<missing>";
    }
    // The names in the volume's root, but ext4's own lost+found.
    Lines List() const {
        Lines names = ListDir(volume_.Root());
        std::erase(names, "lost+found");
        return names;
    }
    // Every item of the volume, hidden ones too, with its content.
    std::map<std::string, std::string> Contents() const {
        std::map<std::string, std::string> out;
        for (const std::string& name : List())
            if (fs::is_regular_file(At(name))) out[name] = ReadFile(At(name));
        return out;
    }
    void Clear() const {
        for (const std::string& name : List()) fs::remove_all(At(name));
        fs::remove_all(state_.path() + "/dolv");
    }
    Result Dolv(const Lines& args, const std::string& keys = "") const {
        return e2e::Journaled(volume_.Root(), state_.path(), args, keys);
    }
    ino_t Inode(const std::string& name) const {
        struct stat st;
        return stat(At(name).c_str(), &st) == 0 ? st.st_ino : 0;
    }

    LoopVolume volume_;
    TempDir state_;
};

class Ext4 : public Volume {
  protected:
    Ext4() : Volume(LoopVolume::Kind::kExt4) {}
};
class Exfat : public Volume {
  protected:
    Exfat() : Volume(LoopVolume::Kind::kExfat) {}
};

// Answer S onto an item of a volume whose top takes no trash folder (made
// immutable): no trash on that file system can take the old file by a
// rename, so it is deleted as a replace always did, and the line says that
// it cannot be taken back; /U then names it.
TEST_F(Ext4, ReplaceWhereNoTrashCanBeMadeDeletesAndSaysSo) {
    fs::create_directory(At("w"));
    Put("w/a.txt", "A");
    Put("w/b.txt", "B");
    const std::string chattr = FindTool("chattr");
    if (chattr.empty()) GTEST_SKIP() << "no chattr (package e2fsprogs)";
    ASSERT_EQ(RunShell(ShellQuote(chattr) + " +i " + ShellQuote(volume_.Root()), true).status, 0);
    Result run = e2e::Journaled(At("w"), state_.path(), {"a.txt", "b.txt"}, "S");
    Result undo = e2e::Journaled(At("w"), state_.path(), {"/U", "/I"});
    RunShell(ShellQuote(chattr) + " -i " + ShellQuote(volume_.Root()), true);
    EXPECT_TRUE(
        Contains(run.out, "*** Il file preesistente e' stato cancellato, non ripristinabile\n"))
        << run.out;
    EXPECT_EQ(List(), (Lines{"w"}));
    EXPECT_TRUE(
        Contains(undo.out, "*** Sostituito e cancellato, non ripristinabile: " + At("w/b.txt")))
        << undo.out;
    EXPECT_EQ(ReadFile(At("w/a.txt")), "A");
}

// Answer S on a tmpfs of its own, away from the home's file system: the old
// file goes to the trash at the top of the mount (.Trash-<uid>, made 0700),
// with its description, and /U brings both files back with their contents.
TEST(TrashAtTheTopOfAMount, ReplaceThenUndoOnTmpfs) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
    TempDir tmp, state;
    const std::string mnt = tmp / "mnt";
    fs::create_directory(mnt);
    if (RunShell("mount -t tmpfs -o size=8m tmpfs " + ShellQuote(mnt), true).status != 0)
        GTEST_SKIP() << "the machine refuses a tmpfs mount";
    fs::create_directory(mnt + "/w");
    WriteFile(mnt + "/w/a.txt", "A");
    WriteFile(mnt + "/w/b.txt", "B");
    Result run = e2e::Journaled(mnt + "/w", state.path(), {"a.txt", "b.txt"}, "S");
    const std::string trash = mnt + "/.Trash-" + std::to_string(geteuid());
    struct stat st = {};
    stat(trash.c_str(), &st);
    const std::string kept =
        FileExists(trash + "/files/b.txt") ? ReadFile(trash + "/files/b.txt") : "";
    const std::string info = FileExists(trash + "/info/b.txt.trashinfo")
                                 ? ReadFile(trash + "/info/b.txt.trashinfo")
                                 : "";
    Result undo = e2e::Journaled(mnt + "/w", state.path(), {"/U"});
    const std::string a = ReadFile(mnt + "/w/a.txt"), b = ReadFile(mnt + "/w/b.txt");
    const Lines left = ListDir(trash + "/info");
    RunShell("umount " + ShellQuote(mnt), true);
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(kept, "B");
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=" + mnt + "/w/b.txt\nDeletionDate=")) << info;
    EXPECT_TRUE(Contains(undo.out, "Ripristinati 2 elementi su 2 ,non ripristinabili 0"))
        << undo.out;
    EXPECT_EQ(a, "A");
    EXPECT_EQ(b, "B");
    EXPECT_EQ(left, Lines{});
}

// Files made under the names a run gave, after the renamed files were
// deleted: on ext4 most of them get the freed inode numbers. None is taken
// for an item of the run.
TEST_F(Ext4, NewFilesWithTheFreedInodeNumbersAreOtherItems) {
    std::map<std::string, ino_t> renamed;
    for (int i = 0; i < 10; ++i) Put("a" + std::to_string(i) + ".txt", "MINE");
    ASSERT_EQ(Dolv({"*.txt", "*.dat", "/I", "+NUL"}).code, 0);
    for (const std::string& name : List()) renamed[name] = Inode(name);
    for (const auto& [name, inode] : renamed) fs::remove(At(name));
    int reused = 0;
    for (const auto& [name, inode] : renamed) {
        Put(name, "OTHER");
        reused += Inode(name) == inode ? 1 : 0;
    }
    EXPECT_GT(reused, 0) << "ext4 gave no freed inode number again";
    Result r = Dolv({"/U", "/I"});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Count(r.out, "*** Non e' piu' lo stesso elemento: "), 10) << r.out;
    EXPECT_TRUE(Contains(r.out, "Ripristinati 0 elementi su 10 ,non ripristinabili 10")) << r.out;
    for (const auto& [name, inode] : renamed) EXPECT_EQ(Get(name), "OTHER") << name;
    EXPECT_EQ(List().size(), 10u);
}

// A wildcard batch records an identity that /U can check there, also when
// the system lists numbers it has not given yet (the volume mounted since
// the files were made): a file made where the renamed one was is not
// taken for it.
TEST_F(Exfat, AnotherFileWhereTheRenamedOneWas) {
    Put("a.txt", "MINE");
    ASSERT_TRUE(volume_.Remount());
    ASSERT_EQ(Dolv({"*.txt", "*.dat"}).code, 0);
    fs::rename(At("a.dat"), At("a.moved"));
    Put("a.dat", "OTHER");
    Result r = Dolv({"/U", "/I"});
    EXPECT_TRUE(Contains(r.out, "*** Non e' piu' lo stesso elemento: ")) << r.out;
    EXPECT_EQ(Contents(),
              (std::map<std::string, std::string>{{"a.dat", "OTHER"}, {"a.moved", "MINE"}}));
}

// A step refused and never made is no loss.
TEST_F(Exfat, RefusedStepIsNoLoss) {
    Put("a.txt", "A");
    Put("b.txt", "B");
    Put("b.bak", "C");
    ASSERT_TRUE(volume_.Remount());
    ASSERT_EQ(Dolv({"*.txt", "*.bak", "/I"}).code, 0);
    Result r = Dolv({"/U", "/I"});
    EXPECT_TRUE(Contains(r.out, "Ripristinati 1 elementi su 1 ,non ripristinabili 0")) << r.out;
    EXPECT_EQ(Contents(),
              (std::map<std::string, std::string>{{"a.txt", "A"}, {"b.bak", "C"}, {"b.txt", "B"}}));
}

// Three files to one name, N then S: each item is the one it was, and the
// one S replaced comes back from the trash at the top of the volume.
TEST_F(Exfat, ManyToOneWithABackupAndAReplace) {
    Put("a.txt", "A");
    Put("b.txt", "B");
    Put("c.txt", "C");
    ASSERT_TRUE(volume_.Remount());
    ASSERT_EQ(Dolv({"*.txt", "x.txt"}, "NS").code, 0);
    const std::string trash = ".Trash-" + std::to_string(geteuid());
    EXPECT_EQ(ReadFile(At(trash + "/files/x.txt")), "B");
    Result r = Dolv({"/U", "/I"});
    EXPECT_TRUE(Contains(r.out, "Ripristinati 3 elementi su 3 ,non ripristinabili 0")) << r.out;
    EXPECT_EQ(Contents(),
              (std::map<std::string, std::string>{{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}}));
    EXPECT_EQ(ListDir(At(trash + "/info")), std::vector<std::string>{});
    // Emptied since: the file is named, as one that cannot come back.
    Clear();
    Put("a.txt", "A");
    Put("b.txt", "B");
    ASSERT_EQ(Dolv({"a.txt", "b.txt"}, "S").code, 0);
    fs::remove_all(At(trash));
    r = Dolv({"/U", "/I"});
    EXPECT_TRUE(Contains(r.out, "Sostituito e cancellato, non ripristinabile: ")) << r.out;
    EXPECT_EQ(Contents(), (std::map<std::string, std::string>{{"a.txt", "A"}}));
}

// A remount between the run and /U hands the numbers out again, in the
// order names are looked up: files of one size changed just before the
// run, whose times cannot tell them, are named and left where they are,
// never taken for one another (where the kernel tells one mount from the
// next). Older files, whose times tell them, all come home.
TEST_F(Exfat, RemountBeforeUndoTakesNoItemForAnother) {
    for (const bool old : {false, true}) {
        SCOPED_TRACE(old ? "old files" : "files just made");
        Clear();
        Put("a.txt", "A");
        Put("b.txt", "B");
        Put("c.txt", "C");
        for (int i = 0; old && i < 3; ++i) {
            const struct timeval at[2] = {{1700000000 + i, 0}, {1700000000 + i, 0}};
            ASSERT_EQ(utimes(At(std::string(1, static_cast<char>('a' + i)) + ".txt").c_str(), at),
                      0);
        }
        ASSERT_TRUE(volume_.Remount());
        ASSERT_EQ(Dolv({"*.txt", "x.txt"}, "NS").code, 0);
        // Looked at before the remount: a lookup after it would change the
        // numbers the names get.
        const std::map<std::string, std::string> before = Contents();
        ASSERT_TRUE(volume_.Remount());
        Result r = Dolv({"/U", "/I"});
        if (old) {
            EXPECT_TRUE(Contains(r.out, "Ripristinati 3 elementi su 3 ,non ripristinabili 0"))
                << r.out;
            EXPECT_EQ(Contents(), (std::map<std::string, std::string>{
                                      {"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}}));
        } else {
            // Every content still under a name it had after the run, or home.
            for (const auto& [name, content] : Contents()) {
                const bool home =
                    name == std::string(1, static_cast<char>(std::tolower(content[0]))) + ".txt";
                EXPECT_TRUE(home || (before.contains(name) && before.at(name) == content))
                    << name << "=" << content << "\n"
                    << r.out;
            }
        }
    }
}

// A change of letter case is taken back too, through a temporary name.
TEST_F(Exfat, CaseOnlyRenamesComeBack) {
    Put("Readme.TXT", "A");
    for (int i = 0; i < 20; ++i) Put("f" + std::to_string(i) + ".txt", std::to_string(i));
    const auto before = Contents();
    ASSERT_EQ(Dolv({"Readme.TXT", "*.*", "/+"}).code, 0);
    ASSERT_EQ(Dolv({"f*.txt", "*.*", "/+", "/I", "+NUL"}).code, 0);
    ASSERT_EQ(Get("README.TXT"), "A");
    Result r = Dolv({"/U", "/I"});
    EXPECT_TRUE(Contains(r.out, "Ripristinati 20 elementi su 20 ,non ripristinabili 0")) << r.out;
    r = Dolv({"/U", "/I"});
    EXPECT_TRUE(Contains(r.out, "Ripristinati 1 elementi su 1 ,non ripristinabili 0")) << r.out;
    EXPECT_EQ(Contents(), before);
}

// Starts the program and kills it after a moment; its exit code.
int KilledAfter(const std::string& cwd, const std::string& state, const Lines& args,
                std::chrono::microseconds moment) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(cwd.c_str()) != 0) _exit(126);
        unsetenv("DOLV_NO_JOURNAL");
        setenv("XDG_STATE_HOME", state.c_str(), 1);
        std::freopen("/dev/null", "w", stdout);
        std::vector<const char*> argv{DOLV_EXE};
        for (const std::string& a : args) argv.push_back(a.c_str());
        argv.push_back(nullptr);
        execv(DOLV_EXE, const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    std::this_thread::sleep_for(moment);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// A run killed at a random moment, while its items bear temporary names
// or while placeholders hold their new names: /U brings every item back
// under its name, and leaves none of the program's own names behind.
TEST_F(Exfat, KilledRunsLeaveNothingOfTheirOwn) {
    std::mt19937 rng(20261209);
    int cut_short = 0;
    for (int round = 0; round < 8; ++round) {
        Clear();
        for (int i = 0; i < 120; ++i)
            Put("f" + std::to_string(100 + i) + ".txt", std::to_string(i));
        const auto before = Contents();
        const Lines run = round % 2 ? Lines{"f*.txt", "*.*", "/+", "/I", "+NUL"}
                                    : Lines{"f*.txt", "g*.dat", "/I", "+NUL"};
        KilledAfter(volume_.Root(), state_.path(), run,
                    std::chrono::microseconds(20000 + rng() % 200000));
        if (Contents() != before) ++cut_short;
        std::string journal;
        for (const std::string& name : ListDir(state_.path() + "/dolv"))
            journal += ReadFile(state_.path() + "/dolv/" + name);
        Result r = Dolv({"/U", "/I", "+NUL"});
        EXPECT_TRUE(r.code == 0 || r.code == 1) << r.out;
        const auto after = Contents();
        std::string odd;
        for (const auto& [name, text] : after)
            if (!before.contains(name) || before.at(name) != text) odd += " " + name + "=" + text;
        for (const auto& [name, text] : before)
            if (!after.contains(name)) odd += " -" + name;
        std::erase(journal, '\0');
        EXPECT_EQ(odd, "") << "round " << round << ": " << r.out << "\n"
                           << journal.substr(journal.size() > 600 ? journal.size() - 600 : 0);
    }
    EXPECT_GT(cut_short, 0) << "no run was killed before its end";
}

}  // namespace
}  // namespace dolv

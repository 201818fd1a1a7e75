// The journal and /U of the Windows program under wine: a batch of 1,000
// files taken back leaves the folder exactly as it was, a batch writes the
// journal the Linux program writes, one record for each step, and a file
// made where a renamed one was (with its freed file ID: wine's is the
// inode number) is never taken for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness/dolv_run.h"
#include "wine_tmux.h"

namespace dolv {
namespace {

using namespace std::string_literals;

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
    // The Linux program on the same folder, its journal in state/.
    PipedResult RunLinux(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {DOLV_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        PipedOptions options;
        options.cwd = dir_.path();
        options.env = {"DOLV_NO_JOURNAL", "XDG_STATE_HOME=" + state_.path()};
        return RunPiped(argv, "", options);
    }
    std::map<std::string, std::string> Snapshot() {
        std::map<std::string, std::string> out;
        for (const std::string& name : ListDir(dir_.path())) out[name] = ReadFile(dir_ / name);
        return out;
    }

    TempDir dir_;
    TempDir state_;
};

namespace fs = std::filesystem;

// The journals the Windows program keeps in the wine prefix, by name.
std::map<std::string, std::string> WineJournals() {
    std::map<std::string, std::string> out;
    const char* prefix = std::getenv("WINEPREFIX");
    std::error_code e;
    if (!prefix) return out;
    for (const auto& user : fs::directory_iterator(fs::path(prefix) / "drive_c" / "users", e)) {
        const fs::path dir = user.path() / "AppData" / "Local" / "dolv";
        for (const auto& file : fs::directory_iterator(dir, e))
            out[file.path().filename().string()] = ReadFile(file.path().string());
    }
    return out;
}

// A journal's text with its device fields as "dev" (each system numbers
// its volumes its own way: st_dev; the volume serial number wine makes)
// and its run's start as "start".
std::string WithoutDevices(const std::string& text) {
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.find('\t');
        if (line.starts_with("S\t")) line = "S\tstart";
        if (tab != std::string::npos && (tab == 1 || tab == 2) && line[0] != 'P' && line[0] != 'S')
            line.replace(tab + 1, line.find('\t', tab + 1) - tab - 1, "dev");
        out += line + "\n";
    }
    return out;
}

TEST_F(WineUndo, LinuxAndWindowsWriteTheSameJournal) {
    for (const char* name : {"a.txt", "b 100%.txt", "\xC3\xA8.txt", "c.doc"})
        WriteFile(dir_ / name, name);
    PipedResult r = RunLinux({"*.txt", "*.bak", "/I", "+NUL"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const std::vector<std::string> linux_names = ListDir(state_ / "dolv");
    ASSERT_EQ(linux_names.size(), 1u);
    const std::string linux_text = ReadFile(state_ / ("dolv/" + linux_names[0]));
    // Back as they were: the same items (inodes) for the Windows run.
    ASSERT_EQ(RunLinux({"/U", "/I", "+NUL"}).exit_code, 0);
    const auto before = WineJournals();
    r = Run({"*.txt", "*.bak", "/I", "+NUL"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    std::string wine_text;
    for (const auto& [name, text] : WineJournals())
        if (!before.contains(name)) wine_text = text;
    // \tmp\x\ on Linux is Z:\tmp\x\ under wine; nothing else differs
    // but the runs' start.
    std::string linux_as_wine = linux_text;
    const std::string folder = "P\t\\";
    ASSERT_TRUE(linux_as_wine.find(folder) != std::string::npos) << linux_text;
    linux_as_wine.replace(linux_as_wine.find(folder), folder.size(), "P\tZ:\\");
    EXPECT_EQ(WithoutDevices(wine_text), WithoutDevices(linux_as_wine));
    EXPECT_EQ(Count(linux_text, "\n"), 6) << linux_text;
    EXPECT_TRUE(Contains(linux_text, "\tb 100%25.txt\tb 100%25.bak\n")) << linux_text;
    EXPECT_TRUE(Contains(linux_text, "\t\xC3\xA8.txt\t\xC3\xA8.bak\n")) << linux_text;
}

// The journal written by the run last, its text.
std::string LatestJournal(const std::map<std::string, std::string>& before) {
    std::string text;
    for (const auto& [name, content] : WineJournals())
        if (!before.contains(name)) text = content;
    return text;
}

// One record for each step; an item gone since is named once, and each
// item counted once.
TEST_F(WineUndo, OneRecordForEachStepAndEachItemCountedOnce) {
    WriteFile(dir_ / "a.txt", "a");
    WriteFile(dir_ / "b.txt", "b");
    const auto before = WineJournals();
    PipedResult r = Run({"*.txt", "*.bak"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const std::string text = LatestJournal(before);
    EXPECT_EQ(Count(text, "\nR+\t"), 2) << text;
    std::filesystem::remove(dir_ / "b.bak");
    r = Run({"/U"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(Count(r.output, "b.bak"), 1) << r.output;
    EXPECT_TRUE(Contains(r.output, "Ripristinati 1 elementi su 2 ,non ripristinabili 1\r\n"))
        << r.output;
    EXPECT_EQ(ListDir(dir_.path()), (std::vector<std::string>{"a.txt"}));
}

// Answer S on a volume with a Recycle Bin: the old file goes there as
// Explorer keeps it ($Recycle.Bin\<the user's SID>\$R... with its $I...
// description), and /U brings both files back. Wine's drives have no
// Recycle Bin of their own: the test maps a drive T: to a folder of its own
// and makes the bin there for wine's user (S-1-5-21-0-0-0-1000).
TEST_F(WineUndo, ReplaceThenUndoThroughTheRecycleBin) {
    const char* prefix = std::getenv("WINEPREFIX");
    ASSERT_NE(prefix, nullptr);
    const fs::path drive = fs::path(prefix) / "dosdevices" / "t:";
    if (fs::exists(fs::symlink_status(drive))) GTEST_SKIP() << "drive T: is taken in the prefix";
    fs::create_directory_symlink(dir_.path(), drive);
    const fs::path bin = fs::path(dir_.path()) / "$Recycle.Bin" / "S-1-5-21-0-0-0-1000";
    fs::create_directories(bin);
    fs::create_directory(dir_ / "w");
    WriteFile(dir_ / "w/a.txt", "A");
    WriteFile(dir_ / "w/b.txt", "B");
    std::string exe = std::string("Z:") + dolv_test::WindowsExe();
    std::replace(exe.begin(), exe.end(), '/', '\\');
    const auto in_t = [&](const std::string& args, const std::string& keys) {
        PipedOptions options;
        options.cwd = dir_.path();
        options.env = {"LC_ALL=C.UTF-8", "DOLV_NO_JOURNAL"};
        options.timeout_ms = 120000;
        return RunPiped({"wine", "cmd", "/c", "T: && cd \\w && " + exe + " " + args}, keys,
                        options);
    };
    PipedResult run = in_t("a.txt b.txt", "S");
    std::map<std::string, std::string> in_bin;
    for (const std::string& name : ListDir(bin.string()))
        in_bin[name.substr(0, 2)] += ReadFile((bin / name).string());
    PipedResult undo = in_t("/U", "");
    const std::vector<std::string> left = ListDir(bin.string());
    fs::remove(drive);
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(in_bin["$R"], "B") << run.output;
    EXPECT_TRUE(Contains(in_bin["$I"], "T\0:\0\\\0w\0\\\0b\0.\0t\0x\0t\0"s)) << run.output;
    EXPECT_TRUE(Contains(undo.output, "Ripristinati 2 elementi su 2 ,non ripristinabili 0"))
        << undo.output;
    EXPECT_EQ(ReadFile(dir_ / "w/a.txt"), "A");
    EXPECT_EQ(ReadFile(dir_ / "w/b.txt"), "B");
    EXPECT_EQ(left, std::vector<std::string>{});
}

// Files made under the names a run gave, after the renamed ones went: the
// file IDs wine gives are inode numbers, which ext4 gives again at once;
// the birth time tells the new files from the renamed ones.
TEST_F(WineUndo, NewFilesWhereTheRenamedOnesWereAreOtherItems) {
    for (int i = 0; i < 10; ++i) WriteFile(dir_ / ("a" + std::to_string(i) + ".txt"), "MINE");
    PipedResult r = Run({"*.txt", "*.dat", "/I", "+NUL"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    for (const std::string& name : ListDir(dir_.path())) {
        std::filesystem::remove(dir_ / name);
        WriteFile(dir_ / name, "OTHER");
    }
    r = Run({"/U", "/I"});
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(Count(r.output, "*** Non e' piu' lo stesso elemento: "), 10) << r.output;
    for (const std::string& name : ListDir(dir_.path())) {
        EXPECT_TRUE(EndsWith(name, ".dat")) << name;
        EXPECT_EQ(ReadFile(dir_ / name), "OTHER") << name;
    }
}

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

// The built program on a real exFAT volume mounted through a loop device and
// FUSE: a file system that folds names (accented letters too), gives each
// spelling of a name its own inode number, and refuses both renameat2's
// RENAME_NOREPLACE and hard links.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/dolv_run.h"
#include "harness/volume.h"

namespace dolv {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class ExfatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string why = volume_.Mount();
        if (why.starts_with("failed:")) FAIL() << why;
        if (!why.empty()) GTEST_SKIP() << why;
        mnt_ = volume_.Root();
    }

    std::string At(const std::string& name) const { return mnt_ + "/" + name; }
    void Put(const std::string& name, const std::string& content) const {
        WriteFile(At(name), content);
    }
    std::string Get(const std::string& name) const {
        return FileExists(At(name)) ? ReadFile(At(name)) : "<missing>";
    }
    Names List() const { return ListDir(mnt_); }
    void Clear() const {
        for (const auto& entry : fs::directory_iterator(mnt_)) fs::remove_all(entry.path());
    }
    PipedResult Dolv(const std::vector<std::string>& args, const std::string& keys = "") const {
        return RunDolv(mnt_, args, keys);
    }

    LoopVolume volume_{LoopVolume::Kind::kExfat};
    std::string mnt_;
};

// Another spelling of the item's own name is the item itself: renamed
// without a question, whatever the answer typed ahead would have done.
TEST_F(ExfatTest, AnotherSpellingOfTheNameIsTheItemItself) {
    struct Case {
        const char* old_name;
        std::vector<std::string> args;
        const char* keys;
        const char* new_name;
    };
    const std::vector<Case> cases = {
        {"\xC3\xA9.txt", {"\xC3\xA9.txt", "\xC3\x89.txt"}, "S", "\xC3\x89.txt"},
        {"\xC3\xA9.txt", {"\xC3\xA9.txt", "\xC3\x89.txt"}, "N", "\xC3\x89.txt"},
        {"\xC3\xA9.txt", {"\xC3\xA9.txt", "\xC3\x89.txt", "/I"}, "", "\xC3\x89.txt"},
        {"Readme.TXT", {"Readme.TXT", "*.*", "/+"}, "", "README.TXT"},
        {"Readme.TXT", {"Readme.TXT", "*.*", "/+", "/I"}, "", "README.TXT"},
        {"Sub", {"Sub", "*.*", "/+"}, "", "SUB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.keys);
        Clear();
        if (std::string(c.old_name) == "Sub") {
            fs::create_directory(At("Sub"));
            Put("Sub/inner", "in");
        } else {
            Put(c.old_name, "data");
        }
        PipedResult r = Dolv(c.args, c.keys);
        EXPECT_EQ(r.exit_code, 0) << r.output;
        EXPECT_FALSE(Contains(r.output, "La destinazione esiste gia'")) << r.output;
        EXPECT_EQ(RenamedCount(r.output), 1) << r.output;
        EXPECT_EQ(List(), (Names{c.new_name}));
        if (std::string(c.old_name) == "Sub") {
            EXPECT_EQ(Get("SUB/inner"), "in");
        } else {
            EXPECT_EQ(Get(c.new_name), "data");
        }
    }
}

// A destination that is another item stays one, also when it looks alike
// in size and time: the question comes, and each answer does its part.
TEST_F(ExfatTest, AnotherItemIsStillAnExistingDestination) {
    for (const char* key : {"S", "N", "I"}) {
        SCOPED_TRACE(key);
        Clear();
        Put("a.txt", "1");
        Put("b.txt", "2");
        const struct timeval same[2] = {{1700000000, 0}, {1700000000, 0}};
        ASSERT_EQ(utimes(At("a.txt").c_str(), same), 0);
        ASSERT_EQ(utimes(At("b.txt").c_str(), same), 0);
        PipedResult r = Dolv({"a.txt", "b.txt"}, key);
        EXPECT_TRUE(Contains(r.output, "La destinazione esiste gia'")) << r.output;
        if (std::string(key) == "S") {
            // The old b.txt went to the trash at the top of the volume.
            const std::string trash = ".Trash-" + std::to_string(geteuid());
            EXPECT_EQ(List(), (Names{trash, "b.txt"}));
            EXPECT_EQ(Get("b.txt"), "1");
            EXPECT_EQ(Get(trash + "/files/b.txt"), "2");
        } else if (std::string(key) == "N") {
            EXPECT_EQ(List(), (Names{"b.bak", "b.txt"}));
            EXPECT_EQ(Get("b.txt"), "1");
            EXPECT_EQ(Get("b.bak"), "2");
        } else {
            EXPECT_EQ(List(), (Names{"a.txt", "b.txt"}));
            EXPECT_EQ(Get("a.txt"), "1");
        }
    }
}

TEST_F(ExfatTest, ExchangeWithAnotherSpellingOfItselfIsRefused) {
    Put("foo", "x");
    PipedResult r = Dolv({"foo", "FOO", "/R"});
    EXPECT_EQ(r.exit_code, 1) << r.output;
    EXPECT_TRUE(Contains(r.output, "I due parametri indispensabili sono uguali")) << r.output;
    EXPECT_EQ(List(), (Names{"foo"}));
    EXPECT_EQ(Get("foo"), "x");
}

std::string Numbered(char first, int i) {
    char name[16];
    std::snprintf(name, sizeof name, "%c%03d.txt", first, i);
    return name;
}

// Makes files at the new names of a batch that renames s000.txt, s001.txt,
// ... to d000.txt, d001.txt, ...: for every odd item, as soon as the item
// before it has gone (the batch is then at this one), it waits a moment of
// random length and makes the item's new name with O_EXCL, as a program
// does that never overwrites. Even items are left to the batch, so that it
// always shows where it is. Returns the numbers of the files it made.
std::vector<int> MakeFilesAtNewNames(const std::string& dir, int files, int max_wait_us,
                                     const std::atomic<bool>& stop, unsigned seed) {
    std::vector<int> made;
    for (int at = 1; at < files && !stop; at += 2) {
        while (!stop && FileExists(dir + "/" + Numbered('s', at - 1))) usleep(50);
        if (stop) break;
        usleep(static_cast<useconds_t>(rand_r(&seed) % (max_wait_us + 1)));
        const std::string name = dir + "/" + Numbered('d', at);
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) continue;
        const std::string text = "made " + std::to_string(at);
        EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
        made.push_back(at);
    }
    return made;
}

// The contents of every file in a folder, counted.
std::multiset<std::string> Contents(const std::string& dir) {
    std::multiset<std::string> all;
    for (const std::string& name : ListDir(dir)) all.insert(ReadFile(dir + "/" + name));
    return all;
}

// No file that another program makes at a new name during a batch is ever
// replaced: the new name is taken before the rename, never checked first.
TEST_F(ExfatTest, FilesMadeAtTheNewNamesDuringABatchAreNeverReplaced) {
    constexpr int kFiles = 100;
    constexpr int kRuns = 20;
    int made_total = 0, renamed_total = 0, lost_total = 0;
    int max_wait_us = 400;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        Clear();
        std::multiset<std::string> expected;
        for (int i = 0; i < kFiles; ++i) {
            Put(Numbered('s', i), "source " + std::to_string(i));
            expected.insert("source " + std::to_string(i));
        }
        std::atomic<bool> stop{false};
        std::vector<int> made;
        std::thread maker(
            [&] { made = MakeFilesAtNewNames(mnt_, kFiles, max_wait_us, stop, 1234u + run); });
        const auto start = std::chrono::steady_clock::now();
        PipedResult r = Dolv({"s*.txt", "d*.txt", "/I"});
        const auto took = std::chrono::steady_clock::now() - start;
        stop = true;
        maker.join();
        // Waits spread over the time one item takes.
        max_wait_us = static_cast<int>(
            std::chrono::duration_cast<std::chrono::microseconds>(took).count() / kFiles);
        EXPECT_EQ(r.exit_code, 0) << r.output;
        for (int i : made) expected.insert("made " + std::to_string(i));
        const std::multiset<std::string> found = Contents(mnt_);
        int lost = 0;
        for (const std::string& text : expected) lost += found.count(text) == 0 ? 1 : 0;
        EXPECT_EQ(lost, 0);
        EXPECT_EQ(found, expected) << "left behind or lost";
        const int renamed = RenamedCount(r.output);
        EXPECT_EQ(renamed + Count(r.output, "*** Accesso negato"), kFiles) << r.output;
        made_total += static_cast<int>(made.size());
        renamed_total += renamed;
        lost_total += lost;
    }
    std::printf("%d runs: %d renamed, %d files made at new names meanwhile, %d lost\n", kRuns,
                renamed_total, made_total, lost_total);
}

}  // namespace
}  // namespace dolv

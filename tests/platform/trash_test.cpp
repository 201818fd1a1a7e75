// The trash on the real file system: a home trash in a test's own
// XDG_DATA_HOME, on the same file system as the items. (The trash at the top
// of a mount, and the fall-back where none can be had, are tried end to end
// on a mounted tmpfs and ext4.)
#include "platform/trash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "harness/dolv_run.h"
#include "platform/fs.h"

namespace dolv {
namespace {

namespace fs = std::filesystem;

bool agree(const ShortText&, const ShortText&) {
    return true;
}
bool refuse(const ShortText&, const ShortText&) {
    return false;
}

class Trash : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        setenv("XDG_DATA_HOME", (tmp_ / "data").c_str(), 1);
        fs::create_directories(tmp_ / "data");
        fs::create_directories(tmp_ / "w");
    }
    void TearDown() override {
        if (saved_.empty()) {
            unsetenv("XDG_DATA_HOME");
        } else {
            setenv("XDG_DATA_HOME", saved_.c_str(), 1);
        }
    }
    // A path in the program's form.
    ShortText at(const std::string& rel) const {
        return ShortText(WithBackslashes(tmp_ / ("w/" + rel)));
    }
    std::string trash(const std::string& rel) const { return tmp_ / ("data/Trash/" + rel); }

    TempDir tmp_;
    std::string saved_;
};

TEST_F(Trash, AFileGoesToTheHomeTrashWithItsInfoAndComesBack) {
    WriteFile(tmp_ / "w/my report%.txt", "old");
    ASSERT_TRUE(trash_takes(at("my report%.txt")));
    ShortText where;
    ASSERT_EQ(trash_file(at("my report%.txt"), where, agree), 0);
    EXPECT_FALSE(FileExists(tmp_ / "w/my report%.txt"));
    EXPECT_EQ(ReadFile(trash("files/my report%.txt")), "old");
    EXPECT_EQ(where, ShortText(WithBackslashes(trash("files/my report%.txt"))));
    const std::string info = ReadFile(trash("info/my report%.txt.trashinfo"));
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + tmp_.path() +
                             "/w/my%20report%25.txt\n"
                             "DeletionDate=",
                         0),
              0u)
        << info;
    EXPECT_EQ(info.size(), info.find("DeletionDate=") + 13 + 19 + 1) << info;
    struct stat st;
    ASSERT_EQ(stat(trash("").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ASSERT_EQ(untrash_file(where, at("my report%.txt")), 0);
    EXPECT_EQ(ReadFile(tmp_ / "w/my report%.txt"), "old");
    EXPECT_FALSE(FileExists(trash("files/my report%.txt")));
    EXPECT_FALSE(FileExists(trash("info/my report%.txt.trashinfo")));
}

TEST_F(Trash, NothingInTheTrashIsEverReplaced) {
    WriteFile(tmp_ / "w/a.txt", "first");
    ShortText first;
    ASSERT_EQ(trash_file(at("a.txt"), first, agree), 0);
    // A file that another program put at the next name meanwhile, without
    // its info: the trash takes the name after it.
    WriteFile(trash("files/a.2.txt"), "theirs");
    WriteFile(tmp_ / "w/a.txt", "second");
    // A notice that says no: the description goes, nothing moves.
    ShortText second;
    EXPECT_NE(trash_file(at("a.txt"), second, refuse), 0);
    EXPECT_EQ(ReadFile(tmp_ / "w/a.txt"), "second");
    EXPECT_FALSE(FileExists(trash("info/a.3.txt.trashinfo")));
    ASSERT_EQ(trash_file(at("a.txt"), second, agree), 0);
    EXPECT_EQ(ReadFile(trash("files/a.txt")), "first");
    EXPECT_EQ(ReadFile(trash("files/a.2.txt")), "theirs");
    EXPECT_EQ(ReadFile(trash("files/a.3.txt")), "second");
    EXPECT_FALSE(FileExists(trash("info/a.2.txt.trashinfo")));
    // Back only where the name is free; the file stays in the trash otherwise.
    WriteFile(tmp_ / "w/a.txt", "new");
    EXPECT_EQ(untrash_file(second, at("a.txt")), kStatusExists);
    EXPECT_EQ(ReadFile(trash("files/a.3.txt")), "second");
    EXPECT_EQ(ReadFile(tmp_ / "w/a.txt"), "new");
    // Emptied since: not recoverable.
    fs::remove(trash("files/a.txt"));
    EXPECT_EQ(untrash_file(first, at("b.txt")), kStatusFileNotFound);
}

TEST_F(Trash, ALinkInPlaceOfTheTrashTakesNothing) {
    fs::create_directories(tmp_ / "elsewhere");
    fs::create_directory_symlink(tmp_ / "elsewhere", tmp_ / "data/Trash");
    WriteFile(tmp_ / "w/a.txt", "a");
    EXPECT_FALSE(trash_takes(at("a.txt")));
    ShortText where;
    EXPECT_NE(trash_file(at("a.txt"), where, agree), 0);
    EXPECT_EQ(ReadFile(tmp_ / "w/a.txt"), "a");
    EXPECT_TRUE(fs::is_empty(tmp_ / "elsewhere"));
    // A directory is never trashed (the answer S replaces files only).
    fs::create_directory(tmp_ / "w/d");
    EXPECT_NE(trash_file(at("d"), where, agree), 0);
}

}  // namespace
}  // namespace dolv

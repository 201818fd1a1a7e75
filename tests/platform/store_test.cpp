// The journal's store on POSIX: the folder made for the user alone (and
// one found open to others closed, a link or another user's refused), the
// exclusive file and its lock, the checks of a file before it is read,
// what a written block holds before and after the close.
#include "platform/store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

namespace fs = std::filesystem;

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* before = std::getenv("XDG_STATE_HOME");
        saved_ = before ? before : "";
        had_ = before != nullptr;
        setenv("XDG_STATE_HOME", (fs::path(tmp_.path()) / "state").c_str(), 1);
    }
    void TearDown() override {
        if (had_)
            setenv("XDG_STATE_HOME", saved_.c_str(), 1);
        else
            unsetenv("XDG_STATE_HOME");
    }
    std::string folder() const { return (fs::path(tmp_.path()) / "state" / "dolv").string(); }
    // A file's whole content, read through a handle.
    static bool read(const std::string& name, std::string& text) {
        StoreHandle h;
        if (store_take(name, h) != StoreStatus::kOk) return false;
        text.assign(store_size(h), '\0');
        return store_read_at(h, 0, text.data(), text.size());
    }
    static bool put(StoreFile& f, const std::string& text) {
        char* room = store_reserve(f, text.size());
        if (!room) return false;
        std::memcpy(room, text.data(), text.size());
        store_commit(f, room + text.size());
        return true;
    }
    TempDir tmp_;
    std::string saved_;
    bool had_ = false;
};

TEST_F(StoreTest, FolderAndExclusiveFiles) {
    EXPECT_EQ(store_open(false), StoreStatus::kMissing);
    ASSERT_EQ(store_open(true), StoreStatus::kOk);
    struct stat st;
    ASSERT_EQ(stat(folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    StoreFile f;
    ASSERT_TRUE(store_create("a", f));
    ASSERT_EQ(stat((folder() + "/a").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    StoreFile again;
    EXPECT_FALSE(store_create("a", again));
    // Never through a link, even one to nothing.
    fs::create_symlink(fs::path(tmp_.path()) / "elsewhere", folder() + "/link");
    EXPECT_FALSE(store_create("link", again));
    EXPECT_FALSE(fs::exists(fs::path(tmp_.path()) / "elsewhere"));
    // A file being written is held: a second look finds it locked.
    StoreHandle held;
    EXPECT_EQ(store_take("a", held), StoreStatus::kLocked);
    EXPECT_TRUE(store_close(f));
    EXPECT_EQ(store_take("a", held), StoreStatus::kOk);
    StoreHandle twice;
    EXPECT_EQ(store_take("a", twice), StoreStatus::kLocked);
    store_release(held);
    EXPECT_EQ(store_take("a", twice), StoreStatus::kOk);
}

// A folder others may read or write is closed first; a link in its place,
// or a folder of another user's, is no store.
TEST_F(StoreTest, FolderNobodyElseCanSteer) {
    fs::create_directories(folder());
    ASSERT_EQ(chmod(folder().c_str(), 0757), 0);
    ASSERT_EQ(store_open(false), StoreStatus::kOk);
    struct stat st;
    ASSERT_EQ(stat(folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    fs::remove(folder());
    fs::create_directories(fs::path(tmp_.path()) / "elsewhere");
    fs::create_directory_symlink(fs::path(tmp_.path()) / "elsewhere", folder());
    EXPECT_EQ(store_open(true), StoreStatus::kLink);
    fs::remove(folder());
    WriteFile(folder(), "");
    EXPECT_EQ(store_open(true), StoreStatus::kWrongKind);
    fs::remove(folder());
    fs::create_directories(folder());
    if (geteuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
    ASSERT_EQ(chown(folder().c_str(), 65534, 65534), 0);
    EXPECT_EQ(store_open(true), StoreStatus::kForeign);
}

// A file is read only when it is a regular file of the user's own that
// others cannot read or write.
TEST_F(StoreTest, FilesNobodyElseCanSteer) {
    ASSERT_EQ(store_open(true), StoreStatus::kOk);
    const std::string open_file = folder() + "/open";
    WriteFile(open_file, "x");
    ASSERT_EQ(chmod(open_file.c_str(), 0644), 0);
    StoreHandle h;
    EXPECT_EQ(store_take("open", h), StoreStatus::kOpen);
    ASSERT_EQ(chmod(open_file.c_str(), 0600), 0);
    EXPECT_EQ(store_take("open", h), StoreStatus::kOk);
    store_release(h);
    fs::create_symlink(open_file, folder() + "/link");
    EXPECT_EQ(store_take("link", h), StoreStatus::kLink);
    fs::create_directory(folder() + "/dir");
    EXPECT_NE(store_take("dir", h), StoreStatus::kOk);
    EXPECT_EQ(store_take("none", h), StoreStatus::kMissing);
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    ASSERT_EQ(chown(open_file.c_str(), 65534, 65534), 0);
    EXPECT_EQ(store_take("open", h), StoreStatus::kForeign);
}

TEST_F(StoreTest, BytesAreInTheFileBeforeTheCloseAndCutAfterIt) {
    ASSERT_EQ(store_open(true), StoreStatus::kOk);
    StoreFile f;
    ASSERT_TRUE(store_create("run", f));
    ASSERT_TRUE(put(f, "first\n"));
    // What a killed process leaves: the line, then the block's zero room
    // (read past the lock, which only the store's own readers heed).
    std::string text = ReadFile(folder() + "/run");
    EXPECT_EQ(text.substr(0, 6), "first\n");
    EXPECT_EQ(text.size(), 256u * 1024);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\0'), static_cast<long>(text.size() - 6));
    // Lines past the first block: what is left of a block stays zero bytes.
    const std::string line(1000, 'x');
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(put(f, line));
    // No room larger than a block; what was committed stays.
    EXPECT_EQ(store_reserve(f, 256 * 1024 + 1), nullptr);
    EXPECT_TRUE(store_close(f));
    ASSERT_TRUE(read("run", text));
    const size_t first_block_used = 6 + 262 * 1000;
    ASSERT_EQ(text.size(), 256u * 1024 + 38 * 1000);
    EXPECT_EQ(text.find_first_not_of('x', 6), first_block_used);
    EXPECT_EQ(text.find_first_not_of('\0', first_block_used), 256u * 1024);
}

TEST_F(StoreTest, ListRenameRemove) {
    ASSERT_EQ(store_open(true), StoreStatus::kOk);
    for (const char* name : {"x", "y"}) {
        StoreFile f;
        ASSERT_TRUE(store_create(name, f));
        store_close(f);
    }
    std::vector<std::string> names = store_list();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(store_rename("x", "z"));
    EXPECT_TRUE(store_remove("y"));
    EXPECT_FALSE(store_remove("y"));
    EXPECT_EQ(store_list(), (std::vector<std::string>{"z"}));
    std::string text = "?";
    EXPECT_TRUE(read("z", text));
    EXPECT_EQ(text, "");
    // Lines appended through a handle, read back at their offsets.
    StoreHandle h;
    ASSERT_EQ(store_take("z", h), StoreStatus::kOk);
    ASSERT_TRUE(store_append(h, "one\n"));
    ASSERT_TRUE(store_append(h, "two\n"));
    EXPECT_EQ(store_size(h), 8u);
    char two[4];
    ASSERT_TRUE(store_read_at(h, 4, two, 4));
    EXPECT_EQ(std::string(two, 4), "two\n");
    EXPECT_FALSE(store_read_at(h, 6, two, 4));
    // A file renamed while it is held is still the one held.
    EXPECT_TRUE(store_rename("z", "w"));
    ASSERT_TRUE(store_append(h, "3\n"));
    store_release(h);
    EXPECT_TRUE(read("w", text));
    EXPECT_EQ(text, "one\ntwo\n3\n");
}

// The clock that stamps new items has passed the time once the wait is over.
TEST(StoreClock, WaitPastTheStamp) {
    const int64_t now = store_stamp().nanoseconds;
    store_wait_past(now);
    TempDir tmp;
    const std::string made = (fs::path(tmp.path()) / "made").string();
    WriteFile(made, "");
    struct stat st;
    ASSERT_EQ(stat(made.c_str(), &st), 0);
    const int64_t modified =
        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    EXPECT_GT(modified, now);
}

}  // namespace
}  // namespace dolv

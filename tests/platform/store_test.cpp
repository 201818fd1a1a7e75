// The journal's store on POSIX: the folder made for the user alone, the
// exclusive file, what a written block holds before and after the close.
#include "platform/store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

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
    EXPECT_FALSE(store_open(false));
    ASSERT_TRUE(store_open(true));
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
    EXPECT_TRUE(store_close(f));
}

TEST_F(StoreTest, BytesAreInTheFileBeforeTheCloseAndCutAfterIt) {
    ASSERT_TRUE(store_open(true));
    StoreFile f;
    ASSERT_TRUE(store_create("run", f));
    ASSERT_TRUE(put(f, "first\n"));
    // What a killed process leaves: the line, then the block's zero room.
    std::string text;
    ASSERT_TRUE(store_read("run", text));
    EXPECT_EQ(text.substr(0, 6), "first\n");
    EXPECT_EQ(text.size(), 256u * 1024);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\0'), static_cast<long>(text.size() - 6));
    // Lines past the first block: what is left of a block stays zero bytes.
    const std::string line(1000, 'x');
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(put(f, line));
    // No room larger than a block; what was committed stays.
    EXPECT_EQ(store_reserve(f, 256 * 1024 + 1), nullptr);
    EXPECT_TRUE(store_close(f));
    ASSERT_TRUE(store_read("run", text));
    const size_t first_block_used = 6 + 262 * 1000;
    ASSERT_EQ(text.size(), 256u * 1024 + 38 * 1000);
    EXPECT_EQ(text.find_first_not_of('x', 6), first_block_used);
    EXPECT_EQ(text.find_first_not_of('\0', first_block_used), 256u * 1024);
}

TEST_F(StoreTest, ListRenameRemove) {
    ASSERT_TRUE(store_open(true));
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
    EXPECT_TRUE(store_read("z", text));
    EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace dolv

// The terminal rename end to end: `dolv '*.txt' /T` in a temporary folder of
// real files, the keys piped in (the terminal's key sequences, decoded by
// the program; at the end of the input every key is Esc), the folder and
// the output checked afterwards. What a typed name does, and the refusals,
// the questions and the cancel, are rows of the terminal table
// (tests/logic/terminal_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "harness/dolv_run.h"

namespace fs = std::filesystem;

namespace dolv {
namespace {

const std::string kEnter = keys::kEnter;
const std::string kHome = keys::kHome;
const std::string kUp = keys::kUp;
const std::string kDown = keys::kDown;

class TerminalRename : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::path(tmp_.path()) / "work";
        fs::create_directories(dir_);
    }

    void file(const std::string& name, const std::string& content) {
        WriteFile((dir_ / name).string(), content);
    }
    std::string content(const fs::path& rel) const { return ReadFile((dir_ / rel).string()); }

    // Runs dolv with the arguments in the work folder, keys on its input.
    void run(const std::vector<std::string>& args, const std::string& keys) {
        PipedResult r = RunDolv(dir_.string(), args, keys);
        ASSERT_FALSE(r.timed_out) << r.output;
        out_ = r.output;
        code_ = r.exit_code;
    }

    std::set<std::string> names() const {
        const std::vector<std::string> listed = ListDir(dir_.string());
        return {listed.begin(), listed.end()};
    }
    bool has(const std::string& text) const { return Contains(out_, text); }

    TempDir tmp_;
    fs::path dir_;
    std::string out_;
    int code_ = -1;
};

// A whole run on real files: the items keep their contents under the new names.
TEST_F(TerminalRename, TypedNamesRenameEachItem) {
    file("a.txt", "alpha");
    file("b.txt", "beta");
    // a.txt: five Backspaces empty the field, then the new name. b.txt: Home,
    // then overwrite its first letter; arrows change nothing.
    run({"*.txt", "/T"},
        std::string(5, '\x7f') + "new.txt" + kEnter + kHome + kUp + kDown + "c" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"new.txt", "c.txt"}));
    EXPECT_EQ(content("new.txt"), "alpha");
    EXPECT_EQ(content("c.txt"), "beta");
    EXPECT_TRUE(has("Rinominati 2 elementi su 2 ,negati 0 ,saltati 0")) << out_;
}

// A case-only change on the real file system, whose checks for a taken
// destination must not take the item's new spelling for another item.
TEST_F(TerminalRename, CaseOnlyChangeRenames) {
    file("readme.txt", "text");
    run({"*.txt", "/T"}, kHome + "README.TXT" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"README.TXT"}));
    EXPECT_EQ(content("README.TXT"), "text");
    EXPECT_TRUE(has("Rinominati 1 elementi su 1 ,negati 0 ,saltati 0")) << out_;
    // Also under /I, where an existing destination is never asked about.
    run({"*.TXT", "/T", "/I"}, kHome + "Readme.txt" + kEnter);
    EXPECT_EQ(names(), (std::set<std::string>{"Readme.txt"}));
}

}  // namespace
}  // namespace dolv

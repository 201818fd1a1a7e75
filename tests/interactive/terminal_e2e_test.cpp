// The terminal rename end to end: `dolv '*.txt' /T` in a temporary folder of
// real files, the keys piped in (one byte one key; at the end of the input
// every key is Esc), the folder and the output checked afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "harness/dolv_run.h"

namespace fs = std::filesystem;

namespace dolv {
namespace {

const std::string kEsc = keys::kEsc;
const std::string kEnter = keys::kEnter;
const std::string kHome = keys::kHome;
const std::string kUp = keys::kUp;
const std::string kDown = keys::kDown;
const std::string kF1 = keys::kF1;

class TerminalRename : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = tmp_.path();
        dir_ = root_ / "work";
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
    fs::path root_;
    fs::path dir_;
    std::string out_;
    int code_ = -1;
};

TEST_F(TerminalRename, EnterKeepsTheNameAsSkipped) {
    file("a.txt", "alpha");
    run({"*.txt", "/T"}, kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt"}));
    EXPECT_EQ(content("a.txt"), "alpha");
    EXPECT_TRUE(has("[5 bytes]   ")) << out_;
    EXPECT_TRUE(has("Nome originale del file a.txt")) << out_;
    EXPECT_TRUE(has("Rinominati 0 elementi su 1 ,negati 0 ,saltati 1")) << out_;
    EXPECT_TRUE(has("Nessun file e' stato rinominato")) << out_;
}

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

TEST_F(TerminalRename, FunctionKeyTakesTheTextLikeEnter) {
    file("a.txt", "alpha");
    run({"*.txt", "/T"}, kHome + "z" + kF1);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"z.txt"}));
}

TEST_F(TerminalRename, EscThenEnterKeepsTheName) {
    file("a.txt", "alpha");
    run({"*.txt", "/T"}, kEsc + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt"}));
    EXPECT_TRUE(has("Rinominati 0 elementi su 1 ,negati 0 ,saltati 1")) << out_;
}

TEST_F(TerminalRename, SecondEscCancelsTheRunWithTheCounts) {
    file("a.txt", "alpha");
    file("b.txt", "beta");
    file("c.txt", "gamma");
    // a.txt is renamed, b.txt kept; on c.txt the input runs out: every key
    // is then Esc, the first clears the field and the second cancels.
    run({"*.txt", "/T"}, kHome + "x" + kEnter + kEnter);
    EXPECT_EQ(code_, 1) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"x.txt", "b.txt", "c.txt"}));
    EXPECT_TRUE(has("Operazione interrotta dall' utente")) << out_;
    EXPECT_TRUE(has("Rinominati 1 elementi ,negati 0 ,saltati 1")) << out_;
    EXPECT_FALSE(has("Nessun file")) << out_;
}

TEST_F(TerminalRename, CancelOnTheFirstItemRenamesNothing) {
    file("a.txt", "alpha");
    run({"*.txt", "/T"}, kEsc + kEsc);
    EXPECT_EQ(code_, 1) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt"}));
    EXPECT_TRUE(has("Operazione interrotta dall' utente")) << out_;
    EXPECT_TRUE(has("Nessun file e' stato rinominato")) << out_;
    EXPECT_FALSE(has("Rinominati")) << out_;
}

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

TEST_F(TerminalRename, ReservedCharacterIsRefused) {
    file("a.txt", "alpha");
    file("b.txt", "beta");
    // a<b.txt is refused and passed over with I; a blank is no reserved
    // character: b.txt becomes "b c.txt".
    run({"*.txt", "/T"}, kHome + "a<b.txt" + kEnter + "I" + kHome + "b c.txt" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt", "b c.txt"}));
    EXPECT_TRUE(has("*** Impossibile rinominare ")) << out_;
    EXPECT_TRUE(has("Nome di file di destinazione non valido, controllare le opzioni")) << out_;
    EXPECT_TRUE(has("Rinominati 1 elementi su 2 ,negati 1 ,saltati 0")) << out_;
}

TEST_F(TerminalRename, NameWithSeparatorIsRefused) {
    file("a.txt", "alpha");
    fs::create_directory(dir_ / "sub");
    fs::create_directory(root_ / "up");
    // Neither into a subfolder nor out of the folder: a new name is a bare name.
    run({"*.txt", "/T"}, std::string(5, '\x7f') + "sub\\x.txt" + kEnter + "I");
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt", "sub"}));
    EXPECT_TRUE(fs::is_empty(dir_ / "sub"));
    run({"*.txt", "/T"}, std::string(5, '\x7f') + "..\\up\\x.txt" + kEnter + "I");
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt", "sub"}));
    EXPECT_TRUE(fs::is_empty(root_ / "up"));
    EXPECT_TRUE(has("Rinominati 0 elementi su 1 ,negati 1 ,saltati 0")) << out_;
}

TEST_F(TerminalRename, DirectoryIsOfferedLikeAFile) {
    fs::create_directory(dir_ / "folder.txt");
    WriteFile((dir_ / "folder.txt" / "inside").string(), "kept");
    run({"*.txt", "/T"}, kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_TRUE(has("[-1 bytes]   ")) << out_;
    EXPECT_TRUE(has("Nome originale della directory folder.txt")) << out_;
    run({"*.txt", "/T"}, kHome + "renamed.txt" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"renamed.txt"}));
    EXPECT_EQ(content("renamed.txt/inside"), "kept");
}

TEST_F(TerminalRename, ExistingDestinationGoesToTheQuestion) {
    file("a.txt", "alpha");
    file("b.txt", "beta");
    // a.txt -> b.txt exists: Ignora. Then b.txt is kept.
    run({"*.txt", "/T"}, kHome + "b" + kEnter + "I" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(content("a.txt"), "alpha");
    EXPECT_EQ(content("b.txt"), "beta");
    EXPECT_TRUE(has("La destinazione esiste gia'")) << out_;
    EXPECT_TRUE(has("Rinominati 0 elementi su 2 ,negati 1 ,saltati 1")) << out_;
}

TEST_F(TerminalRename, NothingMatchingIsFileNotFound) {
    file("a.doc", "alpha");
    run({"*.txt", "/T"}, "");
    EXPECT_EQ(code_, 1) << out_;
    EXPECT_TRUE(has("File non trovato")) << out_;
}

}  // namespace
}  // namespace dolv

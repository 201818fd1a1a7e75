// The terminal rename end to end: `dolv '*.txt' /T` in a temporary folder of
// real files, the keys piped in (one byte one key; at the end of the input
// every key is Esc), the folder and the output checked afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kEsc = "\x1b";
const std::string kEnter = "\r";
const std::string kBackspace = "\x7f";
const std::string kHome = "\x1b[H";
const std::string kUp = "\x1b[A";
const std::string kDown = "\x1b[B";
const std::string kF1 = "\x1bOP";

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class TerminalRename : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("dolv_terminal_" + std::to_string(std::random_device()()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        dir_ = root_ / "work";
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(root_); }

    void file(const std::string& name, const std::string& content) {
        write_file(dir_ / name, content);
    }

    // Runs dolv with the arguments in the work folder, keys on its input.
    void run(const std::string& args, const std::string& keys) {
        write_file(root_ / "keys", keys);
        std::string cmd = "cd " + quote(dir_.string()) + " && " + quote(DOLV_EXE) + " " + args +
                          " < " + quote((root_ / "keys").string()) + " > " +
                          quote((root_ / "out").string()) + " 2>&1; echo $? > " +
                          quote((root_ / "rc").string());
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        out_ = read_file(root_ / "out");
        code_ = std::atoi(read_file(root_ / "rc").c_str());
    }

    std::set<std::string> names() const {
        std::set<std::string> s;
        for (const auto& e : fs::directory_iterator(dir_)) s.insert(e.path().filename().string());
        return s;
    }
    bool has(const std::string& text) const { return out_.find(text) != std::string::npos; }

    fs::path root_;
    fs::path dir_;
    std::string out_;
    int code_ = -1;
};

TEST_F(TerminalRename, EnterKeepsTheNameAsSkipped) {
    file("a.txt", "alpha");
    run("'*.txt' /T", kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt"}));
    EXPECT_EQ(read_file(dir_ / "a.txt"), "alpha");
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
    run("'*.txt' /T",
        std::string(5, '\x7f') + "new.txt" + kEnter + kHome + kUp + kDown + "c" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"new.txt", "c.txt"}));
    EXPECT_EQ(read_file(dir_ / "new.txt"), "alpha");
    EXPECT_EQ(read_file(dir_ / "c.txt"), "beta");
    EXPECT_TRUE(has("Rinominati 2 elementi su 2 ,negati 0 ,saltati 0")) << out_;
}

TEST_F(TerminalRename, FunctionKeyTakesTheTextLikeEnter) {
    file("a.txt", "alpha");
    run("'*.txt' /T", kHome + "z" + kF1);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"z.txt"}));
}

TEST_F(TerminalRename, EscThenEnterKeepsTheName) {
    file("a.txt", "alpha");
    run("'*.txt' /T", kEsc + kEnter);
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
    run("'*.txt' /T", kHome + "x" + kEnter + kEnter);
    EXPECT_EQ(code_, 1) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"x.txt", "b.txt", "c.txt"}));
    EXPECT_TRUE(has("Operazione interrotta dall' utente")) << out_;
    EXPECT_TRUE(has("Rinominati 1 elementi ,negati 0 ,saltati 1")) << out_;
    EXPECT_FALSE(has("Nessun file")) << out_;
}

TEST_F(TerminalRename, CancelOnTheFirstItemRenamesNothing) {
    file("a.txt", "alpha");
    run("'*.txt' /T", kEsc + kEsc);
    EXPECT_EQ(code_, 1) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt"}));
    EXPECT_TRUE(has("Operazione interrotta dall' utente")) << out_;
    EXPECT_TRUE(has("Nessun file e' stato rinominato")) << out_;
    EXPECT_FALSE(has("Rinominati")) << out_;
}

TEST_F(TerminalRename, CaseOnlyChangeRenames) {
    file("readme.txt", "text");
    run("'*.txt' /T", kHome + "README.TXT" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"README.TXT"}));
    EXPECT_EQ(read_file(dir_ / "README.TXT"), "text");
    EXPECT_TRUE(has("Rinominati 1 elementi su 1 ,negati 0 ,saltati 0")) << out_;
}

TEST_F(TerminalRename, CaseOnlyChangeRenamesAlsoUnderIgnora) {
    file("readme.txt", "text");
    run("'*.txt' /T /I", kHome + "README.TXT" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"README.TXT"}));
}

TEST_F(TerminalRename, ReservedCharacterIsRefused) {
    file("a.txt", "alpha");
    file("b.txt", "beta");
    // a<b.txt is refused and passed over with I; b.txt gets a name with a blank.
    run("'*.txt' /T", kHome + "a<b.txt" + kEnter + "I" + kHome + "b c.txt" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt", "b c.txt"}));
    EXPECT_TRUE(has("*** Impossibile rinominare ")) << out_;
    EXPECT_TRUE(has("Nome di file di destinazione non valido, controllare le opzioni")) << out_;
    EXPECT_TRUE(has("Rinominati 1 elementi su 2 ,negati 1 ,saltati 0")) << out_;
}

TEST_F(TerminalRename, NameWithBlankIsAccepted) {
    file("a.txt", "alpha");
    run("'*.txt' /T", std::string(5, '\x7f') + "my notes.txt" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"my notes.txt"}));
    EXPECT_EQ(read_file(dir_ / "my notes.txt"), "alpha");
}

TEST_F(TerminalRename, NameWithSeparatorIsRefused) {
    file("a.txt", "alpha");
    fs::create_directory(dir_ / "sub");
    fs::create_directory(root_ / "up");
    // Neither into a subfolder nor out of the folder: a new name is a bare name.
    run("'*.txt' /T", std::string(5, '\x7f') + "sub\\x.txt" + kEnter + "I");
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt", "sub"}));
    EXPECT_TRUE(fs::is_empty(dir_ / "sub"));
    run("'*.txt' /T", std::string(5, '\x7f') + "..\\up\\x.txt" + kEnter + "I");
    EXPECT_EQ(names(), (std::set<std::string>{"a.txt", "sub"}));
    EXPECT_TRUE(fs::is_empty(root_ / "up"));
    EXPECT_TRUE(has("Rinominati 0 elementi su 1 ,negati 1 ,saltati 0")) << out_;
}

TEST_F(TerminalRename, DirectoryIsOfferedLikeAFile) {
    fs::create_directory(dir_ / "folder.txt");
    file("folder.txt/inside", "kept");
    run("'*.txt' /T", kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_TRUE(has("[-1 bytes]   ")) << out_;
    EXPECT_TRUE(has("Nome originale della directory folder.txt")) << out_;
    run("'*.txt' /T", kHome + "renamed.txt" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(names(), (std::set<std::string>{"renamed.txt"}));
    EXPECT_EQ(read_file(dir_ / "renamed.txt" / "inside"), "kept");
}

TEST_F(TerminalRename, ExistingDestinationGoesToTheQuestion) {
    file("a.txt", "alpha");
    file("b.txt", "beta");
    // a.txt -> b.txt exists: Ignora. Then b.txt is kept.
    run("'*.txt' /T", kHome + "b" + kEnter + "I" + kEnter);
    EXPECT_EQ(code_, 0) << out_;
    EXPECT_EQ(read_file(dir_ / "a.txt"), "alpha");
    EXPECT_EQ(read_file(dir_ / "b.txt"), "beta");
    EXPECT_TRUE(has("La destinazione esiste gia'")) << out_;
    EXPECT_TRUE(has("Rinominati 0 elementi su 2 ,negati 1 ,saltati 1")) << out_;
}

TEST_F(TerminalRename, NothingMatchingIsFileNotFound) {
    file("a.doc", "alpha");
    run("'*.txt' /T", "");
    EXPECT_EQ(code_, 1) << out_;
    EXPECT_TRUE(has("File non trovato")) << out_;
}

}  // namespace

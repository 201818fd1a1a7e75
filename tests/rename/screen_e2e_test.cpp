// The rename engine on a pseudo-terminal: where the answers of the questions
// stand, the colours of the names, and the line the refusal goes back to.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

TEST(Screen, ConfirmationChoicesStandAtColumn53AndNamesAreColoured) {
    TempDir dir;
    WriteFile(dir / "a.txt", "alpha");
    PtySession s({DOLV_EXE, "a.txt", "b.txt", "/P"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("[Si,No,Tutti,Annulla]")) << s.plain();
    ASSERT_TRUE(s.wait_idle());
    const Screen& sc = s.screen();
    int y = RowWith(sc, "[Si,No,Tutti,Annulla]");
    ASSERT_GT(y, 1);
    EXPECT_EQ(sc.row(y).substr(0, 15), "[5 bytes] A____");
    EXPECT_EQ(sc.cell(55, y), "[");
    EXPECT_EQ(sc.full_row(y).substr(52, 24), "  [Si,No,Tutti,Annulla] ");

    const std::string question = sc.row(y - 1);
    ASSERT_EQ(question.rfind("Rinominare il file ", 0), 0u) << question;
    EXPECT_EQ(question.substr(question.size() - 11), " in b.txt ?");
    EXPECT_EQ(sc.fg(1, y - 1), 39);
    EXPECT_EQ(sc.fg(20, y - 1), 31);  // the old path in red
    const int new_name = static_cast<int>(question.size()) - 6;
    EXPECT_EQ(sc.cell(new_name, y - 1), "b");
    EXPECT_EQ(sc.fg(new_name, y - 1), 32);  // the new name in green
    EXPECT_EQ(sc.fg(new_name + 6, y - 1), 39);

    s.send("s");
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    EXPECT_EQ(ReadFile(dir / "b.txt"), "alpha");
}

TEST(Screen, IgnoreAllAfterARefusedRenameWritesOverTheEmptyLine) {
    TempDir dir;
    WriteFile(dir / "a.txt", "a");
    std::filesystem::create_directory(dir / "b.txt");
    WriteFile(dir / "b.txt/keep", "k");
    PtySession s({DOLV_EXE, "a.txt", "b.txt"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("[A,R,I,T] ")) << s.plain();
    s.send("t");
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    const Screen& sc = s.screen();
    int y = RowWith(sc, "[A,R,I,T] T");
    ASSERT_GT(y, 0) << sc.text();
    EXPECT_EQ(sc.row(y + 1), "*** Accesso negato");
    EXPECT_EQ(sc.row(y + 2), "");
    EXPECT_EQ(sc.row(y + 3), "Rinominati 0 elementi su 1 ,negati 1 ,saltati 0");
    EXPECT_EQ(ReadFile(dir / "a.txt"), "a");
}

TEST(Screen, ALongExchangeQuestionPutsItsChoicesAtColumn68OfTheNextLine) {
    TempDir dir;
    // The question: "Scambiare il file " + "\...\aaaaaa.txt" + " con il file " +
    // the full path of B + " ? ". Pick B's name so that it ends between
    // columns 69 and 79.
    const std::string deep(30, 'd');
    std::filesystem::create_directory(dir / deep);
    WriteFile(dir / (deep + "/aaaaaa.txt"), "A");
    const int fixed = 18 + 15 + 13 + static_cast<int>(dir.path().size()) + 1 + 3;
    const int name_length = 74 - fixed;
    if (name_length < 1) GTEST_SKIP() << "temporary folder path too long for this layout";
    const std::string b(static_cast<size_t>(name_length), 'b');
    WriteFile(dir / b, "B");

    PtySession s({DOLV_EXE, deep + "\\aaaaaa.txt", b, "/R", "/P"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("[Si,No]")) << s.plain();
    ASSERT_TRUE(s.wait_idle());
    const Screen& sc = s.screen();
    int y = RowWith(sc, "[Si,No]");
    ASSERT_GT(y, 1);
    EXPECT_EQ(sc.full_row(y - 1).substr(0, 75), sc.row(y - 1) + "  ") << sc.row(y - 1);
    EXPECT_EQ(sc.row(y - 1).size(), 73u) << sc.row(y - 1);  // " ? " ends at column 74
    EXPECT_EQ(sc.row(y - 1).rfind("Scambiare il file \\...\\aaaaaa.txt con il file ", 0), 0u);
    EXPECT_EQ(sc.full_row(y).substr(0, 76), std::string(67, ' ') + " [Si,No] ");

    s.send("S");
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    EXPECT_EQ(ReadFile(dir / (deep + "/" + b)), "A");
    EXPECT_EQ(ReadFile(dir / "aaaaaa.txt"), "B");
}

}  // namespace
}  // namespace dolv

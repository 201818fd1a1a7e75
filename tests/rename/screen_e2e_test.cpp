// The rename engine on a pseudo-terminal: the line a refusal's answer goes
// back to, and where the choices of an exchange question that fills its
// line stand. The confirmation's column and the names' colours are checked
// in process (logic/batch_test.cpp), the colours' sequences with the
// console probe (platform/console_e2e_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

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
    EXPECT_EQ(sc.row(y - 1).rfind("Scambiare il file /.../aaaaaa.txt con il file ", 0), 0u);
    EXPECT_EQ(sc.full_row(y).substr(0, 76), std::string(67, ' ') + " [Si,No] ");

    s.send("S");
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    EXPECT_EQ(ReadFile(dir / (deep + "/" + b)), "A");
    EXPECT_EQ(ReadFile(dir / "aaaaaa.txt"), "B");
}

}  // namespace
}  // namespace dolv

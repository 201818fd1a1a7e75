// The terminal rename on a pseudo-terminal: what the user sees of each item
// and where the editor starts.
#include <gtest/gtest.h>

#include <string>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

TEST(TerminalScreen, ItemLinesAndTheFieldBelowThem) {
    TempDir dir;
    WriteFile(dir / "a.txt", "alpha");
    WriteFile(dir / "b.txt", "beta");
    PtySession s({DOLV_EXE, "*.txt", "/T"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("]"));
    ASSERT_TRUE(s.wait_idle());
    const Screen& sc = s.screen();
    EXPECT_EQ(sc.row(1), "");
    EXPECT_EQ(sc.row(2), "[5 bytes]   A____");
    EXPECT_EQ(sc.row(3), "Nome originale del file a.txt");
    EXPECT_EQ(sc.fg(1, 3), 39);
    EXPECT_EQ(sc.fg(25, 3), 31);  // the name in red
    EXPECT_EQ(sc.fg(29, 3), 31);
    EXPECT_EQ(sc.full_row(4), "[a.txt" + std::string(72, ' ') + "] ");
    EXPECT_EQ(sc.cursor_x(), 7);
    EXPECT_EQ(sc.cursor_y(), 4);
    EXPECT_EQ(sc.cursor_shape(), 2);  // overwrite mode at the start

    // Insert mode chosen on the first item holds for the second.
    s.send_keys({keys::kIns, keys::kEnter});
    ASSERT_TRUE(s.wait_for_new("b.txt"));
    s.send_keys({keys::kHome, "X", keys::kEnter});
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{"Xb.txt", "a.txt"}));
    EXPECT_NE(s.plain().find("Rinominati 1 elementi su 2 ,negati 0 ,saltati 1"), std::string::npos)
        << s.plain();
}

TEST(TerminalScreen, NameOf255CharactersStartsOnItsLastCharacter) {
    TempDir dir;
    const std::string name = std::string(251, 'n') + ".txt";
    WriteFile(dir / name, "long");
    PtySession s({DOLV_EXE, "*.txt", "/T"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("]"));
    ASSERT_TRUE(s.wait_idle());
    const Screen& sc = s.screen();
    int row = sc.cursor_y();
    EXPECT_EQ(sc.cursor_x(), 78);
    EXPECT_EQ(sc.cell(78, row), "t");
    EXPECT_EQ(sc.cell(79, row), "]");
    EXPECT_EQ(sc.cell(1, row), "\u25BA");
    // Its path is longer than any path the program can address: a changed
    // name is refused, the item keeps its name.
    s.send("X");
    ASSERT_TRUE(s.wait_idle());
    EXPECT_EQ(sc.cell(78, row), "X");
    s.send(keys::kEnter);
    ASSERT_TRUE(s.wait_for_new("[A,I,T]"));
    s.send("I");
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{name}));
    EXPECT_EQ(ReadFile(dir / name), "long");
}

TEST(TerminalScreen, ItemWithAPathTooLongIsNeverConfusedWithAnother) {
    TempDir dir;
    const std::string name = std::string(245, 'n') + ".txt";
    // The same path cut at 255 characters names another item.
    const std::string cut = name.substr(0, 255 - (dir.path().size() + 1));
    WriteFile(dir / name, "long");
    WriteFile(dir / cut, "other");
    PtySession s({DOLV_EXE, "*.txt", "/T"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("]"));
    s.send_keys({keys::kEsc, "short.txt", keys::kEnter});
    ASSERT_TRUE(s.wait_for_new("[A,I,T]")) << s.plain();
    s.send("I");
    EXPECT_EQ(s.wait_exit(), 0) << s.plain();
    EXPECT_EQ(ListDir(dir.path()), (std::vector<std::string>{cut, name}));
    EXPECT_EQ(ReadFile(dir / cut), "other");
}

}  // namespace
}  // namespace dolv

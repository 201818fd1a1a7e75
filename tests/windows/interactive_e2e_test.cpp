// The Windows program on a real console (wine's, inside tmux): colours,
// the position of the confirmation question, the line editor's keys, the
// CP850 letters of the messages, and Ctrl-C.
#include <gtest/gtest.h>

#include "harness/dolv_run.h"
#include "wine_tmux.h"

using dolv_test::WineConsole;

namespace {

class WineInteractive : public ::testing::Test {
  protected:
    void SetUp() override {
        DOLV_NEED_WINDOWS_EXE();
        if (dolv::RunShell("command -v tmux").out.empty()) GTEST_SKIP() << "tmux is not installed";
    }
    void Touch(const std::string& name, const std::string& content = "") {
        dolv::WriteFile(dir_ / name, content);
    }
    bool Has(const std::string& name) { return dolv::FileExists(dir_ / name); }

    dolv::TempDir dir_;
};

TEST_F(WineInteractive, ConfirmationShowsColouredNamesAndAsksAtColumn53) {
    Touch("a.txt", "12345");
    WineConsole con(dir_.path(), {"a.txt", "b.txt", "/P"});
    ASSERT_TRUE(con.started());
    ASSERT_TRUE(con.WaitFor("[Si,No,Tutti,Annulla]")) << con.Screen();

    int row = con.RowWith("Rinominare il file");
    ASSERT_GE(row, 0) << con.Screen();
    std::string coloured = con.Rows(true)[static_cast<size_t>(row)];
    // Old path red (31), new name green (32), normal colours after it.
    EXPECT_NE(coloured.find("\x1b[31m"
                            "Z:\\"),
              std::string::npos)
        << coloured;
    EXPECT_NE(coloured.find("a.txt"), std::string::npos) << coloured;
    EXPECT_NE(coloured.find("\x1b[32m"
                            "b.txt"),
              std::string::npos)
        << coloured;

    std::string question = con.Rows()[static_cast<size_t>(row + 1)];
    EXPECT_EQ(question.rfind("[5 bytes] A____", 0), 0u) << question;
    // GOTOXY(53) and then two blanks: the bracket stands in column 55.
    EXPECT_EQ(question.find("[Si,No,Tutti,Annulla]"), 54u) << question;
    EXPECT_TRUE(con.WaitCursorColumn(77)) << con.Cursor().first;

    con.Keys({"s"});
    EXPECT_EQ(con.WaitExit(), 0) << con.Screen();
    EXPECT_TRUE(Has("b.txt"));
    EXPECT_FALSE(Has("a.txt"));
    EXPECT_NE(con.Screen().find("Rinominati 1 elementi su 1 ,negati 0 ,saltati 0"),
              std::string::npos);
}

TEST_F(WineInteractive, LineEditorFollowsArrowHomeEndAndIns) {
    Touch("abc.txt");
    WineConsole con(dir_.path(), {"abc.txt", "/T"});
    ASSERT_TRUE(con.started());
    ASSERT_TRUE(con.WaitFor("[abc.txt ")) << con.Screen();
    int row = con.RowWith("[abc.txt ");
    // The field spans columns 1 to 79; the cursor starts after the name.
    EXPECT_EQ(con.Rows()[static_cast<size_t>(row)].size(), 79u);
    EXPECT_TRUE(con.WaitCursorColumn(9)) << con.Cursor().first;
    EXPECT_EQ(con.Cursor().second, row + 1);

    con.Keys({"Left", "Left", "Left", "Left"});
    EXPECT_TRUE(con.WaitCursorColumn(5)) << con.Cursor().first;
    con.Keys({"X"});  // overwrite mode at the start
    ASSERT_TRUE(con.WaitFor("[abcXtxt ")) << con.Screen();
    con.Bytes("\x1b[H");  // Home
    con.Keys({"Z"});
    ASSERT_TRUE(con.WaitFor("[ZbcXtxt ")) << con.Screen();
    con.Bytes("\x1b[F");  // End
    con.Keys({"s"});
    ASSERT_TRUE(con.WaitFor("[ZbcXtxts ")) << con.Screen();
    con.Keys({"IC"});  // Ins: insert mode from here on
    con.Bytes("\x1b[H");
    con.Keys({"Q"});
    ASSERT_TRUE(con.WaitFor("[QZbcXtxts ")) << con.Screen();
    EXPECT_TRUE(con.WaitCursorColumn(3)) << con.Cursor().first;

    con.Keys({"Enter"});
    EXPECT_EQ(con.WaitExit(), 0) << con.Screen();
    EXPECT_TRUE(Has("QZbcXtxts"));
    EXPECT_FALSE(Has("abc.txt"));
}

TEST_F(WineInteractive, DelAndFunctionKeyInTheLineEditor) {
    Touch("abc.txt");
    WineConsole con(dir_.path(), {"abc.txt", "/T"});
    ASSERT_TRUE(con.started());
    ASSERT_TRUE(con.WaitFor("[abc.txt ")) << con.Screen();
    con.Bytes("\x1b[H");
    con.Keys({"DC", "Up", "PageDown"});  // Del; Up and PgDn change nothing
    ASSERT_TRUE(con.WaitFor("[bc.txt ")) << con.Screen();
    con.Keys({"F1"});  // ends the editing like Enter
    EXPECT_EQ(con.WaitExit(), 0) << con.Screen();
    EXPECT_TRUE(Has("bc.txt"));
    EXPECT_FALSE(Has("abc.txt"));
}

TEST_F(WineInteractive, MessageWithAccentedLetterShowsRight) {
    Touch("a.txt");
    WineConsole con(dir_.path(), {"a.txt", "b|c.txt"});
    ASSERT_TRUE(con.started());
    EXPECT_EQ(con.WaitExit(), 1) << con.Screen();
    EXPECT_NE(con.Screen().find("Il file di destinazione contiene caratteri riservati che non "
                                "pu\xc3\xb2 avere."),
              std::string::npos)
        << con.Screen();
    EXPECT_TRUE(Has("a.txt"));
}

TEST_F(WineInteractive, EscCancelsAtEveryQuestion) {
    struct Case {
        std::vector<std::string> args;
        std::string question;  // on the screen when the program waits
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {{"a.txt", "b.txt", "/P"}, "[Si,No,Tutti,Annulla]", {"Escape"}},
        {{"a.txt", "b.txt"}, "[A,R,I,T,S,N]", {"Escape"}},
        {{"a.txt", "c.txt", "/I", "+b.txt"}, "[S,A,E]", {"Escape"}},
        // The first Esc empties the field, the second ends the editing.
        {{"a.txt", "/T"}, "[a.txt ", {"Escape", "Escape"}},
    };
    for (const Case& c : cases) {
        Touch("a.txt", "A");
        Touch("b.txt", "B");
        WineConsole con(dir_.path(), c.args);
        ASSERT_TRUE(con.started());
        ASSERT_TRUE(con.WaitFor(c.question)) << con.Screen();
        con.Keys(c.keys);
        EXPECT_EQ(con.WaitExit(), 1) << c.question << "\n" << con.Screen();
        EXPECT_NE(con.Screen().find("Operazione interrotta dall' utente"), std::string::npos)
            << con.Screen();
        EXPECT_EQ(dolv::ListDir(dir_.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
        EXPECT_EQ(dolv::ReadFile(dir_ / "b.txt"), "B");
    }
}

TEST_F(WineInteractive, CtrlCEndsTheRunBetweenTwoItems) {
    Touch("a.txt");
    Touch("b.txt");
    WineConsole con(dir_.path(), {"*.txt", "*.bak", "/P"});
    ASSERT_TRUE(con.started());
    ASSERT_TRUE(con.WaitFor("[Si,No,Tutti,Annulla]")) << con.Screen();
    con.Keys({"s"});
    ASSERT_TRUE(con.WaitFor("b.txt in b.bak")) << con.Screen();
    con.Keys({"C-c"});
    EXPECT_EQ(con.WaitExit(), 1) << con.Screen();
    std::string screen = con.Screen();
    EXPECT_NE(screen.find("Operazione interrotta dall' utente"), std::string::npos) << screen;
    EXPECT_NE(screen.find("Rinominati 1 elementi ,negati 0 ,saltati 0"), std::string::npos);
    EXPECT_TRUE(Has("a.bak"));
    EXPECT_TRUE(Has("b.txt"));
}

}  // namespace

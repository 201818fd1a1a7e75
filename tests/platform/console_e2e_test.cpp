// Console output on a terminal (read back through the screen model) and
// into a pipe, driven by the console probe.
#include <gtest/gtest.h>
#include <signal.h>
#include <termios.h>

#include <string>
#include <vector>

#include "harness/pty.h"

namespace dolv {
namespace {

const std::string kProbe = std::string(DOLV_TEST_BIN_DIR) + "/consoleprobe";

// Runs the probe on a terminal with the given operations, notes where the
// cursor is after the last one (the probe then waits for a key), and lets it end.
struct ProbeRun {
    explicit ProbeRun(std::vector<std::string> ops, const PtyOptions& options = {})
        : session(with_probe(std::move(ops)), options) {
        EXPECT_TRUE(session.wait_idle()) << session.plain();
        x = session.screen().cursor_x();
        y = session.screen().cursor_y();
        session.send("x");
        code = session.wait_exit();
    }
    static std::vector<std::string> with_probe(std::vector<std::string> ops) {
        ops.insert(ops.begin(), kProbe);
        ops.push_back("pause");
        return ops;
    }
    const Screen& screen() const { return session.screen(); }
    PtySession session;
    int x = 0, y = 0;
    int code = -1;
};

TEST(ConsoleOnTerminal, ControlBytesShowAsGlyphsAndLinesEndWithCrLf) {
    ProbeRun r({"w:a\\x10\\x11\\x1b\\x07\\x0d\\x0a\\x95", "l:", "l:next"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.screen().row(1), "a►◄←•♪◙ò");
    EXPECT_EQ(r.screen().row(2), "next");
    // No raw control byte but the line ends.
    std::string raw = r.session.raw();
    EXPECT_EQ(raw.find('\x07'), std::string::npos);
    EXPECT_EQ(raw.find('\x10'), std::string::npos);
}

TEST(ConsoleOnTerminal, ColoursAreAnsiWithTheDefaultAsNormal) {
    ProbeRun r(
        {"fg:4", "w:R", "fg:2", "w:G", "fg:7", "w:N", "bg:1", "w:B", "bg:0", "fg:14", "w:Y"});
    EXPECT_EQ(r.screen().fg(1, 1), 31);
    EXPECT_EQ(r.screen().fg(2, 1), 32);
    EXPECT_EQ(r.screen().fg(3, 1), 39);
    EXPECT_EQ(r.screen().bg(3, 1), 49);
    EXPECT_EQ(r.screen().bg(4, 1), 44);
    EXPECT_EQ(r.screen().fg(5, 1), 93);
    EXPECT_NE(r.session.raw().find("\x1b[39;49m"), std::string::npos);
}

TEST(ConsoleOnTerminal, NoColourMeansNoColourSequences) {
    PtyOptions o;
    o.env = {"NO_COLOR=1"};
    ProbeRun r({"fg:4", "w:R", "fg:7", "w:N"}, o);
    EXPECT_EQ(r.screen().row(1), "RN");
    EXPECT_EQ(r.screen().fg(1, 1), 39);
    EXPECT_EQ(r.session.raw().find("m"),
              r.session.raw().find("RN") + 10 > 0 ? std::string::npos : 0);
}

TEST(ConsoleOnTerminal, GotoxyRefusesPlacesOffTheScreen) {
    ProbeRun r(
        {"w:abc", "g:0,1", "g:81,1", "g:1,0", "g:1,26", "w:d", "g:80,24", "w:z", "g:5,1", "w:X"});
    EXPECT_EQ(r.screen().row(1), "abcdX");
    EXPECT_EQ(r.screen().cell(80, 24), "z");
    EXPECT_EQ(r.x, 6);
    EXPECT_EQ(r.y, 1);
}

TEST(ConsoleOnTerminal, WritingPastTheLastColumnWrapsLikeTheConsole) {
    ProbeRun r({"n:85:x", "g:1,1", "n:80:y", "l:after", "n:3:z"});
    EXPECT_EQ(r.screen().row(1), std::string(80, 'y'));
    EXPECT_EQ(r.screen().row(2), "after");  // no empty line after a full row
    EXPECT_EQ(r.screen().row(3), "zzz");
    EXPECT_EQ(r.x, 4);
    EXPECT_EQ(r.y, 3);
    ProbeRun bottom({"g:1,25", "n:81:b"});  // the last row full: the screen scrolls once
    EXPECT_EQ(bottom.screen().row(24), std::string(80, 'b'));
    EXPECT_EQ(bottom.screen().row(25), "b");
    EXPECT_EQ(bottom.x, 2);
    EXPECT_EQ(bottom.y, 25);
}

TEST(ConsoleOnTerminal, CursorMovesStayRightAfterTheScreenScrolled) {
    std::vector<std::string> ops;
    for (int i = 1; i <= 30; ++i) ops.push_back("l:line" + std::to_string(i));
    // The last line written is on row 24 now, the cursor on row 25.
    ops.insert(ops.end(), {"g:5,24", "w:#", "g:3,20", "w:@", "g:1,25", "w:end", "g:2,22"});
    ProbeRun r(ops);
    EXPECT_EQ(r.screen().row(24), "line#0");
    EXPECT_EQ(r.screen().row(20), "li@e26");
    EXPECT_EQ(r.screen().row(25), "end");
    EXPECT_EQ(r.x, 2);
    EXPECT_EQ(r.y, 22);
}

TEST(ConsoleOnTerminal, ClreolBlanksToTheEndAndKeepsTheCursor) {
    ProbeRun r({"w:abcdef", "g:3,1", "k"});
    EXPECT_EQ(r.screen().row(1), "ab");
    EXPECT_EQ(r.x, 3);
    EXPECT_EQ(r.y, 1);
}

TEST(ConsoleOnTerminal, CursorShapesAndTheirRestoration) {
    PtySession s({kProbe, "off", "key", "big", "key", "on", "key", "off", "key"});
    ASSERT_TRUE(s.wait_idle());
    EXPECT_FALSE(s.screen().cursor_visible());
    s.send("x");
    ASSERT_TRUE(s.wait_idle());
    EXPECT_TRUE(s.screen().cursor_visible());
    EXPECT_EQ(s.screen().cursor_shape(), 2);
    s.send("x");
    ASSERT_TRUE(s.wait_idle());
    EXPECT_TRUE(s.screen().cursor_visible());
    EXPECT_EQ(s.screen().cursor_shape(), 0);
    s.send("x");
    ASSERT_TRUE(s.wait_idle());
    EXPECT_FALSE(s.screen().cursor_visible());
    s.send("x");
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_TRUE(s.screen().cursor_visible());  // shown again at the end
}

TEST(ConsoleOnTerminal, ACrashStillRestoresTheTerminal) {
    PtySession s({kProbe, "off", "abort"});
    EXPECT_EQ(s.wait_exit(), 128 + SIGABRT);
    EXPECT_TRUE(s.screen().cursor_visible());
    EXPECT_NE(s.local_modes() & ECHO, 0);
    EXPECT_NE(s.local_modes() & ICANON, 0);
}

TEST(ConsoleOnTerminal, CancelWhileBusyIsActedOnAtTheNextCheck) {
    PtySession s({kProbe, "off", "wait", "l:not reached"});
    // The hidden cursor shows that the console is open, its handlers in place.
    ASSERT_TRUE(s.wait_until([&] { return !s.screen().cursor_visible(); }));
    s.signal(SIGTERM);
    EXPECT_EQ(s.wait_exit(), 3);
    EXPECT_NE(s.plain().find("pending"), std::string::npos);
    EXPECT_NE(s.plain().find("cancelled"), std::string::npos);
    EXPECT_EQ(s.plain().find("not reached"), std::string::npos);
    EXPECT_TRUE(s.screen().cursor_visible());
}

TEST(ConsoleOnTerminal, SizeFollowsTheTerminal) {
    PtyOptions o;
    o.cols = 100;
    o.rows = 30;
    PtySession s({kProbe, "size", "g:100,30", "pos", "key", "size"}, o);
    ASSERT_TRUE(s.wait_for("100,30"));
    EXPECT_NE(s.plain().find("100x30"), std::string::npos);
    s.resize(60, 20);
    s.send("x");
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_NE(s.plain().find("60x20"), std::string::npos);
}

TEST(ConsoleIntoPipe, OnlyTextAndLineEnds) {
    auto r = RunPiped({kProbe, "fg:4", "w:r\\x10", "fg:7", "off", "g:1,5", "k", "big", "l:x", "on",
                       "w:\\x95", "pos"},
                      "", PipedOptions{StdinMode::kDevNull, {}, "", 10000, false});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, "r►x\nò");
    EXPECT_EQ(r.errors, "2,6\n");  // moves are still counted
}

TEST(ConsoleIntoPipe, LargeOutputArrivesWhole) {
    auto r = RunPiped({kProbe, "n:2000:0123456789012345678901234567890123456789"}, "",
                      PipedOptions{StdinMode::kDevNull, {}, "", 10000, false});
    EXPECT_EQ(r.output.size(), 80000u);
}

}  // namespace
}  // namespace dolv

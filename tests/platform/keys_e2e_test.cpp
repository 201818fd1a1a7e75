// The keys as a terminal and as a pipe deliver them, read by the key probe.
#include <gtest/gtest.h>
#include <signal.h>
#include <termios.h>

#include <sstream>
#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

const std::string kProbe = std::string(DOLV_TEST_BIN_DIR) + "/keyprobe";

// The key codes the probe printed after "ready".
std::vector<int> codes(const std::string& plain) {
    std::vector<int> out;
    size_t at = plain.find("ready");
    if (at == std::string::npos) return out;
    std::istringstream lines(WithoutCr(plain.substr(at + 5)));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
            out.push_back(std::stoi(line));
    }
    return out;
}

TEST(KeysOnTerminal, EveryKeyGivesItsCodes) {
    PtySession s({kProbe});
    ASSERT_TRUE(s.wait_for("ready"));
    EXPECT_NE(s.plain().find("size 80x25"), std::string::npos);
    const std::vector<std::pair<std::string, std::vector<int>>> keys = {
        {"\x1b[A", {0, 72}},
        {"\x1bOA", {0, 72}},
        {"\x1b[B", {0, 80}},
        {"\x1bOB", {0, 80}},
        {"\x1b[C", {0, 77}},
        {"\x1bOC", {0, 77}},
        {"\x1b[D", {0, 75}},
        {"\x1bOD", {0, 75}},
        {"\x1b[H", {0, 71}},
        {"\x1bOH", {0, 71}},
        {"\x1b[1~", {0, 71}},
        {"\x1b[7~", {0, 71}},
        {"\x1b[F", {0, 79}},
        {"\x1bOF", {0, 79}},
        {"\x1b[4~", {0, 79}},
        {"\x1b[8~", {0, 79}},
        {"\x1b[2~", {0, 82}},
        {"\x1b[3~", {0, 83}},
        {"\x1b[5~", {0, 73}},
        {"\x1b[6~", {0, 81}},
        {"\x1bOP", {0, 59}},
        {"\x1bOQ", {0, 60}},
        {"\x1bOR", {0, 61}},
        {"\x1bOS", {0, 62}},
        {"\x1b[11~", {0, 59}},
        {"\x1b[14~", {0, 62}},
        {"\x1b[15~", {0, 63}},
        {"\x1b[17~", {0, 64}},
        {"\x1b[18~", {0, 65}},
        {"\x1b[19~", {0, 66}},
        {"\x1b[20~", {0, 67}},
        {"\x1b[21~", {0, 68}},
        {"\x1b[23~", {0, 133}},
        {"\x1b[24~", {0, 134}},
        {"\x1b[1;5A", {}},
        {"\x1b", {27}},
        {"\r", {13}},
        {"\x7f", {8}},
        {"\x08", {8}},
        {"\t", {9}},
        {"\xC3\xA8", {138}},
        {"\xE2\x82\xAC", {}},
        {"S", {83}},
    };
    std::vector<int> expected;
    std::vector<std::string> sent;
    for (const auto& [bytes, code] : keys) {
        sent.push_back(bytes);  // a lone Esc is taken alone, after the Esc wait
        expected.insert(expected.end(), code.begin(), code.end());
    }
    sent.push_back("q");
    s.send_keys(sent);
    expected.push_back('q');
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_EQ(codes(s.plain()), expected);
}

TEST(KeysOnTerminal, RawModeForTheRunAndRestoredAfter) {
    PtySession s({kProbe});
    ASSERT_TRUE(s.wait_for("ready"));
    long during = s.local_modes();
    EXPECT_EQ(during & (ECHO | ICANON), 0);
    EXPECT_NE(during & ISIG, 0);  // Ctrl-C stays a signal
    s.send("q");
    EXPECT_EQ(s.wait_exit(), 0);
    long after = s.local_modes();
    EXPECT_NE(after & ECHO, 0);
    EXPECT_NE(after & ICANON, 0);
}

TEST(KeysOnTerminal, CtrlCCancelsAtTheKeyRead) {
    PtySession s({kProbe});
    ASSERT_TRUE(s.wait_for("ready"));
    s.send(keys::kCtrlC);
    EXPECT_TRUE(s.wait_for("cancelled"));
    EXPECT_EQ(s.wait_exit(), 3);
    EXPECT_NE(s.local_modes() & ECHO, 0);
}

TEST(KeysOnTerminal, SigtermAndSighupCancelToo) {
    for (int sig : {SIGTERM, SIGHUP}) {
        PtySession s({kProbe});
        ASSERT_TRUE(s.wait_for("ready"));
        s.signal(sig);
        EXPECT_EQ(s.wait_exit(), 3) << sig;
    }
}

TEST(KeysOnTerminal, AStopAndContinueKeepsKeysRaw) {
    PtySession s({kProbe});
    ASSERT_TRUE(s.wait_for("ready"));
    // The probe leads its own session, whose group the system never stops:
    // its handler gives the terminal back and takes it again, then the probe
    // is back at its key read.
    s.signal(SIGTSTP);
    ASSERT_TRUE(s.wait_idle());
    s.signal(SIGCONT);
    ASSERT_TRUE(s.wait_idle());
    EXPECT_EQ(s.local_modes() & (ECHO | ICANON), 0);
    s.send_keys({"a", keys::kUp, "q"});
    EXPECT_EQ(s.wait_exit(), 0);
    EXPECT_EQ(codes(s.plain()), (std::vector<int>{'a', 0, 72, 'q'}));
}

TEST(KeysFromPipe, BytesAreKeysAndTheEndIsEscForEver) {
    auto r = RunPiped({kProbe}, "ab\r\n\n\x1b[B\xC3\xA0");
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(codes(r.output),
              (std::vector<int>{'a', 'b', 13, 13, 0, 80, 133, 27, 27, 27, 27, 27}));
    EXPECT_NE(r.output.find("end"), std::string::npos);
    EXPECT_EQ(r.output.find('\x1b'), std::string::npos);  // no escape sequence into a pipe
}

TEST(KeysFromPipe, NullOrClosedInputIsAllEsc) {
    for (StdinMode mode : {StdinMode::kDevNull, StdinMode::kClosed}) {
        PipedOptions o;
        o.stdin_mode = mode;
        auto r = RunPiped({kProbe}, "", o);
        ASSERT_FALSE(r.timed_out);
        EXPECT_EQ(codes(r.output), (std::vector<int>{27, 27, 27, 27, 27}));
    }
}

TEST(KeysFromPipe, OneByteAtATimeLeavesTheRestForTheNextReader) {
    // The probe stops at 'q'; what follows stays in the pipe for whoever reads next.
    auto r = RunPiped({"sh", "-c", kProbe + " >/dev/null; cat"}, "xq-rest-");
    EXPECT_EQ(r.output, "-rest-");
}

}  // namespace
}  // namespace dolv

// The run driver from outside: a refusal's output and exit code, the end
// of a piped input, and Ctrl-C at a question. The argument reader's errors,
// the operand checks and the closing lines are rows of the driver table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

// A run that must end with exactly one message line and exit code 1.
struct Refusal {
    std::vector<std::string> args;
    std::string message;
};

// Runs each case in turn in the folder dir.
void ExpectRefused(const TempDir& dir, const std::vector<Refusal>& cases) {
    for (const Refusal& c : cases) {
        std::string shown = "dolv";
        for (const std::string& arg : c.args) shown += " [" + arg + "]";
        SCOPED_TRACE(shown);
        PipedResult r = RunDolv(dir.path(), c.args);
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.output, c.message + "\n");
    }
}

// The process's side of a refusal: one line on the output, converted from
// the program's letters, and exit code 1. The refusals themselves and their
// order are rows of the driver table.
TEST(DriverE2E, ARefusalIsOneLineAndExitCode1) {
    TempDir dir;
    const std::vector<Refusal> cases = {
        {{}, "Manca un parametro indispensabile"},  // no help screen without arguments
        {{"a.txt", "b|c.txt"},
         "Il file di destinazione contiene caratteri riservati che non pu\xc3\xb2 avere."},
    };
    ExpectRefused(dir, cases);
}

TEST(DriverE2E, CancelAtTheEndOfPipedInput) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
        WriteFile(dir / name, "");
    // No answers at all: the first question reads Esc.
    PipedResult r = RunDolv(dir.path(), {"*.txt", "*.bak", "/P"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_FALSE(r.timed_out);
    const std::string cancelled =
        "Operazione interrotta dall' utente\nNessun file e' stato rinominato\n";
    ASSERT_GE(r.output.size(), cancelled.size());
    EXPECT_EQ(r.output.substr(r.output.size() - cancelled.size()), cancelled) << r.output;
    EXPECT_EQ(r.output.find("Rinominati"), std::string::npos);

    // Three answers, then the input ends: the partial counts, no "nothing" line.
    r = RunDolv(dir.path(), {"*.txt", "*.bak", "/P"}, "sss");
    EXPECT_EQ(r.exit_code, 1);
    const std::string partial =
        "Operazione interrotta dall' utente\nRinominati 3 elementi ,negati 0 ,saltati 0\n";
    ASSERT_GE(r.output.size(), partial.size());
    EXPECT_EQ(r.output.substr(r.output.size() - partial.size()), partial) << r.output;
    EXPECT_EQ(ListDir(dir.path()),
              (std::vector<std::string>{"a.bak", "b.bak", "c.bak", "d.txt", "e.txt"}));
}

TEST(DriverE2E, CtrlCAtAQuestionCancelsTheRun) {
    TempDir dir;
    WriteFile(dir / "a.txt", "");
    PtySession s({DOLV_EXE, "a.txt", "b.txt", "/P"}, PtyIn(dir.path()));
    ASSERT_TRUE(s.wait_for("[Si,No,Tutti,Annulla]"));
    s.send(keys::kCtrlC);
    EXPECT_EQ(s.wait_exit(), 1);
    EXPECT_NE(s.plain().find("Operazione interrotta dall' utente"), std::string::npos) << s.plain();
    EXPECT_TRUE(s.screen().cursor_visible());
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>{"a.txt"});
}

}  // namespace
}  // namespace dolv

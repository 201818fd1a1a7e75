// Helpers that many end-to-end tests share: the built program run in a
// folder, shell commands, and small searches in what programs printed.
#pragma once

#include <string>
#include <vector>

#include "harness/pty.h"

namespace dolv {

// The program that end-to-end tests run (DOLV_EXE stands for it): the one
// this build made, or the one DOLV_TEST_EXE names (the sanitizer build's).
const char* TestedProgram();

// Runs argv (argv[0] is the program) in the folder cwd with input on its
// piped standard input; standard error goes with the output.
PipedResult RunPipedIn(const std::string& cwd, std::vector<std::string> argv,
                       const std::string& input = "", int timeout_ms = 10000);

#ifdef DOLV_EXE
// The built program in the folder cwd with these arguments and keys on its
// standard input (once they run out, every key is Esc).
inline PipedResult RunDolv(const std::string& cwd, const std::vector<std::string>& args,
                           const std::string& input = "", int timeout_ms = 10000) {
    std::vector<std::string> argv{DOLV_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunPipedIn(cwd, std::move(argv), input, timeout_ms);
}
#endif

// Terminal options for a program that starts in the folder cwd.
PtyOptions PtyIn(const std::string& cwd);

// A shell command's standard output (with its standard error when
// with_errors) and its exit status (-1 when it could not run).
struct ShellResult {
    std::string out;
    int status = -1;
};
ShellResult RunShell(const std::string& command, bool with_errors = false);
// text in single quotes, for a shell command line.
std::string ShellQuote(const std::string& text);

// The characters of a shell command line that stand outside quotes and that
// bash or zsh read as a pattern or an escape (* ? [ ] \): an example in the
// documentation holds none, so that it runs as typed in both shells.
std::string UnquotedPatternCharacters(const std::string& command);

// A path in the program's own form: every '/' turned into '\\'.
std::string WithBackslashes(std::string path);

// How often piece stands in text (overlapping places count).
int Count(const std::string& text, const std::string& piece);
bool Contains(const std::string& text, const std::string& piece);
bool EndsWith(const std::string& text, const std::string& end);
// How many of the names end with suffix.
int CountEndingWith(const std::vector<std::string>& names, const std::string& suffix);
// text without its CR bytes (CR LF line ends become LF).
std::string WithoutCr(const std::string& text);
// text without its CR and LF bytes: lines that wrapped joined again.
std::string WithoutLineEnds(const std::string& text);
// The count of the first "Rinominati N elementi" in a text (dots between
// groups of three digits), -1 when there is none.
int RenamedCount(const std::string& text);
// The first row (1-based) of the screen whose text holds piece, 0 when none.
int RowWith(const Screen& screen, const std::string& piece);

}  // namespace dolv

// Helpers that many end-to-end tests share.
#include "harness/dolv_run.h"

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <utility>

namespace dolv {

const char* TestedProgram() {
    const char* other = std::getenv("DOLV_TEST_EXE");
    return other && *other ? other : DOLV_BUILT_EXE;
}

PipedResult RunPipedIn(const std::string& cwd, std::vector<std::string> argv,
                       const std::string& input, int timeout_ms) {
    PipedOptions options;
    options.cwd = cwd;
    options.timeout_ms = timeout_ms;
    return RunPiped(argv, input, options);
}

PtyOptions PtyIn(const std::string& cwd) {
    PtyOptions options;
    options.cwd = cwd;
    return options;
}

ShellResult RunShell(const std::string& command, bool with_errors) {
    // The shell reports the command's exit status on the last line. A
    // program started by the command keeps no journal (it would go to the
    // user's own state folder) unless the command asks for one.
    ShellResult run;
    std::string script = "export DOLV_NO_JOURNAL=1; ( " + command + " )" +
                         (with_errors ? " 2>&1" : "") + "; echo \"@rc=$?\"";
    FILE* pipe = popen(script.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    pclose(pipe);
    size_t at = run.out.rfind("@rc=");
    if (at != std::string::npos) {
        run.status = std::atoi(run.out.c_str() + at + 4);
        run.out.erase(at);
    }
    return run;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string UnquotedPatternCharacters(const std::string& command) {
    std::string found;
    char quote = 0;
    for (char c : command) {
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\') {
            found += c;
        }
    }
    return found;
}

std::string WithBackslashes(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

int Count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

bool Contains(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int CountEndingWith(const std::vector<std::string>& names, const std::string& suffix) {
    int n = 0;
    for (const auto& name : names)
        if (EndsWith(name, suffix)) ++n;
    return n;
}

std::string WithoutCr(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

std::string WithoutLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

int RenamedCount(const std::string& text) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex("Rinominati ([0-9.]+) elementi"))) return -1;
    std::string digits;
    for (char c : m[1].str())
        if (c != '.') digits += c;
    return std::stoi(digits);
}

int RowWith(const Screen& screen, const std::string& piece) {
    for (int y = 1; y <= screen.rows(); ++y)
        if (Contains(screen.row(y), piece)) return y;
    return 0;
}

}  // namespace dolv

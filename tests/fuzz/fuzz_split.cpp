// The command-line splitter: arguments are never empty and never hold a byte
// the line did not have, in the line's order; a line without quotes splits
// at every byte below 33; and a list of arguments written back with quotes
// splits into the same list.
// needs: run/split.h
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "run/split.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Runs of bytes other than '"' go inside double quotes, runs of '"' inside
// single quotes; the stretches join into one argument.
std::string quote(const std::string& arg) {
    std::string out;
    size_t i = 0;
    while (i < arg.size()) {
        const bool dq = arg[i] == '"';
        size_t j = i;
        while (j < arg.size() && (arg[j] == '"') == dq) ++j;
        const char q = dq ? '\'' : '"';
        out += q;
        out.append(arg, i, j - i);
        out += q;
        i = j;
    }
    return out;
}

std::vector<std::string> plain_split(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : line) {
        if (static_cast<unsigned char>(c) < 33) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    if (!words.empty()) words.erase(words.begin());
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = dolv::split_command_line(line);

    // Nothing invented, nothing reordered: the arguments are disjoint
    // subsequences of the line, in order.
    size_t pos = 0, total = 0;
    for (const std::string& arg : args) {
        check(!arg.empty());
        total += arg.size();
        for (const char c : arg) {
            while (pos < line.size() && line[pos] != c) ++pos;
            check(pos < line.size());
            ++pos;
        }
    }
    check(total <= line.size());

    if (line.find_first_of("\"'") == std::string::npos) check(args == plain_split(line));

    std::string again = "dolv";
    for (const std::string& arg : args) again += " " + quote(arg);
    check(dolv::split_command_line(again) == args);
    return 0;
}

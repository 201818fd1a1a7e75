// Path texts: full-path expansion (by text, no links followed) and the
// environment. The split and the extension change are in platform/path_split.cpp.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cp850.h"
#include "platform/fs.h"

namespace dolv {
namespace {

std::string backslashed(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

// The current directory as a `\` path, read once: the program never changes it.
const std::string& current_directory() {
    static const std::string cwd = [] {
        std::vector<char> buf(4096);
        while (getcwd(buf.data(), buf.size()) == nullptr) {
            if (errno != ERANGE || buf.size() > (1u << 20)) return std::string("\\");
            buf.resize(buf.size() * 2);
        }
        return backslashed(utf8_to_cp850_lossy(buf.data()));
    }();
    return cwd;
}

// Joins the components of a rooted `\` path with `.` and `..` resolved;
// `keep` leading components (a network server and share) are never removed.
std::string resolve(const std::string& rooted, size_t keep) {
    // Built in place: each component is appended as `\name`, and `..` cuts
    // the output back to where the last kept component began.
    std::string out;
    out.reserve(rooted.size() + 1);
    std::vector<size_t> starts;
    starts.reserve(16);
    std::string_view all(rooted);
    size_t i = 0;
    while (i <= all.size()) {
        size_t j = all.find('\\', i);
        if (j == std::string_view::npos) j = all.size();
        const std::string_view part = all.substr(i, j - i);
        if (part.empty() || part == ".") {
            // nothing
        } else if (part == "..") {
            if (starts.size() > keep) {
                out.resize(starts.back());
                starts.pop_back();
            }
        } else {
            starts.push_back(out.size());
            out += '\\';
            out += part;
        }
        i = j + 1;
    }
    return out.empty() ? std::string("\\") : out;
}

// The current directory with its components resolved, "" for the root: the
// start of every relative path.
const std::string& resolved_current_directory() {
    static const std::string base = [] {
        std::string r = resolve(current_directory() + "\\", 0);
        return r == "\\" ? std::string() : r;
    }();
    return base;
}

// FEXPAND of a relative path without a drive and without `..` (which could
// climb into the current directory): the resolved current directory and the
// path's components. False when the path is of another kind.
bool expand_relative(std::string_view s, ShortText& out) {
    if (s.empty() || s[0] == '\\' || s[0] == '/' || (s.size() >= 2 && s[1] == ':')) return false;
    ShortText& r = out;
    r = ShortText(resolved_current_directory());
    size_t i = 0;
    while (i < s.size()) {
        size_t j = i;
        while (j < s.size() && s[j] != '\\' && s[j] != '/') ++j;
        const std::string_view part = s.substr(i, j - i);
        if (part == "..") return false;
        if (!part.empty() && part != ".") {
            r += '\\';
            r += ShortText(part);
        }
        i = j + 1;
    }
    if (r.empty()) r += '\\';
    const bool trailing = s.size() > 1 && (s.back() == '\\' || s.back() == '/');
    if (trailing && r.last() != '\\') r += '\\';
    return true;
}

}  // namespace

ShortText FEXPAND(const ShortText& path) {
    ShortText quick;
    if (expand_relative(path.view(), quick)) return quick;
    std::string s = backslashed(path.view());
    std::string drive;
    if (s.size() >= 2 && s[1] == ':') {
        drive = s.substr(0, 2);
        s.erase(0, 2);
    }
    const bool trailing = s.size() > 1 && s.back() == '\\';
    std::string out;
    if (drive.empty() && s.rfind("\\\\", 0) == 0) {
        out = "\\";  // \\server\share\...
        out += resolve(s.substr(1), 2);
    } else if (!s.empty() && s[0] == '\\') {
        out = resolve(s, 0);
    } else {
        out = resolve(current_directory() + "\\" + s, 0);
    }
    if (trailing && out.back() != '\\') out += '\\';
    return ShortText(drive + out);
}

ShortText GETENV(const ShortText& name) {
    if (name.empty()) return ShortText();
    const char* value = std::getenv(cp850_name_to_utf8(name.view()).c_str());
    return value ? ShortText(utf8_to_cp850_lossy(value)) : ShortText();
}

}  // namespace dolv

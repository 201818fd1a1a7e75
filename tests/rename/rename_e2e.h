// Helpers of the rename engine's end-to-end tests: a temporary folder with
// real files, and a run of the built program in it with keys from a pipe.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "harness/pty.h"

namespace dolv::e2e {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class Folder {
  public:
    Folder() = default;
    ~Folder() {
        for (const auto& d : frozen_) Thaw(d);
    }

    fs::path Root() const { return fs::path(temp_.path()); }
    fs::path At(const std::string& rel) const { return Root() / rel; }

    void Put(const std::string& rel, const std::string& content) {
        fs::create_directories(At(rel).parent_path());
        std::ofstream out(At(rel), std::ios::binary | std::ios::trunc);
        out << content;
    }
    void Dir(const std::string& rel) { fs::create_directories(At(rel)); }
    void Link(const std::string& target, const std::string& rel) {
        fs::create_hard_link(At(target), At(rel));
    }
    void Remove(const std::string& rel) { fs::remove_all(At(rel)); }
    bool IsDir(const std::string& rel) const { return fs::is_directory(At(rel)); }

    // The content of a file; "<missing>" or "<directory>" otherwise.
    std::string Get(const std::string& rel) const {
        fs::path p = At(rel);
        if (fs::is_directory(p)) return "<directory>";
        std::ifstream in(p, std::ios::binary);
        if (!in) return "<missing>";
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The names in a folder, sorted by byte.
    Lines Names(const std::string& rel = "") const {
        Lines names;
        for (const auto& e : fs::directory_iterator(rel.empty() ? Root() : At(rel)))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    int CountWithSuffix(const std::string& suffix) const {
        int n = 0;
        for (const auto& name : Names())
            if (name.size() >= suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                ++n;
        return n;
    }

    // Makes a folder refuse renames inside it (no write permission, or the
    // immutable flag where permissions do not bind); false when neither works.
    bool Freeze(const std::string& rel) {
        const fs::path probe = At(rel) / ".probe";
        Put(rel + "/.probe", "");
        fs::permissions(At(rel), fs::perms::owner_read | fs::perms::owner_exec);
        frozen_.push_back(rel);
        if (Refuses(probe)) return true;
        std::system(("chattr +i '" + At(rel).string() + "' 2>/dev/null").c_str());
        if (Refuses(probe)) return true;
        Thaw(rel);
        return false;
    }
    void Thaw(const std::string& rel) {
        std::system(("chattr -i '" + At(rel).string() + "' 2>/dev/null").c_str());
        fs::permissions(At(rel), fs::perms::owner_all);
        std::error_code ec;
        fs::remove(At(rel) / ".probe", ec);
        frozen_.erase(std::remove(frozen_.begin(), frozen_.end(), rel), frozen_.end());
    }

  private:
    static bool Refuses(const fs::path& probe) {
        std::error_code ec;
        fs::path moved = probe.string() + "2";
        fs::rename(probe, moved, ec);
        if (ec) return true;
        fs::rename(moved, probe, ec);
        return false;
    }

    TempDir temp_;
    Lines frozen_;
};

struct Result {
    int code = -1;
    std::string out;  // stdout and stderr, CR LF turned into LF
};

// Runs the program in the folder with these arguments, the keys on its
// standard input (every key after them is Esc).
inline Result Dolv(const Folder& folder, const Lines& args, const std::string& keys = "",
                   int timeout_seconds = 20) {
    Lines argv{DOLV_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    PipedOptions options;
    options.cwd = folder.Root().string();
    options.timeout_ms = timeout_seconds * 1000;
    PipedResult r = RunPiped(argv, keys, options);
    Result result;
    result.code = r.exit_code;
    for (char c : r.output)
        if (c != '\r') result.out += c;
    return result;
}

inline int Count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

}  // namespace dolv::e2e

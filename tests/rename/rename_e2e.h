// Helpers of the rename engine's end-to-end tests: a temporary folder with
// real files, and a run of the built program in it with keys from a pipe.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/dolv_run.h"

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
        WriteFile(At(rel).string(), content);
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
        return ListDir((rel.empty() ? Root() : At(rel)).string());
    }
    int CountWithSuffix(const std::string& suffix) const {
        return CountEndingWith(Names(), suffix);
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
    PipedResult r = RunDolv(folder.Root().string(), args, keys, timeout_seconds * 1000);
    return Result{r.exit_code, WithoutCr(r.output)};
}

// The program run in the folder cwd with its journal on, kept in the state
// folder state (XDG_STATE_HOME), its home trash in state/data
// (XDG_DATA_HOME), the keys on its standard input.
inline Result Journaled(const std::string& cwd, const std::string& state, const Lines& args,
                        const std::string& keys = "", int timeout_seconds = 60) {
    PipedOptions options;
    options.cwd = cwd;
    options.env = {"DOLV_NO_JOURNAL", "XDG_STATE_HOME=" + state,
                   "XDG_DATA_HOME=" + state + "/data"};
    options.timeout_ms = timeout_seconds * 1000;
    std::vector<std::string> argv{DOLV_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    PipedResult r = RunPiped(argv, keys, options);
    return Result{r.exit_code, WithoutCr(r.output)};
}

}  // namespace dolv::e2e

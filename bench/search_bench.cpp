// Times the directory search: one walk over `*.txt` in a folder of N empty
// files, and one lookup by name of each file (as the existence test makes
// it), for N = 10,000 and 100,000, in memory (/dev/shm) and on disk. A
// search that stays linear in the folder's size shows a ratio near 10.
//
//   search_bench [folder ...]   (default: /dev/shm and /var/tmp)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "names/search.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Times {
    double walk_ms = 0;
    double lookups_ms = 0;
    long found = 0;
};

dolv::ShortText program_path(const fs::path& p) {
    std::string s = p.string();
    for (char& c : s)
        if (c == '/') c = '\\';
    return dolv::ShortText(s);
}

std::string file_name(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "f%07d.txt", i);
    return buf;
}

Times measure(const fs::path& dir, int n) {
    Times t;
    auto start = Clock::now();
    dolv::SearchRec rec;
    for (dolv::FINDFIRST(program_path(dir / "*.txt"), 0x76, rec); dolv::DOSERROR() == 0;
         dolv::FINDNEXT(rec))
        ++t.found;
    dolv::findclose(rec);
    t.walk_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    start = Clock::now();
    long hits = 0;
    for (int i = 0; i < n; ++i) {
        dolv::FINDFIRST(program_path(dir / file_name(i)), 0x66, rec);
        if (dolv::DOSERROR() == 0) ++hits;
    }
    t.lookups_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (hits != n) std::fprintf(stderr, "only %ld of %d names found\n", hits, n);
    return t;
}

void run(const fs::path& base) {
    std::error_code ec;
    if (!fs::is_directory(base, ec)) {
        std::printf("%s: not available, skipped\n", base.c_str());
        return;
    }
    fs::path dir = base / ("dolv-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
    fs::create_directory(dir, ec);
    if (ec) {
        std::printf("%s: cannot create a folder, skipped\n", base.c_str());
        return;
    }
    std::vector<int> sizes = {10000, 100000};
    std::vector<Times> results;
    int made = 0;
    for (int n : sizes) {
        for (; made < n; ++made) {
            if (std::FILE* f = std::fopen((dir / file_name(made)).c_str(), "wb")) std::fclose(f);
        }
        Times t = measure(dir, n);
        results.push_back(t);
        std::printf("%-10s N=%6d  walk %8.1f ms (%ld entries)  lookups %8.1f ms (%.2f us each)\n",
                    base.c_str(), n, t.walk_ms, t.found, t.lookups_ms, 1000.0 * t.lookups_ms / n);
    }
    std::printf("%-10s ratio t(100k)/t(10k): walk %.1f, lookups %.1f (linear: about 10)\n",
                base.c_str(), results[1].walk_ms / results[0].walk_ms,
                results[1].lookups_ms / results[0].lookups_ms);
    fs::remove_all(dir, ec);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> bases;
    for (int i = 1; i < argc; ++i) bases.emplace_back(argv[i]);
    if (bases.empty()) bases = {"/dev/shm", "/var/tmp"};
    for (const auto& b : bases) run(b);
    return 0;
}

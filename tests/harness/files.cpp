// Temporary folders and small file helpers for tests.
#include <dirent.h>
#include <ftw.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "pty.h"

namespace dolv {
namespace {

int remove_entry(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DP)
        rmdir(path);
    else
        unlink(path);
    return 0;
}

int open_up(const char* path, const struct stat* st, int type, struct FTW*) {
    if (type == FTW_D || type == FTW_DNR) chmod(path, (st->st_mode & 07777) | S_IRWXU);
    return 0;
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/dolv-test-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    nftw(path_.c_str(), open_up, 16, FTW_PHYS);  // read-only folders left by a test
    nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

namespace {

// The programs a test starts put what the answer S replaces into a trash of
// the test's own, never into the user's: the home trash lies in a
// temporary XDG_DATA_HOME (on the temporary folder's file system), which a
// test may name otherwise for its program.
struct OwnDataHome {
    OwnDataHome() { setenv("XDG_DATA_HOME", dir.path().c_str(), 1); }
    TempDir dir;
};
const OwnDataHome g_data_home;

}  // namespace

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FileExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* d = opendir(path.c_str())) {
        while (struct dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitForFile(const std::string& path, int timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return FileExists(path);
    // Watch first, then look: a name that comes in between is not missed.
    inotify_add_watch(fd, folder.c_str(), IN_CREATE | IN_MOVED_TO);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool found = FileExists(path);
    while (!found) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) > 0) {
            char events[4096];
            while (read(fd, events, sizeof events) > 0) {
            }
        }
        found = FileExists(path);
    }
    close(fd);
    return found;
}

}  // namespace dolv

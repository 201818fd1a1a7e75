// The journal's store on POSIX: $XDG_STATE_HOME/dolv (by default
// ~/.local/state/dolv), folder 0700, files 0600. The folder is opened once
// (O_NOFOLLOW) and every file is reached through it (the *at calls), so
// that no link on the way is followed. A file grows by blocks of 256 KiB,
// reserved on disk (posix_fallocate, so that a full disk shows at the
// reserve and never as a fault in the mapping) and mapped shared. Files
// are locked with flock, which the system lets go when the process ends.
#include "platform/store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace dolv {

struct StoreState {
    int fd = -1;
    char* block = nullptr;  // the mapped block
    off_t block_start = 0;  // its offset in the file
    off_t length = 0;       // what was committed when no block is mapped
};

struct StoreOpenFile {
    int fd = -1;
    ~StoreOpenFile() {
        if (fd >= 0) close(fd);
    }
};

namespace {

constexpr size_t kMapBlock = 256 * 1024;
int g_folder = -1;  // the folder store_open found, -1 before

std::string folder_path() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/dolv";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return std::string();
    return std::string(home) + "/.local/state/dolv";
}

// Makes a folder and those above it, 0700 (the ones that exist stay as
// they are); false when it cannot be made.
bool make_folder(const std::string& dir) {
    struct stat st;
    if (lstat(dir.c_str(), &st) == 0) return true;  // what it is, store_open tells
    const size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0 && !make_folder(dir.substr(0, slash))) return false;
    return mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

// What an opened item of the store is for this user: the kind it must
// have, its own, closed to others. A folder open to others is tightened.
StoreStatus owned_and_closed(int fd, bool folder) {
    struct stat st;
    if (fstat(fd, &st) != 0) return StoreStatus::kFailed;
    if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) return StoreStatus::kWrongKind;
    if (st.st_uid != geteuid()) return StoreStatus::kForeign;
    if ((st.st_mode & 077) == 0) return StoreStatus::kOk;
    if (folder && fchmod(fd, 0700) == 0) return StoreStatus::kOk;
    return StoreStatus::kOpen;
}

// Why a name of the store could not be opened as the kind it must be.
StoreStatus open_failure(int dir, const char* name, int err) {
    if (err == ENOENT) return StoreStatus::kMissing;
    struct stat st;
    if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        return StoreStatus::kLink;
    return err == ENOTDIR ? StoreStatus::kWrongKind : StoreStatus::kFailed;
}

// The length of what was committed.
off_t committed(const StoreFile& file) {
    const StoreState& s = *file.state;
    return s.block ? s.block_start + (file.room - s.block) : s.length;
}

void unmap(StoreState& s) {
    if (s.block) munmap(s.block, kMapBlock);
    s.block = nullptr;
}

}  // namespace

StoreStatus store_open(bool make) {
    if (g_folder >= 0) close(g_folder);
    g_folder = -1;
    const std::string path = folder_path();
    if (path.empty() || (make && !make_folder(path))) return StoreStatus::kMissing;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return open_failure(AT_FDCWD, path.c_str(), errno);
    const StoreStatus status = owned_and_closed(fd, true);
    if (status != StoreStatus::kOk) {
        close(fd);
        return status;
    }
    g_folder = fd;
    return StoreStatus::kOk;
}

bool store_create(std::string_view name, StoreFile& file) {
    file = StoreFile();
    const std::string n(name);
    const int fd =
        openat(g_folder, n.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        unlinkat(g_folder, n.c_str(), 0);
        return false;
    }
    auto state = std::make_shared<StoreState>();
    state->fd = fd;
    state->block_start = -static_cast<off_t>(kMapBlock);
    file.state = std::move(state);
    return true;
}

bool store_grow(StoreFile& file, size_t n) {
    StoreState& s = *file.state;
    const off_t start = s.block_start + static_cast<off_t>(kMapBlock);
    if (n > kMapBlock || posix_fallocate(s.fd, start, kMapBlock) != 0) return false;
    // The block before goes first: never two blocks in memory at once.
    s.length = committed(file);
    unmap(s);
    file.room = file.room_end = nullptr;
    // Its pages mapped at once: one fault for the block, not one per page.
    void* map =
        mmap(nullptr, kMapBlock, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, s.fd, start);
    if (map == MAP_FAILED) return false;
    s.block = static_cast<char*>(map);
    s.block_start = start;
    file.room = s.block;
    file.room_end = s.block + kMapBlock;
    return true;
}

bool store_close(StoreFile& file) {
    if (!file.state) return true;
    StoreState& s = *file.state;
    const off_t length = committed(file);
    unmap(s);
    const bool cut = ftruncate(s.fd, length) == 0;
    close(s.fd);  // and its lock with it
    file = StoreFile();
    return cut;
}

std::vector<std::string> store_list() {
    std::vector<std::string> names;
    const int fd = g_folder >= 0 ? dup(g_folder) : -1;
    DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!d) {
        if (fd >= 0) close(fd);
        return names;
    }
    rewinddir(d);
    while (const struct dirent* e = readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    closedir(d);
    return names;
}

bool store_rename(std::string_view from, std::string_view to) {
    const std::string f(from), t(to);
    if (syscall(SYS_renameat2, g_folder, f.c_str(), g_folder, t.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // No such rename here: the new name as a second link, then the old one goes.
    return linkat(g_folder, f.c_str(), g_folder, t.c_str(), 0) == 0 &&
           unlinkat(g_folder, f.c_str(), 0) == 0;
}

bool store_remove(std::string_view name) {
    return unlinkat(g_folder, std::string(name).c_str(), 0) == 0;
}

StoreStatus store_take(std::string_view name, StoreHandle& handle) {
    handle = StoreHandle();
    const std::string n(name);
    auto state = std::make_shared<StoreOpenFile>();
    state->fd = openat(g_folder, n.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    // A file this user may not write is still looked at, to tell why.
    if (state->fd < 0 && (errno == EACCES || errno == EPERM))
        state->fd = openat(g_folder, n.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (state->fd < 0) return open_failure(g_folder, n.c_str(), errno);
    const StoreStatus status = owned_and_closed(state->fd, false);
    if (status != StoreStatus::kOk) return status;
    if (flock(state->fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? StoreStatus::kLocked : StoreStatus::kFailed;
    handle.state = std::move(state);
    return StoreStatus::kOk;
}

uint64_t store_size(const StoreHandle& handle) {
    struct stat st;
    if (!handle.state || fstat(handle.state->fd, &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool store_read_at(const StoreHandle& handle, uint64_t offset, char* out, size_t n) {
    while (n > 0) {
        const ssize_t got = pread(handle.state->fd, out, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        offset += static_cast<uint64_t>(got);
        n -= static_cast<size_t>(got);
    }
    return true;
}

bool store_append(StoreHandle& handle, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = write(handle.state->fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

void store_release(StoreHandle& handle) {
    handle = StoreHandle();
}

StoreStamp store_stamp() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return StoreStamp{static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec,
                      static_cast<uint64_t>(getpid())};
}

// The file systems stamp new items from the coarse clock (one tick of some
// milliseconds), never ahead of it: once it has passed the time, so has
// every stamp given from then on.
void store_wait_past(int64_t nanoseconds) {
    for (;;) {
        struct timespec now;
        clock_gettime(CLOCK_REALTIME_COARSE, &now);
        const int64_t at = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
        if (at > nanoseconds) return;
        const struct timespec pause { 0, 500000 };
        nanosleep(&pause, nullptr);
    }
}

void store_warn(std::string_view line) {
    std::string text(line);
    text += '\n';
    if (write(2, text.data(), text.size()) < 0) return;
}

}  // namespace dolv

// The journal's store on POSIX: $XDG_STATE_HOME/dolv (by default
// ~/.local/state/dolv), folder 0700, files 0600. A file grows by blocks of
// 256 KiB, reserved on disk (posix_fallocate, so that a full disk shows at
// the reserve and never as a fault in the mapping) and mapped shared.
#include "platform/store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace dolv {

struct StoreState {
    int fd = -1;
    char* block = nullptr;  // the mapped block
    off_t block_start = 0;  // its offset in the file
    off_t length = 0;       // what was committed when no block is mapped
};

namespace {

constexpr size_t kMapBlock = 256 * 1024;
std::string g_folder;  // the folder store_open found, "" before

std::string folder_path() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/dolv";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return std::string();
    return std::string(home) + "/.local/state/dolv";
}

// Makes the folder and those above it; the store folder itself 0700.
bool make_folder(const std::string& dir) {
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0 && !make_folder(dir.substr(0, slash))) return false;
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return chmod(dir.c_str(), 0700) == 0 || errno == EPERM;
}

std::string in_folder(std::string_view name) {
    return g_folder + "/" + std::string(name);
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

bool store_open(bool make) {
    g_folder = folder_path();
    if (g_folder.empty()) return false;
    struct stat st;
    if (!make) return stat(g_folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return make_folder(g_folder);
}

bool store_create(std::string_view name, StoreFile& file) {
    file = StoreFile();
    const int fd =
        open(in_folder(name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
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
    close(s.fd);
    file = StoreFile();
    return cut;
}

std::vector<std::string> store_list() {
    std::vector<std::string> names;
    DIR* d = opendir(g_folder.c_str());
    if (!d) return names;
    while (const struct dirent* e = readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    closedir(d);
    return names;
}

bool store_read(std::string_view name, std::string& text) {
    text.clear();
    const int fd = open(in_folder(name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return n == 0;
}

bool store_rename(std::string_view from, std::string_view to) {
    return rename(in_folder(from).c_str(), in_folder(to).c_str()) == 0;
}

bool store_remove(std::string_view name) {
    return unlink(in_folder(name).c_str()) == 0;
}

StoreStamp store_stamp() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return StoreStamp{static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec,
                      static_cast<uint64_t>(getpid())};
}

void store_warn(std::string_view line) {
    std::string text(line);
    text += '\n';
    if (write(2, text.data(), text.size()) < 0) return;
}

}  // namespace dolv

// The journal on POSIX: $XDG_STATE_HOME/dolv (by default
// ~/.local/state/dolv), folder 0700, one file 0600 per run named by the
// time and the process, "<UTC time>-<pid>.journal"; a run undone is renamed
// to ".undone". The file is text: a first line "dolv-journal 1", then one
// line per step: kind, device and inode in hex ("-" when unknown), the old
// and the new path, separated by tabs; the bytes %, tab, CR and LF of a
// path written as %XX.
//
// Write-ahead without a system call per step: the file grows by blocks of
// 256 KiB, reserved on disk (posix_fallocate) and mapped shared; a record is
// copied into the mapping, where it is part of the file at once and
// survives the process being killed. A record never straddles two blocks:
// the rest of a block stays zero bytes, which the reader passes over, as it
// does the zero tail that a killed run leaves.
#include "platform/journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/hot.h"
#include "platform/cp850.h"
#include "platform/journal_format.h"
#include "platform/posix/native.h"

namespace dolv {
namespace {

constexpr size_t kBlock = 256 * 1024;
constexpr int kKeptRuns = 20;
constexpr char kOpenSuffix[] = ".journal";
constexpr char kUndoneSuffix[] = ".undone";

enum class State { kUnstarted, kOpen, kOff };

struct Writer {
    State state = State::kUnstarted;
    int fd = -1;
    std::string path;  // the journal file
    std::string cwd;   // with a closing '/'
    char* block = nullptr;
    off_t block_start = 0;  // file offset of the mapped block
    size_t used = 0;        // bytes of the block in use
    std::string record;     // reused for every record
    std::string native;     // the same for a whole path
    std::string from;       // the paths of a record
    std::string to;
    ShortText dir;  // the directory of the last directory line
    bool has_dir = false;
    uint64_t device = 0;  // the device of the last record, and its text with a tab
    char device_text[20];
    size_t device_length = 0;
};
Writer g_writer;

bool ends_with(const std::string& s, const char* end) {
    const size_t n = std::strlen(end);
    return s.size() >= n && s.compare(s.size() - n, n, end) == 0;
}

// The journal folder, "" when there is no home to put it in.
std::string journal_dir() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/dolv";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return std::string();
    return std::string(home) + "/.local/state/dolv";
}

// Makes the folder and those above it; the journal folder itself 0700.
bool make_dir(const std::string& dir) {
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0 && !make_dir(dir.substr(0, slash))) return false;
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return chmod(dir.c_str(), 0700) == 0 || errno == EPERM;
}

// The journals in the folder (bare names), oldest first.
std::vector<std::string> journal_names(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d) return names;
    while (const struct dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (ends_with(name, kOpenSuffix) || ends_with(name, kUndoneSuffix)) names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// Leaves room for one more run among the kept ones.
void prune(const std::string& dir) {
    const std::vector<std::string> names = journal_names(dir);
    for (size_t i = 0; i + kKeptRuns <= names.size(); ++i) unlink((dir + "/" + names[i]).c_str());
}

std::string new_name() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm utc;
    gmtime_r(&now.tv_sec, &utc);
    char stamp[64];
    const size_t n = std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%S", &utc);
    std::snprintf(stamp + n, sizeof stamp - n, ".%09ldZ-%ld", static_cast<long>(now.tv_nsec),
                  static_cast<long>(getpid()));
    return std::string(stamp) + kOpenSuffix;
}

// Maps the next block of the file, reserved on disk first.
bool next_block(Writer& w) {
    if (w.block) munmap(w.block, kBlock);
    w.block = nullptr;
    const off_t start = w.block_start + static_cast<off_t>(kBlock);
    if (posix_fallocate(w.fd, start, kBlock) != 0) return false;
    // Its pages mapped at once: one fault for the block, not one per page.
    void* map =
        mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, w.fd, start);
    if (map == MAP_FAILED) return false;
    w.block = static_cast<char*>(map);
    w.block_start = start;
    w.used = 0;
    return true;
}

bool put(Writer& w, const std::string& text) {
    if (text.size() > kBlock) return false;
    if (kBlock - w.used < text.size() && !next_block(w)) return false;
    std::memcpy(w.block + w.used, text.data(), text.size());
    w.used += text.size();
    return true;
}

bool start(Writer& w) {
    const std::string dir = journal_dir();
    if (dir.empty() || !make_dir(dir)) return false;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return false;
    w.cwd = cwd;
    if (w.cwd.back() != '/') w.cwd += '/';
    prune(dir);
    w.path = dir + "/" + new_name();
    w.fd = open(w.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (w.fd < 0) return false;
    w.block_start = -static_cast<off_t>(kBlock);
    return next_block(w) && put(w, kJournalHeader);
}

// A journal that cannot go on: the file goes (a part of a run cannot be
// taken back as if it were the whole), and standard error says so once.
void give_up(Writer& w) {
    if (w.block) munmap(w.block, kBlock);
    w.block = nullptr;
    if (w.fd >= 0) {
        close(w.fd);
        unlink(w.path.c_str());
    }
    w.fd = -1;
    w.state = State::kOff;
    const std::string line = std::string(kJournalUnwritable) + "\n";
    if (write(2, line.data(), line.size()) < 0) return;
}

// The whole path as the system names it; the current directory for "".
std::string_view whole_path(Writer& w, std::string_view path) {
    w.native.clear();
    char native[kNativePathSize];
    NATIVE_PATH_INTO(path, native);
    if (native[0] != '/') w.native += w.cwd;
    w.native += native;
    return w.native;
}

bool separator(char c) {
    return c == '\\' || c == '/';
}

// The length of a path's directory, its closing separator (or drive) included.
size_t dir_length(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (separator(path[i - 1])) return i;
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

// True when the path is a name in the directory of the last directory line:
// that directory's text, then a name without a separator (or drive).
bool in_dir(const Writer& w, std::string_view path) {
    const std::string_view dir = w.dir.view();
    if (!w.has_dir || path.size() <= dir.size() ||
        std::memcmp(path.data(), dir.data(), dir.size()) != 0)
        return false;
    if (dir.empty() && path.size() >= 2 && path[1] == ':') return false;
    for (size_t i = dir.size(); i < path.size(); ++i)
        if (separator(path[i])) return false;
    return true;
}

// A directory line when the old path lies in another directory than the
// last one written.
bool put_dir(Writer& w, std::string_view old_path) {
    if (in_dir(w, old_path)) return true;
    const std::string_view dir = old_path.substr(0, dir_length(old_path));
    if (w.has_dir && w.dir.view() == dir) return true;
    w.dir = ShortText(dir);
    w.has_dir = true;
    JOURNAL_DIR_LINE(w.record, whole_path(w, dir));
    return put(w, w.record);
}

// Room for n bytes in the block, a new block when they do not fit.
DOLV_HOT char* reserve(Writer& w, size_t n) {
    if (kBlock - w.used < n && !next_block(w)) return nullptr;
    return w.block + w.used;
}

// The head of a record: the device's text is made once and kept, as a
// batch's items all lie on one device.
DOLV_HOT char* put_head(Writer& w, char* out, Step step, const ItemId& id) {
    if (id.device == 0 || id.inode == 0) return JOURNAL_PUT_HEAD(out, step, id);
    if (id.device != w.device || w.device_length == 0) {
        w.device = id.device;
        w.device_length =
            static_cast<size_t>(JOURNAL_PUT_NUMBER(w.device_text, id.device, '\t') - w.device_text);
    }
    *out++ = static_cast<char>(step);
    *out++ = '\t';
    std::memcpy(out, w.device_text, w.device_length);
    return JOURNAL_PUT_NUMBER(out + w.device_length, id.inode, '\t');
}

// A name's field: printable ASCII as it is, anything else converted.
char* put_name(char* out, std::string_view name, char end) {
    if (char* p = JOURNAL_PUT_PLAIN_FIELD(out, name, end)) return p;
    char native[kNativePathSize];
    NATIVE_PATH_INTO(name, native);
    return JOURNAL_PUT_FIELD(out, native, end);
}

constexpr size_t kMostNames = kJournalHeadMax + 2 * 3 * kNativePathSize;

enum class Quick { kWritten, kNotQuick, kFailed };

// The usual step of a batch, in few instructions: both paths are plain
// names (JOURNAL_PUT_PLAIN_FIELD) in the directory of the last directory
// line. The line goes straight into the block.
DOLV_HOT Quick put_quick(Writer& w, Step step, const ItemId& id, std::string_view from,
                         std::string_view to) {
    const std::string_view dir = w.dir.view();
    if (!w.has_dir || from.size() <= dir.size() || to.size() <= dir.size()) return Quick::kNotQuick;
    if (!dir.empty() && (std::memcmp(from.data(), dir.data(), dir.size()) != 0 ||
                         std::memcmp(to.data(), dir.data(), dir.size()) != 0))
        return Quick::kNotQuick;
    char* start = reserve(w, kMostNames);
    if (!start) return Quick::kFailed;
    char* from_end =
        JOURNAL_PUT_PLAIN_FIELD(put_head(w, start, step, id), from.substr(dir.size()), '\t');
    char* end = from_end ? JOURNAL_PUT_PLAIN_FIELD(from_end, to.substr(dir.size()), '\n') : nullptr;
    if (!end) {
        // The rest of the block stays zero bytes, as the reader expects.
        std::memset(start, 0, kJournalHeadMax + from.size() + to.size() + 2);
        return Quick::kNotQuick;
    }
    w.used += static_cast<size_t>(end - start);
    return Quick::kWritten;
}

// The line of a step whose two paths lie in the directory line's
// directory (a batch's): the names only, written straight into the block.
bool put_names(Writer& w, Step step, const ItemId& id, std::string_view from, std::string_view to) {
    char* start = reserve(w, kMostNames);
    if (!start) return false;
    char* p = put_head(w, start, step, id);
    p = put_name(p, from.substr(w.dir.size()), '\t');
    p = put_name(p, to.substr(w.dir.size()), '\n');
    w.used += static_cast<size_t>(p - start);
    return true;
}

// A path as the record holds it: its name when it lies in the directory of
// the last directory line, else whole.
void record_path(Writer& w, std::string_view path, std::string& out) {
    if (path.empty() || !in_dir(w, path)) {
        out = path.empty() ? std::string() : std::string(whole_path(w, path));
        return;
    }
    char native[kNativePathSize];
    NATIVE_PATH_INTO(path.substr(w.dir.size()), native);
    out = native;
}

bool read_all(const std::string& path, std::string& text) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return n == 0;
}

}  // namespace

DOLV_HOT void JOURNAL(Step step, const ShortText& old_path, const ShortText& new_path,
                      const ItemId& id) {
    Writer& w = g_writer;
    if (w.state == State::kOff) return;
    if (w.state == State::kUnstarted) {
        const char* off = std::getenv("DOLV_NO_JOURNAL");
        if (off && off[0] != '\0') {
            w.state = State::kOff;
            return;
        }
        w.state = State::kOpen;
        if (!start(w)) return give_up(w);
    }
    switch (put_quick(w, step, id, old_path.view(), new_path.view())) {
        case Quick::kWritten:
            return;
        case Quick::kFailed:
            return give_up(w);
        case Quick::kNotQuick:
            break;
    }
    if (!put_dir(w, old_path.view())) return give_up(w);
    if (in_dir(w, new_path.view())) {
        if (!put_names(w, step, id, old_path.view(), new_path.view())) give_up(w);
        return;
    }
    record_path(w, old_path.view(), w.from);
    record_path(w, new_path.view(), w.to);
    JOURNAL_LINE(w.record, step, id, w.from, w.to);
    if (!put(w, w.record)) give_up(w);
}

void JOURNAL_CLOSE() {
    Writer& w = g_writer;
    if (w.state != State::kOpen) return;
    if (w.block) munmap(w.block, kBlock);
    w.block = nullptr;
    if (ftruncate(w.fd, w.block_start + static_cast<off_t>(w.used)) != 0) {
        // The zero tail stays; the reader passes over it.
    }
    close(w.fd);
    w.fd = -1;
    w.state = State::kOff;
}

bool JOURNAL_LATEST(JournalRun& run) {
    const std::string dir = journal_dir();
    if (dir.empty()) return false;
    const std::vector<std::string> names = journal_names(dir);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!ends_with(*it, kOpenSuffix)) continue;
        std::string text;
        if (!read_all(dir + "/" + *it, text) || !JOURNAL_HEADER_OK(text)) continue;
        run = JournalRun();
        run.name = ShortText(*it);
        JOURNAL_PARSE(text, run.records);
        return true;
    }
    return false;
}

bool JOURNAL_MARK_UNDONE(const JournalRun& run) {
    const std::string dir = journal_dir();
    std::string name(run.name.view());
    if (dir.empty() || !ends_with(name, kOpenSuffix)) return false;
    const std::string from = dir + "/" + name;
    name.resize(name.size() - (sizeof kOpenSuffix - 1));
    return rename(from.c_str(), (dir + "/" + name + kUndoneSuffix).c_str()) == 0;
}

}  // namespace dolv

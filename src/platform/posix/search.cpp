// The directory search: one pass over the directory when a search starts,
// the matching names kept and sorted, handed out one by one. A name without
// wildcards is asked about with one lstat and no scan.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>
#include <vector>

#include "base/hot.h"
#include "platform/cp850.h"
#include "platform/fs.h"
#include "platform/posix/native.h"
#include "platform/posix/sort_key.h"
#include "platform/wildcard.h"

namespace dolv {

// One entry of a snapshot: its names live in the snapshot's pool, each with
// a closing NUL (the CP850 name, then the name on disk when that differs).
struct SearchEntry {
    uint32_t offset;
    uint8_t length;         // of the CP850 name
    uint8_t native_length;  // 0: the name on disk is the CP850 name (plain ASCII)
    uint8_t attr;
    uint64_t inode;  // as the directory read gives it (the journal's identity)
};

struct SearchState {
    std::string pool;
    std::vector<SearchEntry> entries;
    std::string_view name(const SearchEntry& e) const {
        return std::string_view(pool.data() + e.offset, e.length);
    }
    const char* native(const SearchEntry& e) const {
        return pool.data() + e.offset + (e.native_length ? e.length + 1u : 0u);
    }
    size_t next = 0;
    uint8_t mask = 0;
    int dir_fd = -1;
    // The device of the searched directory; 0 when the directory read's
    // inode numbers are not the items' own (an overlay file system may
    // give others): the entries then come without an identity.
    uint64_t device = 0;
    // A lazy search hands out entries without a stat; `pending` says that
    // the entry handed out last has not been read yet.
    bool lazy = false;
    bool pending = false;
    ~SearchState() {
        if (dir_fd >= 0) close(dir_fd);
    }
};

namespace {

int g_dos_error = 0;

void clear(SearchRec& rec) {
    rec.name = ShortText();
    rec.size = 0;
    rec.attr = 0;
    rec.id = ItemId();
}

// Reads the size and final attributes of an entry with one fstatat; false
// when the mask no longer allows the item. An item that is gone keeps what
// the directory read said.
bool read_details(const SearchState& s, const SearchEntry& e, SearchRec& rec) {
    struct stat st;
    if (fstatat(s.dir_fd, s.native(e), &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
    rec.attr = ITEM_ATTRIBUTES(st, s.name(e));
    if (!(rec.attr & FA_DIRECTORY)) rec.size = st.st_size;
    return MASK_ALLOWS(rec.attr, s.mask);
}

// Hands out the next entry the mask still allows. Its size and final
// attributes come from one fstatat when its turn comes (at once, or at
// FINDDETAILS in a lazy search), so a walk that renames items as it goes
// sees each item as it is then.
DOLV_HOT void deliver_next(SearchRec& rec) {
    SearchState& s = *rec.state;
    while (s.next < s.entries.size()) {
        const SearchEntry& e = s.entries[s.next++];
        rec.size = 0;
        rec.attr = e.attr;
        rec.id = s.device != 0 ? ItemId{s.device, e.inode} : ItemId();
        if (s.lazy) {
            s.pending = true;
        } else if (!read_details(s, e, rec)) {
            continue;
        }
        rec.name = ShortText(s.name(e));
        g_dos_error = 0;
        return;
    }
    s.pending = false;
    clear(rec);
    g_dos_error = kStatusNoMoreFiles;
}

// The CP850 name of a name on disk: the name itself when it is plain ASCII
// (the same bytes in both), else converted into buffer. False for a name
// the program could not address, which every search passes over: not
// UTF-8, a character CP850 lacks, a raw DEL, over 255 bytes, or a character
// a Windows name may not hold.
bool ADDRESSABLE_NAME(std::string_view native, std::string& buffer, std::string_view& name) {
    switch (NATIVE_NAME_BYTES(native)) {
        case NameBytes::kRefused:
            return false;
        case NameBytes::kAscii:
            name = native;
            return name.size() <= ShortText::kMax;
        case NameBytes::kUpper:
            break;
    }
    if (!UTF8_TO_CP850(native, buffer)) return false;
    name = buffer;
    return name.size() <= ShortText::kMax && WINDOWS_NAME_CHARS(name);
}

// Takes room at once for the entries a directory's size promises: tmpfs
// counts 20 bytes an entry, a directory on disk takes at least that much
// for a name. A large directory is then not copied again and again as it
// is read (each copy to fresh pages). Room never written costs no memory;
// past the cap, or where the size says nothing, the room grows as it fills.
void reserve_room(int fd, SearchState& state) {
    constexpr size_t kMostEntries = size_t{1} << 20;
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size <= 0) return;
    const size_t entries = std::min(static_cast<size_t>(st.st_size) / 16, kMostEntries);
    try {
        state.entries.reserve(entries);
        state.pool.reserve(entries * 16);
    } catch (const std::bad_alloc&) {
        // Only a hint: the room then grows as the entries come.
    }
}

// Reads the directory open at fd once: the entries whose name matches the
// expression and whose kind the mask allows go into state, in the order of
// the read. False when the directory cannot be read.
bool read_entries(int fd, const std::string& expression, uint8_t mask, SearchState& state) {
    int scan_fd = dup(fd);
    DIR* d = scan_fd >= 0 ? fdopendir(scan_fd) : nullptr;
    if (!d) {
        if (scan_fd >= 0) close(scan_fd);
        return false;
    }
    reserve_room(fd, state);
    std::string buffer;
    std::string_view name;
    while (struct dirent* ent = readdir(d)) {
        std::string_view native(ent->d_name);
        if (!ADDRESSABLE_NAME(native, buffer, name)) continue;
        if (!WILDCARD_MATCH_EXPRESSION(expression, name)) continue;
        bool dir_item;
        if (ent->d_type == DT_UNKNOWN) {
            struct stat st;
            if (fstatat(fd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            dir_item = S_ISDIR(st.st_mode);
        } else {
            dir_item = ent->d_type == DT_DIR;
        }
        uint8_t attr = dir_item ? FA_DIRECTORY : FA_ARCHIVE;
        if (name[0] == '.' && name != "." && name != "..") attr |= FA_HIDDEN;
        if (!MASK_ALLOWS(attr, mask)) continue;
        SearchEntry e{static_cast<uint32_t>(state.pool.size()), static_cast<uint8_t>(name.size()),
                      0, attr, ent->d_ino};
        state.pool.append(name).push_back('\0');
        if (name.data() != native.data() && native != name) {
            e.native_length = static_cast<uint8_t>(native.size() > 255 ? 255 : native.size());
            state.pool.append(native).push_back('\0');
        }
        state.entries.push_back(e);
    }
    closedir(d);
    return true;
}

// The device of the directory open at fd, for the entries' identity; 0 when
// the directory read's inode numbers are not the items' own (one item tells).
uint64_t identity_device(int fd, const SearchState& state) {
    struct stat st;
    if (fstat(fd, &st) != 0) return 0;
    const uint64_t device = st.st_dev;
    for (const SearchEntry& e : state.entries) {
        const std::string_view n = state.name(e);
        if (n == "." || n == "..") continue;
        if (fstatat(fd, state.native(e), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_ino != e.inode ||
            st.st_dev != device)
            return 0;
        break;
    }
    return device;
}

// Puts the entries in NAME_COMPARE order.
void sort_entries(SearchState& state) {
    state.pool.append(8, '\0');  // sort_key reads 8 bytes at every name
    const SearchState& s = state;
    auto before = [&s](const SearchEntry& a, const SearchEntry& b) {
        const uint64_t ka = sort_key(s.pool.data() + a.offset, a.length);
        const uint64_t kb = sort_key(s.pool.data() + b.offset, b.length);
        if (ka != kb) return ka < kb;
        return NAME_BEFORE(s.name(a), s.name(b));
    };
    // A directory often lists its names in the order they were made, or the
    // reverse: both are found in one pass (the names are all different).
    std::vector<SearchEntry>& entries = state.entries;
    if (std::is_sorted(entries.rbegin(), entries.rend(), before))
        std::reverse(entries.begin(), entries.end());
    else if (!std::is_sorted(entries.begin(), entries.end(), before))
        std::sort(entries.begin(), entries.end(), before);
}

void find_pattern(const std::string& dir, std::string_view pattern, uint8_t mask, bool lazy,
                  SearchRec& rec) {
    const std::string expression = WILDCARD_EXPRESSION(pattern);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        g_dos_error = kStatusPathNotFound;
        return;
    }
    auto state = std::make_shared<SearchState>();
    state->dir_fd = fd;
    state->mask = mask;
    // Without a stat the kind and the hidden flag come from the directory
    // read; that is enough when the mask takes both kinds and hidden items.
    state->lazy = lazy && (mask & (FA_HIDDEN | FA_DIRECTORY)) == (FA_HIDDEN | FA_DIRECTORY);
    if (!read_entries(fd, expression, mask, *state)) {
        g_dos_error = kStatusPathNotFound;
        return;
    }
    state->device = identity_device(fd, *state);
    sort_entries(*state);
    rec.state = std::move(state);
    deliver_next(rec);
}

void find_literal(const ShortText& path, std::string_view name, uint8_t mask, SearchRec& rec) {
    struct stat st;
    if (!WINDOWS_NAME_CHARS(name) || lstat(NATIVE_PATH(path).c_str(), &st) != 0) {
        g_dos_error = kStatusFileNotFound;
        return;
    }
    uint8_t attr = ITEM_ATTRIBUTES(st, name);
    if (!MASK_ALLOWS(attr, mask)) {
        g_dos_error = kStatusFileNotFound;
        return;
    }
    rec.name = ShortText(name);
    rec.attr = attr;
    rec.size = (attr & FA_DIRECTORY) ? 0 : static_cast<int64_t>(st.st_size);
    rec.id = ItemId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    g_dos_error = 0;
}

// Where the last component of a path starts: after the last separator, or
// after the drive.
size_t last_component_start(std::string_view p) {
    size_t cut = p.find_last_of("\\/");
    size_t start = cut == std::string_view::npos ? 0 : cut + 1;
    if (start == 0 && p.size() >= 2 && p[1] == ':') start = 2;
    return start;
}

void start_search(const ShortText& path, uint8_t mask, bool lazy, SearchRec& rec) {
    rec.state.reset();
    clear(rec);
    std::string_view p = path.view();
    const size_t start = last_component_start(p);
    std::string_view pattern = p.substr(start);
    if (pattern.empty()) {
        g_dos_error = kStatusFileNotFound;
        return;
    }
    if (!HAS_WILDCARDS(pattern)) {
        find_literal(path, pattern, mask, rec);
        return;
    }
    std::string dir = NATIVE_PATH(p.substr(0, start));
    if (dir.empty()) dir.push_back('.');
    find_pattern(dir, pattern, mask, lazy, rec);
}

// The name in the directory at dir_fd that equals name with letters folded
// and comes first in the search's order; empty when there is none.
std::string folded_twin(int dir_fd, std::string_view name) {
    std::string best, buffer;
    DIR* d = fdopendir(dir_fd);
    if (!d) {
        close(dir_fd);
        return best;
    }
    while (struct dirent* ent = readdir(d)) {
        std::string_view candidate;
        if (!ADDRESSABLE_NAME(ent->d_name, buffer, candidate) ||
            !NAME_EQUAL_FOLDED(candidate, name))
            continue;
        if (best.empty() || NAME_BEFORE(candidate, best)) best = std::string(candidate);
    }
    closedir(d);
    return best;
}

}  // namespace

ShortText SOURCE_PATH(const ShortText& path) {
    const std::string_view p = path.view();
    const size_t start = last_component_start(p);
    const std::string_view name = p.substr(start);
    if (name.empty() || name == "." || name == ".." || HAS_WILDCARDS(name) ||
        !WINDOWS_NAME_CHARS(name))
        return path;
    struct stat st;
    if (lstat(NATIVE_PATH(path).c_str(), &st) == 0 || errno != ENOENT) return path;
    std::string dir = NATIVE_PATH(p.substr(0, start));
    if (dir.empty()) dir.push_back('.');
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return path;
    const std::string twin = folded_twin(fd, name);
    if (twin.empty()) return path;
    return ShortText(p.substr(0, start)) + ShortText(twin);
}

void FINDFIRST(const ShortText& path, uint8_t mask, SearchRec& rec) {
    start_search(path, mask, false, rec);
}

void FINDFIRST_LAZY(const ShortText& path, uint8_t mask, SearchRec& rec) {
    start_search(path, mask, true, rec);
}

void FINDDETAILS(SearchRec& rec) {
    if (!rec.state || !rec.state->pending) return;
    SearchState& s = *rec.state;
    s.pending = false;
    read_details(s, s.entries[s.next - 1], rec);
}

DOLV_HOT void FINDNEXT(SearchRec& rec) {
    if (!rec.state) {
        clear(rec);
        g_dos_error = kStatusNoMoreFiles;
        return;
    }
    deliver_next(rec);
}

int32_t SEARCH_COUNT(const SearchRec& rec) {
    if (g_dos_error != 0 && !rec.state) return 0;
    if (!rec.state) return (rec.name == "." || rec.name == "..") ? 0 : 1;  // one literal name
    int32_t n = 0;
    for (const SearchEntry& e : rec.state->entries) {
        const std::string_view name = rec.state->name(e);
        if (name != "." && name != "..") ++n;
    }
    return n;
}

void FINDCLOSE(SearchRec& rec) {
    rec.state.reset();
}

DOLV_HOT int DOSERROR() {
    return g_dos_error;
}

uint16_t GETFATTR(const ShortText& path) {
    struct stat st;
    std::string native = NATIVE_PATH(path);
    if (native.empty() || lstat(native.c_str(), &st) != 0) {
        g_dos_error = kStatusFileNotFound;
        return 0;
    }
    g_dos_error = 0;
    return ITEM_ATTRIBUTES(st, LAST_COMPONENT(path.view()));
}

bool ITEMID(const ShortText& path, ItemId& id) {
    struct stat st;
    std::string native = NATIVE_PATH(path);
    if (native.empty() || lstat(native.c_str(), &st) != 0) return false;
    id.device = static_cast<uint64_t>(st.st_dev);
    id.inode = static_cast<uint64_t>(st.st_ino);
    return true;
}

bool DELETEFILE(const ShortText& path) {
    std::string native = NATIVE_PATH(path);
    struct stat st;
    if (native.empty() || lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(native.c_str()) == 0;
}

}  // namespace dolv

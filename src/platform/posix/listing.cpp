// What the system tells of the entries of a folder and of one item: one
// readdir pass with each name in CP850, one fstatat or lstat an item.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

#include "base/hot.h"
#include "platform/cp850.h"
#include "platform/fs.h"
#include "platform/known_answers.h"
#include "platform/posix/native.h"

namespace dolv {
namespace {

struct PosixDir final : OpenDir {
    int fd = -1;
    ~PosixDir() override {
        if (fd >= 0) close(fd);
    }
};

int64_t nanoseconds(const struct timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// What listed_details tells: the attributes and the size.
void fill_details(const struct stat& st, std::string_view name, ItemInfo& info) {
    info.attr = item_attributes(st, name);
    info.size = static_cast<int64_t>(st.st_size);
}

void fill_info(const struct stat& st, std::string_view name, ItemInfo& info) {
    fill_details(st, name, info);
    info.id = ItemId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    info.mode = static_cast<uint32_t>(st.st_mode);
    info.modified_ns = nanoseconds(st.st_mtim);
    info.changed_ns = nanoseconds(st.st_ctim);
}

// Whether the inode numbers of a device are the items' own: a file system
// in user space (FUSE) makes them up for the names it is asked about. One
// statfs for each device, the first time it is met.
bool ids_last(dev_t device, int dir_fd, const char* path) {
    constexpr long kFuseMagic = 0x65735546;
    static KnownAnswers<dev_t> known;
    return known.get(device, [&] {
        struct statfs sf;
        const int err = path ? statfs(path, &sf) : fstatfs(dir_fd, &sf);
        return err != 0 || static_cast<long>(sf.f_type) != kFuseMagic;
    });
}

// Where the inode numbers do not last, the device part of an identity
// names the mount instead: a file system in user space hands the numbers
// out again at each mount, in the order it is asked about names, so that
// after a remount another item may have the number an item had. The
// kernel's unique mount id (Linux 6.8 on) tells one mount from the next;
// where there is none, the device stays.
uint64_t mount_of(const char* path, dev_t device) {
    constexpr unsigned kMountIdUnique = 0x4000;  // STATX_MNT_ID_UNIQUE
    struct statx sx;
    if (statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, kMountIdUnique, &sx) != 0 ||
        !(sx.stx_mask & kMountIdUnique))
        return static_cast<uint64_t>(device);
    return sx.stx_mnt_id | (uint64_t{1} << 63);
}

// The item at a path through statx: as the file system sees it now (a file
// system in user space may answer a plain lstat from a lookup a rename has
// made stale) and with its birth time, as asked.
int look_with_statx(const char* path, uint8_t ask, struct stat& st, int64_t& birth) {
    struct statx sx;
    const int flags = AT_SYMLINK_NOFOLLOW | ((ask & kAskAfresh) ? AT_STATX_FORCE_SYNC : 0);
    const unsigned mask = STATX_BASIC_STATS | ((ask & kAskBirth) ? STATX_BTIME : 0);
    if (statx(AT_FDCWD, path, flags, mask, &sx) != 0) {
        if (errno != ENOSYS) return errno;
        return lstat(path, &st) == 0 ? 0 : errno;
    }
    st = {};
    st.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    st.st_ino = sx.stx_ino;
    st.st_mode = sx.stx_mode;
    st.st_size = static_cast<off_t>(sx.stx_size);
    st.st_mtim = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
    st.st_ctim = {sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec};
    if (sx.stx_mask & STATX_BTIME) {
        struct timespec made;
        made.tv_sec = static_cast<time_t>(sx.stx_btime.tv_sec);
        made.tv_nsec = static_cast<long>(sx.stx_btime.tv_nsec);
        birth = nanoseconds(made);
    }
    return 0;
}

// The CP850 name of a name on disk with bytes of the upper half or a byte
// refused at once, converted into buffer; kept out of the usual path.
[[gnu::noinline, gnu::cold]] NameFault converted_name(std::string_view native, std::string& buffer,
                                                      std::string_view& name) {
    if (!utf8_to_cp850(native, buffer) || buffer.size() > ShortText::kMax) {
        buffer = utf8_to_cp850_lossy(native);
        if (buffer.size() > ShortText::kMax) buffer.resize(ShortText::kMax);
        name = buffer;
        return NameFault::kNoCp850;
    }
    name = buffer;
    return windows_name_chars(name) ? NameFault::kNone : NameFault::kWindowsChars;
}

// The CP850 name of a name on disk: the name itself when it is plain ASCII
// that a name may hold (the same bytes in both), else converted into buffer.
DOLV_HOT NameFault cp850_name(std::string_view native, std::string& buffer,
                              std::string_view& name) {
    if (native_name_bytes(native) != NameBytes::kAscii) return converted_name(native, buffer, name);
    name = native;
    if (name.size() <= ShortText::kMax) return NameFault::kNone;
    name = name.substr(0, ShortText::kMax);
    return NameFault::kNoCp850;
}

// Room for the entries a directory's size promises: tmpfs counts 20 bytes
// an entry, a directory on disk takes at least that much for a name; 0 where
// the size says nothing.
size_t room_for(const struct stat& st) {
    constexpr size_t kMostEntries = size_t{1} << 20;
    if (st.st_size <= 0) return 0;
    return std::min(static_cast<size_t>(st.st_size) / 16, kMostEntries);
}

// The device of the entries' identity; 0 when the inode number the read gave
// the first entry is not the item's own (one item tells for all), or the
// device's numbers do not last.
uint64_t identity_device(int fd, const struct stat& dir, const std::string& first, ino_t inode) {
    struct stat st;
    if (!first.empty() && (fstatat(fd, first.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                           st.st_ino != inode || st.st_dev != dir.st_dev))
        return 0;
    if (!ids_last(dir.st_dev, fd, nullptr)) return 0;
    return static_cast<uint64_t>(dir.st_dev);
}

// The attributes of each kind the directory read tells (DT_... & 15): a
// directory, an item of another kind, or no kind at all (DT_UNKNOWN).
constexpr auto kKindAttributes = [] {
    std::array<uint8_t, 16> a{};
    for (int t = 0; t < 16; ++t)
        a[t] = t == DT_UNKNOWN ? 0 : t == DT_DIR ? FA_DIRECTORY : FA_ARCHIVE;
    return a;
}();

bool dots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Reads the directory open at d.fd once (through a duplicate of it, so that
// d.fd stays open for the details).
DOLV_HOT bool read_entries(PosixDir& d, DirVisitor& visitor) {
    const int scan_fd = dup(d.fd);
    DIR* dir = scan_fd >= 0 ? fdopendir(scan_fd) : nullptr;
    struct stat st;
    if (!dir || fstat(d.fd, &st) != 0) {
        if (dir) closedir(dir);
        if (!dir && scan_fd >= 0) close(scan_fd);
        return false;
    }
    visitor.room(room_for(st));
    std::string buffer, first;
    ino_t first_inode = 0;
    ListedEntry e;
    while (struct dirent* ent = readdir(dir)) {
        e.native = std::string_view(ent->d_name);
        e.fault = cp850_name(e.native, buffer, e.name);
        e.inode = ent->d_ino;
        e.kind_known = ent->d_type != DT_UNKNOWN;
        e.attr = kKindAttributes[ent->d_type & 15];
        const bool dot_name = ent->d_name[0] == '.';
        if (!(dot_name && dots(ent->d_name))) {
            if (dot_name) e.attr |= FA_HIDDEN;
            if (first.empty()) {
                first = ent->d_name;
                first_inode = ent->d_ino;
            }
        }
        if (!visitor.entry(d, e)) break;
    }
    closedir(dir);
    d.id_device = identity_device(d.fd, st, first, first_inode);
    return true;
}

}  // namespace

std::unique_ptr<OpenDir> list_directory(const ShortText& dir, DirVisitor& visitor) {
    char path[kNativePathSize];
    native_path_into(dir.view(), path);
    auto d = std::make_unique<PosixDir>();
    d->fd = open(path[0] ? path : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d->fd < 0 || !read_entries(*d, visitor)) return nullptr;
    return d;
}

bool listed_details(const OpenDir& dir, const char* native, ItemInfo& info) {
    struct stat st;
    if (fstatat(static_cast<const PosixDir&>(dir).fd, native, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    fill_details(st, native, info);
    return true;
}

int item_info(const ShortText& path, uint8_t ask, ItemInfo& info) {
    char native[kNativePathSize];
    native_path_into(path.view(), native);
    if (native[0] == '\0') return kStatusFileNotFound;
    struct stat st;
    int64_t birth = 0;
    const bool statx_asked = (ask & (kAskAfresh | kAskBirth)) != 0;
    const int err = statx_asked          ? look_with_statx(native, ask, st, birth)
                    : lstat(native, &st) ? errno
                                         : 0;
    if (err != 0) return err == ENOENT ? kStatusFileNotFound : err;
    fill_info(st, last_component(path.view()), info);
    info.birth_ns = birth;
    if (ask & kAskIdentity) {
        info.id_lasting = ids_last(st.st_dev, -1, native);
        if (!info.id_lasting) info.id.device = mount_of(native, st.st_dev);
    }
    return 0;
}

int64_t folder_stamp(const ShortText& dir) {
    char native[kNativePathSize];
    native_path_into(dir.view(), native);
    struct stat st;
    if (stat(native[0] ? native : ".", &st) != 0 || !S_ISDIR(st.st_mode) ||
        !ids_last(st.st_dev, -1, native[0] ? native : "."))
        return 0;
    return nanoseconds(st.st_ctim);
}

int remove_empty_directory(const ShortText& path) {
    char native[kNativePathSize];
    native_path_into(path.view(), native);
    if (native[0] == '\0') return kStatusFileNotFound;
    return rmdir(native) == 0 ? 0 : errno;
}

int delete_file(const ShortText& path) {
    char native[kNativePathSize];
    native_path_into(path.view(), native);
    if (native[0] == '\0') return kStatusFileNotFound;
    return unlink(native) == 0 ? 0 : errno;
}

uint32_t process_id() {
    return static_cast<uint32_t>(getpid());
}

}  // namespace dolv

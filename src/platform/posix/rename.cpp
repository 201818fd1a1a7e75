// RENAME: never replaces what already exists, never makes a name a Windows
// name could not be. SAMEITEM: whether two paths lead to one item, also on a
// file system that folds names and gives each spelling its own inode number.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/hot.h"
#include "platform/fs.h"
#include "platform/fs_testing.h"
#include "platform/posix/native.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace dolv {
namespace {

bool g_force_fallback = false;
bool g_force_placeholder = false;

bool one_inode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the placeholder at `to` when it is still the empty item made
// there; an item someone else put there, or filled, stays.
void remove_placeholder(const char* to, const struct stat& mine, bool dir) {
    struct stat now;
    if (lstat(to, &now) != 0 || !one_inode(now, mine)) return;
    if (dir) {
        rmdir(to);  // fails, and keeps it, when something was put inside
    } else if (now.st_size == 0) {
        unlink(to);
    }
}

// Takes the name `to` first with an empty item of the source's kind (a
// file made with O_EXCL, a directory with mkdir: both fail when the name
// is taken), then renames the item onto it, which replaces the
// placeholder in one step. Another program's item made at that name in
// the meantime therefore either stops the placeholder or is never there.
int rename_onto_placeholder(const char* from, const char* to, bool dir) {
    struct stat mine;
    int fd = -1;
    if (dir) {
        if (mkdir(to, 0700) != 0) return errno;
        if (lstat(to, &mine) != 0) return errno;
    } else {
        fd = open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return errno;
        if (fstat(fd, &mine) != 0) mine = {};
    }
    int err = 0;
    // A program that opened the placeholder as its own file and wrote to it
    // keeps it: its data is not renamed away.
    struct stat now;
    if (fd >= 0 && (fstat(fd, &now) != 0 || now.st_size != 0)) err = EEXIST;
    if (err == 0 && rename(from, to) != 0) err = errno;
    if (err != 0) remove_placeholder(to, mine, dir);
    if (fd >= 0) close(fd);
    return err;
}

// Where the file system has no rename without replacement: a file gets its
// new name as a second link and loses the old one (link fails when the
// destination exists); a directory, or a file on a file system without
// hard links, is renamed onto a placeholder that holds the name.
int rename_fallback(const char* from, const char* to) {
    struct stat st;
    if (lstat(from, &st) != 0) return errno;
    const bool dir = S_ISDIR(st.st_mode);
    if (!dir && !g_force_placeholder) {
        if (link(from, to) == 0) {
            if (unlink(from) == 0) return 0;
            int err = errno;
            unlink(to);  // back to one name
            return err;
        }
        if (errno == EEXIST) return EEXIST;
    }
    return rename_onto_placeholder(from, to, dir);
}

DOLV_HOT int rename_noreplace(const char* from, const char* to) {
    if (!g_force_fallback && !g_force_placeholder) {
#ifdef SYS_renameat2
        if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
        int err = errno;
#else
        int err = ENOSYS;
#endif
        if (err != EINVAL && err != ENOSYS && err != ENOTSUP && err != EOPNOTSUPP) return err;
    }
    return rename_fallback(from, to);
}

// The item at a path as the file system sees it now: a file system in user
// space may answer a plain lstat from a lookup a rename has made stale.
int look_afresh(const std::string& path, struct stat& st) {
    struct statx sx;
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, STATX_BASIC_STATS,
              &sx) != 0) {
        if (errno != ENOSYS) return errno;
        return lstat(path.c_str(), &st) == 0 ? 0 : errno;
    }
    st = {};
    st.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    st.st_ino = sx.stx_ino;
    st.st_mode = sx.stx_mode;
    st.st_size = static_cast<off_t>(sx.stx_size);
    st.st_mtim = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
    st.st_ctim = {sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec};
    return 0;
}

// What two names of one directory entry always share, read from that entry.
bool look_alike(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_mode == b.st_mode && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// A path's folder and last name (trailing slashes ignored).
void split_native(std::string path, std::string& dir, std::string& name) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        dir = ".";
        name = path;
    } else {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

// How many of the names the folder lists exactly, byte for byte; one pass.
int count_listed(const std::string& dir, const std::string& n1, const std::string& n2) {
    DIR* d = opendir(dir.c_str());
    if (!d) return 0;
    bool seen1 = false, seen2 = n1 == n2;
    while (struct dirent* e = readdir(d)) {
        seen1 = seen1 || n1 == e->d_name;
        seen2 = seen2 || n2 == e->d_name;
        if (seen1 && seen2) break;
    }
    closedir(d);
    return int{seen1} + int{seen2};
}

// True when both paths are spelled as their folders list them. A path that
// the file system finds (lstat) under a spelling its folder does not list
// was reached by folding the name: it may be the other one's entry. One
// directory scan: only for a destination that is found taken.
bool both_listed(const std::string& a, const std::string& b) {
    std::string da, na, db, nb;
    split_native(a, da, na);
    split_native(b, db, nb);
    if (da == db) return count_listed(da, na, nb) == 2;
    return count_listed(da, na, na) == 2 && count_listed(db, nb, nb) == 2;
}

// True when `a` and `b` may lead to one entry: one inode, or (where each
// spelling of a name has its own inode number) alike in every other way
// and at least one of them not listed under its spelling.
bool may_be_one_item(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (look_afresh(a, sa) != 0 || look_afresh(b, sb) != 0) return false;
    if (one_inode(sa, sb)) return true;
    return look_alike(sa, sb) && !both_listed(a, b);
}

// Moves `from` to a free temporary name in its own folder.
int move_aside(const std::string& from, std::string& temp) {
    std::string dir, name;
    split_native(from, dir, name);
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        temp = dir + "/.dolv-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        err = rename_noreplace(from.c_str(), temp.c_str());
    }
    return err;
}

// A new name that may name the item itself (another spelling on a file
// system that folds names): the item goes to a temporary name, and then to
// the new name, which is free exactly when it named the item; when it is
// not, the item goes back.
int rename_via_temp(const std::string& from, const std::string& to) {
    std::string temp;
    int err = move_aside(from, temp);
    if (err != 0) return err;
    err = rename_noreplace(temp.c_str(), to.c_str());
    if (err != 0) rename_noreplace(temp.c_str(), from.c_str());
    return err;
}

// detour: a destination that may name the item itself is reached through
// a temporary name.
DOLV_HOT int rename_item(const ShortText& old_path, const ShortText& new_path, bool detour) {
    if (!WINDOWS_PATH_CHARS(new_path.view())) return kStatusInvalidName;
    char from[kNativePathSize];
    char to[kNativePathSize];
    NATIVE_PATH_INTO(old_path.view(), from);
    NATIVE_PATH_INTO(new_path.view(), to);
    if (from[0] == '\0' || to[0] == '\0') return ENOENT;
    // The open report file keeps its name, as an open file does on Windows:
    // the record of the run stays where the user asked for it.
    if (IS_OPEN_REPORT(from)) return EBUSY;
    int err = rename_noreplace(from, to);
    if (detour && err == EEXIST && std::strcmp(from, to) != 0 && may_be_one_item(from, to))
        err = rename_via_temp(from, to);
    return err;
}

}  // namespace

void FORCE_RENAME_FALLBACK(bool on) {
    g_force_fallback = on;
}

void FORCE_RENAME_PLACEHOLDER(bool on) {
    g_force_placeholder = on;
}

DOLV_HOT void RENAME(const ShortText& old_path, const ShortText& new_path) {
    SET_IO_STATUS(rename_item(old_path, new_path, true));
}

bool RENAME_IF_FREE(const ShortText& old_path, const ShortText& new_path) {
    return rename_item(old_path, new_path, false) == 0;
}

DOLV_HOT int rename_no_replace(const ShortText& from, const ShortText& to) {
    char native_from[kNativePathSize];
    char native_to[kNativePathSize];
    NATIVE_PATH_INTO(from.view(), native_from);
    NATIVE_PATH_INTO(to.view(), native_to);
    if (native_from[0] == '\0' || native_to[0] == '\0') return kStatusFileNotFound;
    const int err = rename_noreplace(native_from, native_to);
    return err == EEXIST ? kStatusExists : err;
}

bool DELETEFILE(const ShortText& path) {
    ItemInfo info;
    return item_info(path, 0, info) == 0 && !(info.attr & FA_DIRECTORY) && delete_file(path) == 0;
}

}  // namespace dolv

// The rename that never replaces what already exists: renameat2 with
// RENAME_NOREPLACE, or where the file system refuses that, link and unlink,
// or a placeholder that holds the new name.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "base/hot.h"
#include "platform/fs.h"
#include "platform/fs_testing.h"
#include "platform/posix/native.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace dolv {
namespace {

// The test switches of fs_testing.h.
struct Forced {
    bool fallback = false;     // as if renameat2 were missing
    bool placeholder = false;  // as if hard links were missing too
};
Forced g_forced;
PlaceholderNotice g_placeholder_notice = nullptr;

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
int rename_onto_placeholder(const char* from, const char* to, const ShortText& named_to, bool dir) {
    if (g_placeholder_notice && !g_placeholder_notice(named_to, ItemId())) return kStatusUnrecorded;
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
    if (g_placeholder_notice &&
        !g_placeholder_notice(named_to, ItemId{static_cast<uint64_t>(mine.st_dev),
                                               static_cast<uint64_t>(mine.st_ino)}))
        err = kStatusUnrecorded;
    // A program that opened the placeholder as its own file and wrote to it
    // keeps it: its data is not renamed away.
    struct stat now;
    if (err == 0 && fd >= 0 && (fstat(fd, &now) != 0 || now.st_size != 0)) err = EEXIST;
    if (err == 0 && rename(from, to) != 0) err = errno;
    if (err != 0) remove_placeholder(to, mine, dir);
    if (fd >= 0) close(fd);
    return err;
}

// Where the file system has no rename without replacement: a file gets its
// new name as a second link and loses the old one (link fails when the
// destination exists); a directory, or a file on a file system without
// hard links, is renamed onto a placeholder that holds the name.
int rename_fallback(const char* from, const char* to, const ShortText& named_to) {
    struct stat st;
    if (lstat(from, &st) != 0) return errno;
    const bool dir = S_ISDIR(st.st_mode);
    if (!dir && !g_forced.placeholder) {
        if (link(from, to) == 0) {
            if (unlink(from) == 0) return 0;
            int err = errno;
            unlink(to);  // back to one name
            return err;
        }
        if (errno == EEXIST) return EEXIST;
    }
    return rename_onto_placeholder(from, to, named_to, dir);
}

DOLV_HOT int rename_noreplace(const char* from, const char* to, const ShortText& named_to) {
    if (!g_forced.fallback && !g_forced.placeholder) {
#ifdef SYS_renameat2
        if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
        int err = errno;
#else
        int err = ENOSYS;
#endif
        if (err != EINVAL && err != ENOSYS && err != ENOTSUP && err != EOPNOTSUPP) return err;
    }
    return rename_fallback(from, to, named_to);
}

}  // namespace

int rename_native_no_replace(const char* from, const char* to, const ShortText& named_to) {
    return rename_noreplace(from, to, named_to);
}

void force_rename_fallback(bool on) {
    g_forced.fallback = on;
}

void force_rename_placeholder(bool on) {
    g_forced.placeholder = on;
}

void set_placeholder_notice(PlaceholderNotice notice) {
    g_placeholder_notice = notice;
}

DOLV_HOT int rename_no_replace(const ShortText& from, const ShortText& to) {
    char native_from[kNativePathSize];
    char native_to[kNativePathSize];
    native_path_into(from.view(), native_from);
    native_path_into(to.view(), native_to);
    if (native_from[0] == '\0' || native_to[0] == '\0') return kStatusFileNotFound;
    const int err = rename_noreplace(native_from, native_to, to);
    return err == EEXIST ? kStatusExists : err;
}

}  // namespace dolv

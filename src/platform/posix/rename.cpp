// RENAME: never replaces what already exists, never makes a name a Windows
// name could not be.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/fs.h"
#include "platform/fs_testing.h"
#include "platform/posix/native.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace dolv {
namespace {

bool g_force_fallback = false;

bool same_item(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Where the file system has no rename without replacement: a file gets its
// new name as a second link and loses the old one (link fails when the
// destination exists); a directory, or a file system without hard links,
// is checked for an absent destination just before the rename.
int rename_fallback(const char* from, const char* to) {
    struct stat st;
    if (lstat(from, &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) {
        if (link(from, to) == 0) {
            if (unlink(from) == 0) return 0;
            int err = errno;
            unlink(to);  // back to one name
            return err;
        }
        if (errno == EEXIST) return EEXIST;
    }
    struct stat dest;
    if (lstat(to, &dest) == 0) return EEXIST;
    if (errno != ENOENT) return errno;
    return rename(from, to) == 0 ? 0 : errno;
}

int rename_noreplace(const char* from, const char* to) {
    if (!g_force_fallback) {
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

// A new name that differs only in letter case on a file system that folds
// case names the same item: go through a temporary name in the same
// directory, and back again if the second step fails.
int rename_case_only(const std::string& from, const std::string& to, const struct stat& item) {
    std::string dir;
    size_t slash = to.rfind('/');
    if (slash != std::string::npos) dir = to.substr(0, slash + 1);
    std::string temp;
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        temp = dir + ".dolv-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        err = rename_noreplace(from.c_str(), temp.c_str());
    }
    if (err != 0) return err;
    err = rename_noreplace(temp.c_str(), to.c_str());
    if (err != 0) {
        rename_noreplace(temp.c_str(), from.c_str());
        return err;
    }
    struct stat now;
    if (lstat(to.c_str(), &now) != 0 || !same_item(now, item)) return EIO;
    return 0;
}

// detour: a destination that names the item itself (another letter case on
// a volume that folds case) is reached through a temporary name.
int rename_item(const ShortText& old_path, const ShortText& new_path, bool detour) {
    if (!WINDOWS_PATH_CHARS(new_path.view())) return kStatusInvalidName;
    // IS_OPEN_REPORT takes the old path as a string; the new one needs none.
    const std::string from = NATIVE_PATH(old_path);
    char to[kNativePathSize];
    NATIVE_PATH_INTO(new_path.view(), to);
    if (from.empty() || to[0] == '\0') return ENOENT;
    // The open report file keeps its name, as an open file does on Windows:
    // the record of the run stays where the user asked for it.
    if (IS_OPEN_REPORT(from)) return EBUSY;
    int err = rename_noreplace(from.c_str(), to);
    if (detour && err == EEXIST && from != to) {
        struct stat a, b;
        if (lstat(from.c_str(), &a) == 0 && lstat(to, &b) == 0 && same_item(a, b))
            err = rename_case_only(from, to, a);
    }
    return err;
}

}  // namespace

void FORCE_RENAME_FALLBACK(bool on) {
    g_force_fallback = on;
}

void RENAME(const ShortText& old_path, const ShortText& new_path) {
    SET_IO_STATUS(rename_item(old_path, new_path, true));
}

bool RENAME_IF_FREE(const ShortText& old_path, const ShortText& new_path) {
    return rename_item(old_path, new_path, false) == 0;
}

}  // namespace dolv

// The freedesktop.org trash: the home trash
// ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash) for an item on the
// home's file system; else the trash at the top of the item's own mount,
// $topdir/.Trash/$uid where an administrator made $topdir/.Trash (a real
// directory with the sticky bit), else $topdir/.Trash-$uid. Each holds
// files/ and info/; an item's info/<name>.trashinfo (its Path and
// DeletionDate) is made first, exclusively, and the item then goes to
// files/<name> by a rename that never replaces. Desktop file managers list
// it there and can restore it too.
#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/cp850.h"
#include "platform/fs.h"
#include "platform/posix/native.h"

namespace dolv {
namespace {

// How many names are tried in one trash before it counts as full.
constexpr int kMostNames = 1000;

std::string parent_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The device of a path, or of the nearest folder above it that exists.
bool device_of(std::string path, dev_t& device) {
    struct stat st;
    while (stat(path.c_str(), &st) != 0) {
        if (path == "/" || path == ".") return false;
        path = parent_of(path);
    }
    device = st.st_dev;
    return true;
}

// The highest folder above the item (its own folder included) that lies on
// the item's file system.
std::string mount_top(const std::string& item, dev_t device) {
    std::string top = parent_of(item);
    for (;;) {
        if (top == "/") return top;
        const std::string up = parent_of(top);
        struct stat st;
        if (stat(up.c_str(), &st) != 0 || st.st_dev != device) return top;
        top = up;
    }
}

// A folder the user may keep a trash in: a real directory (never a link)
// of the user's own. make: made with mode 0700 where it is missing.
bool own_directory(const std::string& path, bool make) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        if (!make || errno != ENOENT || mkdir(path.c_str(), 0700) != 0) return false;
        if (lstat(path.c_str(), &st) != 0) return false;
    }
    if (S_ISDIR(st.st_mode) && st.st_uid == geteuid()) return true;
    errno = EPERM;  // there, but no folder of the user's own
    return false;
}

// True when a missing folder could be made on the item's device.
bool could_make(const std::string& path, dev_t device) {
    dev_t d;
    return device_of(path, d) && d == device && access(parent_of(path).c_str(), W_OK) == 0;
}

// A folder of the trash: there and the user's own, or (without make) one
// that could be made.
bool trash_folder(const std::string& path, dev_t device, bool make) {
    if (own_directory(path, make)) return true;
    return !make && errno == ENOENT && could_make(path, device);
}

// A trash folder with its files/ and info/, on the item's device.
bool usable_trash(const std::string& trash, dev_t device, bool make) {
    if (!own_directory(trash, make)) return !make && errno == ENOENT && could_make(trash, device);
    struct stat st;
    if (stat(trash.c_str(), &st) != 0 || st.st_dev != device) return false;
    return trash_folder(trash + "/files", device, make) &&
           trash_folder(trash + "/info", device, make);
}

// Makes the missing folders above path (mode 0700), as the home trash may
// need its $XDG_DATA_HOME made first.
void make_parents(const std::string& path) {
    const std::string up = parent_of(path);
    struct stat st;
    if (up == path || lstat(up.c_str(), &st) == 0) return;
    make_parents(up);
    mkdir(up.c_str(), 0700);
}

// The home trash, "" when there is no home.
std::string home_trash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return std::string();
    return std::string(home) + "/.local/share/Trash";
}

// The trash that takes an item on device, "" when none can.
std::string trash_for(const std::string& item, dev_t device, bool make) {
    const std::string home = home_trash();
    dev_t home_device;
    if (!home.empty() && device_of(home, home_device) && home_device == device) {
        if (make) make_parents(home);
        return usable_trash(home, device, make) ? home : std::string();
    }
    const std::string top = mount_top(item, device);
    const std::string base = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(geteuid());
    struct stat st;
    const std::string shared = base + "/.Trash";
    if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
        usable_trash(shared + "/" + uid, device, make))
        return shared + "/" + uid;
    const std::string own = base + "/.Trash-" + uid;
    return usable_trash(own, device, make) ? own : std::string();
}

// A path as a .trashinfo holds it: every byte but the unreserved ones and
// '/' written as %XX.
std::string encoded(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string info_text(const std::string& item) {
    char date[32];
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + encoded(item) + "\nDeletionDate=" + date + "\n";
}

// The n-th name tried for base in a trash: base, then "stem.2.ext" ...
std::string nth_name(const std::string& base, int n) {
    if (n == 1) return base;
    const size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0) return base + "." + std::to_string(n);
    return base.substr(0, dot) + "." + std::to_string(n) + base.substr(dot);
}

// Writes the description of item, exclusively; false when the name is taken
// (errno EEXIST) or it cannot be written.
bool make_info(const std::string& info, const std::string& item) {
    const int fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const std::string text = info_text(item);
    const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!ok) unlink(info.c_str());
    return ok;
}

// A system path in the program's form; false when it does not fit.
bool program_form(const std::string& native, ShortText& out) {
    std::string cp850;
    if (!utf8_to_cp850(native, cp850) || cp850.size() > ShortText::kMax) return false;
    for (char& c : cp850)
        if (c == '/') c = '\\';
    out = ShortText(cp850);
    return true;
}

// Moves item into trash under the first free name, told first to notice;
// 0 or an errno value.
int move_into(const ShortText& path, const std::string& item, const std::string& trash,
              ShortText& trashed, TrashNotice notice) {
    const std::string base(last_component(item));
    for (int n = 1; n <= kMostNames; ++n) {
        const std::string name = nth_name(base, n);
        const std::string info = trash + "/info/" + name + ".trashinfo";
        const std::string file = trash + "/files/" + name;
        if (!program_form(file, trashed)) return ENAMETOOLONG;
        if (!make_info(info, item)) {
            if (errno == EEXIST) continue;
            return errno ? errno : EIO;
        }
        if (!notice(path, trashed)) {
            unlink(info.c_str());
            return ENAMETOOLONG;
        }
        const int err = rename_native_no_replace(item.c_str(), file.c_str(), trashed);
        if (err == 0) return 0;
        unlink(info.c_str());
        if (err != EEXIST) return err;
    }
    return EEXIST;
}

// The description of a file in a trash: info/<name>.trashinfo beside files/.
std::string info_of(const std::string& file) {
    const std::string files = parent_of(file);
    return parent_of(files) + "/info/" + std::string(last_component(file)) + ".trashinfo";
}

}  // namespace

int trash_file(const ShortText& path, ShortText& trashed, TrashNotice notice) {
    const std::string item = native_path(FEXPAND(path));
    struct stat st;
    if (item.empty() || lstat(item.c_str(), &st) != 0) return kStatusFileNotFound;
    if (S_ISDIR(st.st_mode)) return kStatusInvalidName;
    const std::string trash = trash_for(item, st.st_dev, true);
    if (trash.empty()) return kStatusPathNotFound;
    return move_into(path, item, trash, trashed, notice);
}

bool trash_takes(const ShortText& path) {
    const std::string item = native_path(FEXPAND(path));
    struct stat st;
    if (item.empty() || lstat(item.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return !trash_for(item, st.st_dev, false).empty();
}

int untrash_file(const ShortText& trashed, const ShortText& path) {
    const std::string file = native_path(trashed);
    const std::string item = native_path(FEXPAND(path));
    struct stat st;
    if (file.empty() || lstat(file.c_str(), &st) != 0) return kStatusFileNotFound;
    const int err = rename_native_no_replace(file.c_str(), item.c_str(), FEXPAND(path));
    if (err != 0) return err == EEXIST ? kStatusExists : err;
    unlink(info_of(file).c_str());
    return 0;
}

}  // namespace dolv

// The file system of the in-process tests: a tree of files and directories
// in memory, standing in for the platform's file-system primitives (fs.h)
// at link time, so that the program's own search, lookups and guards run
// over it. Paths are written as the program writes them (`\` separators,
// `/` counts as `\`); a relative path starts at the fixed current directory
// kCurrentDir. Any call can be made to fail, and a hook can change the tree
// just before a chosen call (an item that vanishes between the search and
// the rename).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dolv {
struct SystemConventions;
}

namespace dolv::fake {

constexpr char kCurrentDir[] = "\\DATI";

// The calls that faults and hooks can aim at.
enum class Op {
    kRename,       // rename_no_replace (every try of RENAME and rename_if_free)
    kDelete,       // delete_file (DELETEFILE)
    kReportOpen,   // report_create, report_append
    kReportWrite,  // report_write
    kReportFlush,  // report_flush (and the flush of report_close)
    // In a folder of Placeholders: the rename onto the placeholder, once it
    // is made (the rename_no_replace call it belongs to was counted before).
    kOntoPlaceholder,
    kItemInfo,  // item_info: counted only
    kTrash,     // trash_file
    kUntrash,   // untrash_file
};

class Fs {
  public:
    // An empty tree holding only the root and the current directory; no
    // faults, no hooks, no environment.
    static void Reset();

    // Items. Parent directories are made as needed. attr adds FA_READONLY,
    // FA_HIDDEN or FA_SYSFILE to the kind.
    static void File(const std::string& path, const std::string& content = "", uint8_t attr = 0);
    static void Dir(const std::string& path, uint8_t attr = 0);
    static void Remove(const std::string& path);  // with everything below it
    // Names in this directory compare with letters folded (as on a
    // case-insensitive volume): lookups, existence and renames; a new name
    // that is another spelling of the item's own exists already. With
    // id_per_spelling, each spelling that finds an item gives it an
    // identity of its own, as exFAT in user space does.
    static void FoldCase(const std::string& dir, bool id_per_spelling = false);
    // Renames into this directory go as on a file system that has neither a
    // rename that never replaces nor hard links: an empty placeholder of the
    // source's kind takes the new name first (told to the platform's
    // placeholder notice), then the item is renamed onto it.
    static void Placeholders(const std::string& dir);
    // The identity of an item removed is given to the next item made, as
    // ext4 gives a freed inode number again at once.
    static void ReuseIds();
    // item_info tells no birth times (a file system that keeps none).
    static void NoBirthTimes();
    // The clock that stamps every item made with its birth time, in
    // nanoseconds: one step for each item made; the store's clock.
    static int64_t Clock();
    static void AdvanceClock(int64_t nanoseconds);
    static void Env(const std::string& name, const std::string& value);
    // The system's habits the program asks about (system.h); none at the start.
    static void Conventions(const SystemConventions& conventions);
    // No trash takes an item from now on (a read-only mount top): an answer
    // S then deletes the old file.
    static void NoTrash();

    static bool Exists(const std::string& path);
    static bool IsDir(const std::string& path);
    // A file's content; "<missing>" or "<directory>" otherwise.
    static std::string Content(const std::string& path);
    // The names in a directory, in the search order, "." and ".." aside.
    static std::vector<std::string> Names(const std::string& dir = kCurrentDir);
    // The names in a directory joined with blanks, for a table's column.
    static std::string Listing(const std::string& dir = kCurrentDir);
    // The same with each file's content: "a.txt=abc d=<directory>".
    static std::string Contents(const std::string& dir = kCurrentDir);

    // The nth call (1-based; 0 = every call) of op whose first path equals
    // path (any path when empty) fails.
    static void Fail(Op op, int nth = 0, const std::string& path = std::string());
    // Runs action just before the nth call of op (any path).
    static void Before(Op op, int nth, std::function<void()> action);
    // How many calls of op were made.
    static int Calls(Op op);
};

}  // namespace dolv::fake

// The store of the journal: one folder of the user's own (on POSIX
// $XDG_STATE_HOME/dolv, by default ~/.local/state/dolv, made 0700; on
// Windows %LOCALAPPDATA%\dolv, which keeps the profile's access rules), and
// what the system must do with its files. The files are named by their
// bare names in that folder; what a name means, and what a file holds, is
// the journal's business (report/journal.h), the same on every system.
//
// Nobody else may steer the journal: the folder is used only when it is a
// real folder (no link), the user's own, and closed to others (on POSIX a
// folder that others may read or write is tightened to 0700 first); a file
// is read only when it is a regular file of the user's own, closed to
// others. Every file operation goes through the folder found, never
// through a link.
//
// A file is written ahead of the steps it records, cheaply and so that what
// it holds survives the process being killed: it grows by blocks that are
// mapped into memory (reserved on disk first, where the system can), and
// the bytes written into a block are part of the file at once, without a
// system call. The rest of a block stays zero bytes; closing cuts the file
// to what was committed, and a run killed before it leaves the zero tail.
//
// A file being written is locked (flock, LockFileEx) until it is closed or
// its process ends, however it ends: a run in progress holds its journal,
// an undo the journal it takes back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dolv {

// What the store tells of its folder, or of one of its files.
enum class StoreStatus : uint8_t {
    kOk,
    kMissing,    // no folder (none made), no home to put it in; a file not there
    kLink,       // the name is a link
    kWrongKind,  // the folder is no folder, or the file no regular file
    kForeign,    // another user owns it
    kOpen,       // others may read or write it (a folder that could not be tightened)
    kLocked,     // a file that another process holds (a run in progress, an undo)
    kFailed,     // it cannot be made, opened or read
};

struct StoreState;  // the system's: the open file and its mapped block

// A file of the store being written. [room, room_end) is the reserved room
// at the end of what was committed: bytes written there are in the file
// already (they outlive the process), and count once they are committed.
struct StoreFile {
    char* room = nullptr;
    char* room_end = nullptr;
    std::shared_ptr<StoreState> state;
};

// Finds the store folder, making it (and the folders above it) when make
// is true, and checks it (above). The other operations use the folder
// found last; none of them work after a status other than kOk.
StoreStatus store_open(bool make);

// Creates the file name in the folder, exclusively: never over an item of
// that name, never through a link; 0600 on POSIX. The file is locked until
// store_close.
bool store_create(std::string_view name, StoreFile& file);
// The next block of the file, reserved and mapped, as the room (what is
// left of the block before stays zero bytes). False when the file cannot
// grow or n bytes do not fit in a block (blocks hold some KiB at least);
// what was committed stays, and the room may be gone.
bool store_grow(StoreFile& file, size_t n);
// Room for n bytes at file.room, nullptr when the file cannot grow. No
// system call but once a block.
inline char* store_reserve(StoreFile& file, size_t n) {
    if (static_cast<size_t>(file.room_end - file.room) >= n) return file.room;
    return store_grow(file, n) ? file.room : nullptr;
}
// The bytes written from file.room up to end (within the room) are
// committed: what closing keeps. The next room starts after them.
inline void store_commit(StoreFile& file, char* end) {
    file.room = end;
}
// Closes the file, cut to what was committed, and lets its lock go; false
// when the cut failed (the zero tail then stays).
bool store_close(StoreFile& file);

// The names of the files in the folder, in no order.
std::vector<std::string> store_list();
// Renames a file of the folder to a name not in use; false when it fails.
bool store_rename(std::string_view from, std::string_view to);
bool store_remove(std::string_view name);

struct StoreOpenFile;  // the system's: a kept file opened for reading
// A kept file, opened to be read and to take lines at its end, and locked
// for as long as it is held.
struct StoreHandle {
    std::shared_ptr<StoreOpenFile> state;
};
// Opens a file of the folder and checks it (a regular file of the user's
// own, closed to others), then locks it: kOk, or why not (kLocked when
// another process holds it).
StoreStatus store_take(std::string_view name, StoreHandle& handle);
// The file's length now.
uint64_t store_size(const StoreHandle& handle);
// Reads n bytes from offset (within the length); false when it cannot.
bool store_read_at(const StoreHandle& handle, uint64_t offset, char* out, size_t n);
// Appends text at the file's end (in the file once the call returns, also
// when the process is killed after it); false when it cannot.
bool store_append(StoreHandle& handle, std::string_view text);
// Lets the file and its lock go.
void store_release(StoreHandle& handle);

// What else the journal asks of the system: the time now (nanoseconds
// since 1970-01-01 UTC) and the process's id; a wait until the clock that
// stamps new items has passed a time, so that an item made from then on is
// stamped after it; and a line (without its line end) on standard error.
struct StoreStamp {
    int64_t nanoseconds = 0;
    uint64_t process = 0;
};
StoreStamp store_stamp();
void store_wait_past(int64_t nanoseconds);
void store_warn(std::string_view line);

}  // namespace dolv

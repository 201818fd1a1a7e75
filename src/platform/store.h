// The store of the journal: one folder of the user's own (on POSIX
// $XDG_STATE_HOME/dolv, by default ~/.local/state/dolv, made 0700; on
// Windows %LOCALAPPDATA%\dolv, which keeps the profile's access rules), and
// what the system must do with its files. The files are named by their
// bare names in that folder; what a name means, and what a file holds, is
// the journal's business (report/journal.h), the same on every system.
//
// A file is written ahead of the steps it records, cheaply and so that what
// it holds survives the process being killed: it grows by blocks that are
// mapped into memory (reserved on disk first, where the system can), and
// the bytes written into a block are part of the file at once, without a
// system call. The rest of a block stays zero bytes; closing cuts the file
// to what was committed, and a run killed before it leaves the zero tail.
//
// A lock on the folder, so that two runs cannot meddle with one another's
// files, will be taken by store_open; nothing locks it yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dolv {

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
// is true. False when there is none: no home to put it in, or it cannot
// be made. The other operations use the folder found last.
bool store_open(bool make);

// Creates the file name in the folder, exclusively: never over an item of
// that name, never through a link; 0600 on POSIX.
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
// Closes the file, cut to what was committed; false when the cut failed
// (the zero tail then stays).
bool store_close(StoreFile& file);

// The names of the files in the folder, in no order.
std::vector<std::string> store_list();
// A file's whole content; false when it cannot be read.
bool store_read(std::string_view name, std::string& text);
// Renames a file of the folder to a name not in use; false when it fails.
bool store_rename(std::string_view from, std::string_view to);
bool store_remove(std::string_view name);

// What else the journal asks of the system: the time now (nanoseconds
// since 1970-01-01 UTC) and the process's id, for a new file's name; and a
// line (without its line end) on standard error, for the one word a
// journal that cannot be written leaves.
struct StoreStamp {
    int64_t nanoseconds = 0;
    uint64_t process = 0;
};
StoreStamp store_stamp();
void store_warn(std::string_view line);

}  // namespace dolv

// The file system: what only the system can do. Paths are ShortText values
// in code page 850 with `\` as the separator (a `/` counts as `\`),
// optionally starting with a drive `X:`. A status is tested only for success
// against failure, but for the values named here. The program's rules over
// these calls are above the platform, the same on every system: the
// directory search (names/search), the questions about items (names/items),
// the renames with their guards (rename/move).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/short_text.h"

namespace dolv {

// Attribute bits.
constexpr uint8_t FA_READONLY = 0x01;
constexpr uint8_t FA_HIDDEN = 0x02;
constexpr uint8_t FA_SYSFILE = 0x04;
constexpr uint8_t FA_VOLUMEID = 0x08;
constexpr uint8_t FA_DIRECTORY = 0x10;
constexpr uint8_t FA_ARCHIVE = 0x20;
constexpr uint8_t FA_ANYFILE = 0x3F;

// Identity of an item, to tell whether two paths name the same item.
struct ItemId {
    uint64_t device = 0;
    uint64_t inode = 0;
};

// Status values that the file-system calls, and the program's rules over
// them (DOSERROR, IORESULT), set themselves, numbered as DOS numbers them
// (any other nonzero value is the system's).
constexpr int kStatusFileNotFound = 2;
constexpr int kStatusPathNotFound = 3;
constexpr int kStatusNoMoreFiles = 18;
constexpr int kStatusInUse = 32;         // the item is held open (the report file)
constexpr int kStatusExists = 80;        // the destination of a rename exists
constexpr int kStatusUnrecorded = 82;    // a step the journal could not record first
constexpr int kStatusNotOpen = 103;      // the report file is not open
constexpr int kStatusInvalidName = 123;  // a name no Windows name could be

// What one query of the system tells of an item.
struct ItemInfo {
    uint8_t attr = 0;  // the attribute word (FA_...)
    int64_t size = 0;  // as the system gives it, for a directory too
    ItemId id;         // where asked for (kAskIdentity); 0 and 0 otherwise
    // What two names of one directory entry always share: the kind and
    // permission bits, and the times of the last change of the data and of
    // the entry, in nanoseconds. 0 where the system tells none of them.
    uint32_t mode = 0;
    int64_t modified_ns = 0;
    int64_t changed_ns = 0;
    // True where every spelling of a name leads the system to the one item
    // and its one id (Windows): a different id is then always another item.
    bool id_decides = false;
    // The name as its folder holds it (letter case on disk, the long name
    // behind an 8.3 alias) where asked for and the system tells it; empty
    // otherwise (the name is then as written).
    ShortText stored_name;
    // When the item was made, in nanoseconds since 1970 UTC, where asked
    // for (kAskBirth) and the system keeps it; 0 otherwise. A rename leaves
    // it as it is; a new item under an old name gets its own.
    int64_t birth_ns = 0;
    // False where the identity is a number the system makes up for a name
    // it is asked about (a file system in user space without inode numbers
    // of its own): the same item may get another number at another lookup,
    // and the number says nothing once the system has forgotten the item.
    bool id_lasting = true;
};
// What item_info asks beyond the attributes and the size, where that costs
// the system more (one lstat on POSIX answers everything but kAskAfresh).
constexpr uint8_t kAskIdentity = 1;
constexpr uint8_t kAskStoredName = 2;
// The item as the file system sees it now: a file system in user space may
// answer a plain query from a lookup that a rename has made stale.
constexpr uint8_t kAskAfresh = 4;
// The item's birth time (one statx on POSIX, the item opened on Windows).
constexpr uint8_t kAskBirth = 8;
// Asks about the item at path, not following a final link: 0, with info
// filled, when it exists; kStatusFileNotFound when no item has that name
// (its folder may be missing too), or another status when the system cannot tell.
int item_info(const ShortText& path, uint8_t ask, ItemInfo& info);

// Why a listed name is one the program cannot address.
enum class NameFault : uint8_t {
    kNone,
    // Not UTF-8, a character CP850 lacks (a raw DEL among them), or longer
    // than a text holds: the entry's name has the byte 0x1A for each such
    // character (each byte that is no UTF-8), and is cut at 255 bytes.
    kNoCp850,
    // A character no Windows name may hold: the entry comes with its name.
    kWindowsChars,
};
// One entry as the directory listing tells it.
struct ListedEntry {
    std::string_view name;    // CP850
    std::string_view native;  // the system's own name, followed by a NUL: for listed_details
    uint64_t inode = 0;       // as listed (see OpenDir::id_device)
    int64_t size = 0;         // where complete
    // FA_DIRECTORY or FA_ARCHIVE where kind_known, FA_HIDDEN where the
    // system takes the name for hidden; the other bits where complete.
    uint8_t attr = 0;
    bool kind_known = true;  // false: only listed_details tells the kind
    // True where the listing tells everything listed_details would (the
    // attributes and the size: Windows); the same for all of one listing.
    bool complete = false;
    NameFault fault = NameFault::kNone;
};
// A directory being listed, or listed: kept open for the details of its entries.
struct OpenDir {
    virtual ~OpenDir() = default;
    // The device that makes an entry's inode its identity; 0 when the
    // listing's inode numbers are not the items' own (an overlay file system
    // may give others), or the listing gives none.
    uint64_t id_device = 0;
};
// What a listing hands each entry to, as it reads it.
class DirVisitor {
  public:
    // Before the first entry: room for about this many entries (a hint).
    virtual void room(size_t entries) { static_cast<void>(entries); }
    // One entry; false ends the listing there.
    virtual bool entry(const OpenDir& dir, const ListedEntry& entry) = 0;

  protected:
    ~DirVisitor() = default;
};
// Reads the directory once and hands every entry ("." and ".." too, where
// the system lists them) to visitor, in the order of the system. dir is the
// text before the entries' names: empty for the current directory, a drive
// `X:`, or a path that ends with a separator. Null when the directory
// cannot be read.
std::unique_ptr<OpenDir> list_directory(const ShortText& dir, DirVisitor& visitor);
// The attributes and size of a listed entry now (the rest of info is left
// alone), by its native name: one fstatat in the listed directory on POSIX;
// on Windows the listing told them already. False when the system cannot
// tell (the item is gone).
bool listed_details(const OpenDir& dir, const char* native, ItemInfo& info);

// Renames a file or directory and never replaces an existing destination:
// 0, kStatusExists when the destination exists (another spelling of the
// item's own name may count as existing), or the system's status.
int rename_no_replace(const ShortText& from, const ShortText& to);
// Where the system has neither a rename that never replaces nor hard links
// (exFAT, FAT), rename_no_replace takes the new name first with an empty
// item of the source's kind and renames the item onto it. It tells the
// notice before it makes that placeholder (made is 0 and 0; false: it is
// not made, and the rename fails with kStatusUnrecorded) and once it is
// made (made is its identity), so that the program can record both.
using PlaceholderNotice = bool (*)(const ShortText& path, const ItemId& made);
void set_placeholder_notice(PlaceholderNotice notice);
// Removes a file: 0 or the system's status.
int delete_file(const ShortText& path);
// Removes a directory that holds nothing: 0 or the system's status.
int remove_empty_directory(const ShortText& path);
// A stamp of a folder's entries that changes whenever an entry is made,
// removed or renamed in it, and that nobody can set back (on POSIX the
// folder's change time, in nanoseconds), where the system gives one it
// vouches for; 0 otherwise (Windows, a file system in user space).
int64_t folder_stamp(const ShortText& dir);

// The absolute path, completed from the current drive and directory; `.` and
// `..` resolved as text; `\` separators; letter case as written.
ShortText FEXPAND(const ShortText& path);
// The value of an environment variable (CP850), empty when not defined.
ShortText GETENV(const ShortText& name);
// The program's process number, for the temporary names it makes.
uint32_t process_id();

// The report file: one sequential text file, written as the console shows
// it (on disk in the system's encoding of text). Each call returns its
// status (0 = success). report_create and report_append close a file that is
// open, then open one: id is its identity (0 and 0 when the system tells
// none). report_write with line_end true ends the line as the system does
// (CR LF on Windows, LF on POSIX). Writes are buffered: report_flush pushes
// what is buffered to the file, and report_close does so before it closes. A failed write (full
// disk) gives a nonzero status at the write or the flush that meets it.
int report_create(const ShortText& path, ItemId& id);
int report_append(const ShortText& path, ItemId& id);
int report_write(const ShortText& text, bool line_end);
int report_flush();
int report_close();

}  // namespace dolv

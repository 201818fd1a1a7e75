// File-system services. Paths are ShortText values in code page 850 with `\`
// as the separator (a `/` counts as `\`), optionally starting with a drive
// `X:`. Results are tested only for success against failure.
#pragma once

#include <cstdint>
#include <memory>

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
// The search masks the program uses (0x40 is a bit of no kind, kept as the
// masks have always been written).
// Files, directories, hidden and system items: every entry but volume labels.
constexpr uint8_t FA_ALL_BUT_LABELS = 0x76;
// Files, hidden and system ones included: no directories, no labels.
constexpr uint8_t FA_FILES_ONLY = 0x66;
// A search passes over an entry that has a hidden, system, volume or
// directory bit the mask leaves out; read-only and archive never exclude.
constexpr bool MASK_ALLOWS(uint8_t attr, uint8_t mask) {
    constexpr uint8_t kSelective = FA_HIDDEN | FA_SYSFILE | FA_VOLUMEID | FA_DIRECTORY;
    return (attr & kSelective & ~mask) == 0;
}

// Identity of an item, to tell whether two paths name the same item.
struct ItemId {
    uint64_t device = 0;
    uint64_t inode = 0;
};

struct SearchState;  // the platform's snapshot of one directory search

// One directory search. FINDFIRST reads the directory once, keeps the
// entries whose name matches the last component of path (wildcards `*` and
// `?`) and whose attributes the mask allows, sorted; FINDNEXT hands them out
// one by one. A path without wildcards asks about that one name directly.
struct SearchRec {
    ShortText name;  // bare name, no directory
    int64_t size = 0;
    uint8_t attr = 0;
    ItemId id;  // the entry's identity where the search gives it; 0 and 0 otherwise
    std::shared_ptr<SearchState> state;
};
void FINDFIRST(const ShortText& path, uint8_t mask, SearchRec& rec);
void FINDNEXT(SearchRec& rec);
void FINDCLOSE(SearchRec& rec);
// FINDFIRST for a walk that mostly needs the names. Where the directory read
// tells an item's kind and the mask takes both kinds and hidden items, the
// entries (this one and those FINDNEXT hands out) come without their size
// (0) and with the attributes the directory read gave (kind and hidden),
// until FINDDETAILS reads them. Otherwise the same as FINDFIRST.
void FINDFIRST_LAZY(const ShortText& path, uint8_t mask, SearchRec& rec);
// Completes the size and attributes of the entry handed out last, as
// FINDFIRST would have given them; nothing to do when they are complete.
void FINDDETAILS(SearchRec& rec);
// How many entries, "." and ".." aside, the search started by FINDFIRST
// holds in all (the delivered one included); 0 when it found none.
int32_t SEARCH_COUNT(const SearchRec& rec);
// The path of the item that a source operand names. A last component
// without wildcards that names no item as written stands for the first
// entry, in the search's order, whose name equals it with letters folded (a
// case-insensitive volume finds such a name by itself); the path comes back
// unchanged when there is none, and for a pattern.
ShortText SOURCE_PATH(const ShortText& path);
// 0 after FINDFIRST/FINDNEXT delivered an entry or GETFATTR succeeded; nonzero otherwise.
int DOSERROR();

// Status values of DOSERROR and IORESULT that the platform sets itself,
// numbered as DOS numbers them (any other nonzero value is the system's).
constexpr int kStatusFileNotFound = 2;
constexpr int kStatusPathNotFound = 3;
constexpr int kStatusNoMoreFiles = 18;
constexpr int kStatusNotOpen = 103;      // the report file is not open
constexpr int kStatusInvalidName = 123;  // a name no Windows name could be

// Renames a file or directory; never replaces an existing destination, and
// never makes a name that a Windows name could not be. The status is read
// (and reset to 0) by IORESULT: 0 = success.
void RENAME(const ShortText& old_path, const ShortText& new_path);
int IORESULT();
// One attempt at RENAME where the destination is expected to be free: true
// when the item has its new name. False when nothing changed (the
// destination exists, names the item itself, or the rename failed): the
// caller then goes the careful way, and may always do so. Leaves IORESULT alone.
bool RENAME_IF_FREE(const ShortText& old_path, const ShortText& new_path);

// Removes a file; true on success.
bool DELETEFILE(const ShortText& path);

// The attribute word of one item (one lstat on POSIX); sets DOSERROR.
uint16_t GETFATTR(const ShortText& path);

// Whether two paths lead to one item: one name and another spelling of it
// on a file system that folds names (also where each spelling has its own
// inode number, as on exFAT in user space), or two links of one file. Both
// must exist. Cheap unless the two look alike in every other way; then the
// folders are read, and where that leaves it open the item is moved aside
// for a moment to see whether the other name goes with it. When it cannot
// be told, the answer is true: neither is then taken for another item.
bool SAMEITEM(const ShortText& a, const ShortText& b);

// True when the item exists; fills id (an item's identity).
bool ITEMID(const ShortText& path, ItemId& id);

// Splits a path into directory (up to and including the last `\`, a drive
// `X:` included), name, and extension (from the last `.`, dot included).
void FSPLIT(const ShortText& path, ShortText& dir, ShortText& name, ShortText& ext);
// The absolute path, completed from the current drive and directory; `.` and
// `..` resolved as text; `\` separators; letter case as written.
ShortText FEXPAND(const ShortText& path);
// The value of an environment variable (CP850), empty when not defined.
ShortText GETENV(const ShortText& name);
// Replaces the text from the last `.` after the last `\`, `/` or `:` by ext,
// or appends ext when there is no such `.`.
ShortText CHANGEFILEEXT(const ShortText& path, const ShortText& ext);

// The report file: one sequential text file. Each operation's status is read
// by IORESULT. Text is written as the console shows it; REPORT_WRITE with
// line_end true appends CR LF. Writes are buffered: REPORT_FLUSH pushes
// what is buffered to the file, and REPORT_CLOSE does so before it closes.
// A failed write (full disk) gives a nonzero status at the write or the
// flush that meets it.
void REPORT_CREATE(const ShortText& path);
void REPORT_APPEND(const ShortText& path);
void REPORT_WRITE(const ShortText& text, bool line_end);
void REPORT_FLUSH();
void REPORT_CLOSE();

}  // namespace dolv

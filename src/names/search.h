// The directory search and the attribute query, over the platform's
// listing and item queries: the same rules on every system.
#pragma once

#include <cstdint>
#include <memory>

#include "base/short_text.h"
#include "platform/fs.h"

namespace dolv {

// The search masks the program uses (0x40 is a bit of no kind, kept as the
// masks have always been written).
// Files, directories, hidden and system items: every entry but volume labels.
constexpr uint8_t FA_ALL_BUT_LABELS = 0x76;
// Files, hidden and system ones included: no directories, no labels.
constexpr uint8_t FA_FILES_ONLY = 0x66;
// A search passes over an entry that has a hidden, system, volume or
// directory bit the mask leaves out; read-only and archive never exclude.
constexpr bool mask_allows(uint8_t attr, uint8_t mask) {
    constexpr uint8_t kSelective = FA_HIDDEN | FA_SYSFILE | FA_VOLUMEID | FA_DIRECTORY;
    return (attr & kSelective & ~mask) == 0;
}

struct SearchState;  // the snapshot of one directory search

// One directory search. FINDFIRST reads the directory once, keeps the
// entries whose name matches the last component of path (wildcards `*` and
// `?`) and whose attributes the mask allows, sorted; FINDNEXT hands them out
// one by one. A path without wildcards asks about that one name directly.
// Names the program cannot address (not CP850, or a character no Windows
// name may hold) are passed over.
struct SearchRec {
    ShortText name;  // bare name, no directory
    int64_t size = 0;
    uint8_t attr = 0;
    // The entry's identity where the search gives it and it lasts
    // (ItemInfo::id_lasting); 0 and 0 otherwise.
    ItemId id;
    // A name the program cannot address, handed out by a walk's search only
    // (findfirst_walk): its name has 0x1A for each character it cannot
    // show, and nothing of it is read or renamed.
    bool unshown = false;
    std::shared_ptr<SearchState> state;
};
void FINDFIRST(const ShortText& path, uint8_t mask, SearchRec& rec);
void FINDNEXT(SearchRec& rec);
void findclose(SearchRec& rec);
// FINDFIRST for a walk that mostly needs the names. Where the directory read
// tells an item's kind and the mask takes both kinds and hidden items, the
// entries (this one and those FINDNEXT hands out) come without their size
// (0) and with the attributes the directory read gave (kind and hidden),
// until finddetails reads them. Otherwise the same as FINDFIRST.
void findfirst_lazy(const ShortText& path, uint8_t mask, SearchRec& rec);
// FINDFIRST (lazy: findfirst_lazy) for a walk that names every entry the
// pattern matches: also those whose names the program cannot address.
void findfirst_walk(const ShortText& path, uint8_t mask, bool lazy, SearchRec& rec);
// Completes the size and attributes of the entry handed out last, as
// FINDFIRST would have given them; nothing to do when they are complete.
void finddetails(SearchRec& rec);
// How many entries, "." and ".." and unshown ones aside, the search started by FINDFIRST
// holds in all (the delivered one included); 0 when it found none.
int32_t search_count(const SearchRec& rec);
// 0 after FINDFIRST/FINDNEXT delivered an entry or GETFATTR succeeded; nonzero otherwise.
int DOSERROR();

// The attribute word of one item (one lstat on POSIX); sets DOSERROR.
uint16_t GETFATTR(const ShortText& path);

// Where the last component of a path starts: after the last separator, or
// after the drive.
size_t last_component_start(std::string_view path);

}  // namespace dolv

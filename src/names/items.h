// Questions about items over the platform's item queries and listing: an
// item's identity, whether two paths lead to one item, and the item that a
// source operand names on a file system that folds names.
#pragma once

#include "base/short_text.h"
#include "platform/fs.h"

namespace dolv {

// True when the item exists; fills id (an item's identity).
bool itemid(const ShortText& path, ItemId& id);

// Whether two paths lead to one item: one name and another spelling of it
// on a file system that folds names (also where each spelling has its own
// inode number, as on exFAT in user space), or two links of one file. Both
// must exist. Cheap unless the two look alike in every other way; then the
// folders are read, and where that leaves it open the item is moved aside
// for a moment to see whether the other name goes with it. When it cannot
// be told, the answer is true: neither is then taken for another item.
bool sameitem(const ShortText& a, const ShortText& b);

// sameitem without the moving aside: false only when the two are surely
// two items (or one of them is missing).
bool may_be_one_item(const ShortText& a, const ShortText& b);

// Moves `from` to a free temporary name in its own folder, by a rename that
// never replaces: 0, with the name in temp, or the status of the failure.
// The notice hears of each move before it is tried (the journal records
// it); when it says no, nothing moves and the status is kStatusUnrecorded.
int move_aside(const ShortText& from, ShortText& temp);
using AsideNotice = bool (*)(const ShortText& from, const ShortText& temp);
void set_aside_notice(AsideNotice notice);

// The path of the item that a source operand names. A last component
// without wildcards that names no item as written stands for the first
// entry, in the search's order, whose name equals it with letters folded (a
// case-insensitive volume finds such a name by itself); the path comes back
// unchanged when there is none, and for a pattern.
ShortText source_path(const ShortText& path);

}  // namespace dolv

// The trash: where an item replaced by the answer S goes, so that it can be
// brought back. On POSIX the freedesktop.org trash (the home trash when the
// item lies on the home's file system, else the trash at the top of its own
// mount); on Windows the Recycle Bin of its volume. The item's description
// is made first and exclusively, then the item goes there by a rename that
// never replaces: never a copy, never over another item. Paths are the
// program's texts, as everywhere.
#pragma once

#include "base/short_text.h"

namespace dolv {

// Where a trashed file lies, and its description (the .trashinfo file, the
// Recycle Bin's $I file).
struct TrashedItem {
    ShortText file;
    ShortText info;
};

// Moves the file at path into the trash of its own file system: 0, with
// where filled; otherwise a status, and nothing has changed (no trash on
// that file system can take it by a rename, or one of its paths does not fit
// in a text).
int trash_file(const ShortText& path, TrashedItem& where);
// True when trash_file would find a trash for the file at path now, on its
// own file system (nothing is made or moved).
bool trash_takes(const ShortText& path);
// Brings a trashed file back to path, never replacing what is there, and
// removes its description: 0, kStatusFileNotFound when it is no longer in
// the trash (emptied since), or another status.
int untrash_file(const TrashedItem& where, const ShortText& path);

}  // namespace dolv

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

// Told where the file at path is about to go in the trash (trashed), its
// description made, before the move: false stops it (the description goes,
// nothing moves). A place taken meanwhile by another file is passed over for
// the next one, which is told again.
using TrashNotice = bool (*)(const ShortText& path, const ShortText& trashed);

// Moves the file at path into the trash of its own file system: 0, with
// trashed its place there; otherwise a status, and nothing has changed (no
// trash on that file system can take it by a rename, one of its paths does
// not fit in a text, or the notice said no).
int trash_file(const ShortText& path, ShortText& trashed, TrashNotice notice);
// True when trash_file would find a trash for the file at path now, on its
// own file system (nothing is made or moved).
bool trash_takes(const ShortText& path);
// Brings the file trashed back to path, never replacing what is there, and
// removes its description: 0, kStatusFileNotFound when it is no longer in
// the trash (emptied since), or another status.
int untrash_file(const ShortText& trashed, const ShortText& path);

}  // namespace dolv

// The renames and the deletion the program makes, over the platform's
// rename that never replaces: the rules every rename keeps, on every system.
#pragma once

#include "base/short_text.h"

namespace dolv {

// Renames a file or directory; never replaces an existing destination,
// never makes a name that a Windows name could not be, and never renames
// the open report file. A new name that may be the item's own under another
// spelling (a file system that folds names, where the system takes it for
// an existing destination) is reached through a temporary name. The status
// is read (and reset to 0) by IORESULT: 0 = success.
void RENAME(const ShortText& old_path, const ShortText& new_path);
int IORESULT();
// What the guards of RENAME say of a rename before it is tried: 0, or the
// status of the refusal (a name no Windows name could be, the open report
// file). For a preview, which tries nothing.
int rename_guard(const ShortText& old_path, const ShortText& new_path);
// One attempt at RENAME where the destination is expected to be free: true
// when the item has its new name. False when nothing changed (the
// destination exists, names the item itself, or the rename failed): the
// caller then goes the careful way, and may always do so. Leaves IORESULT alone.
bool rename_if_free(const ShortText& old_path, const ShortText& new_path);

// Removes a file, never a directory; true on success.
bool DELETEFILE(const ShortText& path);

// What became of an existing destination the answer S replaces.
enum class Discarded {
    kTrashed,  // in the trash of its own file system: /U can bring it back
    kDeleted,  // no trash could take it: gone for good
    kKept,     // neither: it is still there
};
// Moves the file at path to the trash, its place recorded in the journal
// before the move; where no trash takes it, deletes it (recorded too).
Discarded discard_existing(const ShortText& path);

}  // namespace dolv

// The journal of a run: every step that renames or deletes an item is
// recorded before it is made, so that a later run (`/U`) can take the steps
// back. One file per run in the store (platform/store.h), made at the first
// record; a run that made no step leaves none. The files are named by a
// sequence number the program keeps itself ("0000000042.journal", one more
// than the highest in the store), so that a clock set back changes nothing
// in their order; a run whose undo has begun is renamed to ".undoing",
// one undone to ".undone"; the last 20 runs are kept. A journal that
// cannot be written stops nothing: the file goes (a part of a run cannot
// be taken back as if it were the whole), one line on standard error says
// why, and the run goes on without it. DOLV_NO_JOURNAL (any value but
// empty) turns it off.
//
// The file is text, the same on every system. A first line kJournalHeader;
// a line "S<tab><time>", the run's start in nanoseconds since 1970 UTC in
// hex (an item made after it is no item of the run); then one line per
// step: its kind and its mark ('-', made '+' once the step is made), the
// item's device and inode in hex ("-" and "-" when not known), where the
// inode numbers do not last the item's size and the time of the last
// change of its data (nanoseconds, hex), then the old and the new path,
// separated by tabs. A path is in the program's own absolute
// form (FEXPAND: a drive where the system has one, `\` separators) with its
// CP850 bytes as UTF-8; the bytes %, tab, LF, CR and NUL are written as
// %XX. A line "P<tab><directory>" (the directory whole, with its closing
// `\`) makes the paths after it that are not whole names in that
// directory: a batch writes its directory once, and then names only. Zero
// bytes between lines are room that was never used, and are passed over.
// A long run ends with a line "E<tab><stamp><tab><directory>" for each of
// its directories: the folder's stamp (folder_stamp) as the run left it.
// The files of the build before ("dolv-journal 1", named after their UTC
// time) are read as well: their run started at the time in their name.
#pragma once

#include <cstdint>

#include "base/short_text.h"
#include "platform/fs.h"
#include "report/journal_text.h"

namespace dolv {

// The run's start: an item made after it is no item of the run. Taken
// before the run reads anything; the first record waits, where it must,
// until the system stamps new items after it.
void journal_begin();
// Records one step before it is made. id is the item's identity where the
// caller has it (the directory read's); when both fields are 0 the item at
// old_path is asked (a placeholder's record takes id as it is). True when
// the step may go ahead: recorded, or no journal is kept. False when it
// must not be made: a path too long to be written whole (255 bytes or
// more), or no identity to be had.
bool journal(Step step, const ShortText& old_path, const ShortText& new_path, const ItemId& id);
// Whether a step that names this path could be recorded: false when a
// journal is to be kept and the whole path is too long for it. For the
// preview, which judges the steps the real run would refuse.
bool journal_takes(const ShortText& path);
// A recorded step was made: the run has changed something.
void journal_made();
// How many records the journal has taken so far (0 when none is kept).
uint64_t journal_count();
// The run's end: the journal file gets its final length and is closed,
// and goes when no step was made.
void journal_close();
// The end of a process that did not close its journal (one killed), as the
// in-process tests play it: the file is left as it is, and the next record
// starts a new journal. Not for the program itself.
void journal_forget();

// /U's own temporary steps go to the end of the run it takes back (whole
// paths, no directory line), so that an undo cut short finds them there:
// after journal_attach, journal() appends to that file; journal_detach
// ends it.
struct StoreHandle;
void journal_attach(StoreHandle& run);
void journal_detach();

// The line that a journal that cannot be written leaves on standard error.
extern const char kJournalUnwritable[];
// A run of this many steps or more vouches for its folders at its end (a
// shorter one's /U asks about each item: cheaper than waiting for the
// clock to pass the folders' stamps).
extern uint64_t journal_vouching_run;
}  // namespace dolv

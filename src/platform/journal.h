// The journal of a run: every step that renames or deletes an item is
// recorded before it is made, so that a later run (`/U`) can take the steps
// back. One file per run in the user's state folder, the last runs kept;
// paths are kept whole (absolute, as the system names them) with the
// item's identity where the system gives one. The file is made at the
// first record: a run that renames nothing keeps no journal. A journal that
// cannot be written stops nothing: one line on standard error says so, and
// the run goes on without it. DOLV_NO_JOURNAL (any value but empty) turns
// the journal off.
#pragma once

#include <vector>

#include "base/short_text.h"
#include "platform/fs.h"

namespace dolv {

// The kinds of step.
enum class Step : char {
    kRename = 'R',   // an item renamed
    kBackup = 'B',   // an existing destination renamed to its .bak (answer N)
    kDeleted = 'D',  // an existing destination deleted (answer S); new_path empty
    kParkA = '1',    // exchange: A to the temporary name
    kMoveB = '2',    // exchange: B to A's name in B's directory
    kPlaceA = '3',   // exchange: A from the temporary name to B's name
    kPutBack = 'X',  // exchange given up half-way: an item back to its name
};

// Records one step before it is made; id is the item's identity (both
// fields 0 when not known). Cheap: no system call for most records.
void JOURNAL(Step step, const ShortText& old_path, const ShortText& new_path, const ItemId& id);
// The run's end: the journal file gets its final length and is closed.
void JOURNAL_CLOSE();

// One record as read back; paths in the program's form.
struct JournalRecord {
    Step step = Step::kRename;
    ShortText old_path;
    ShortText new_path;
    ItemId id;
    bool too_long = false;  // a path that does not fit in a text: it cannot be addressed
};
struct JournalRun {
    ShortText name;  // the journal's own name, as it is listed
    std::vector<JournalRecord> records;
};
// The latest run not yet undone; false when there is none (or no journal
// folder). Records cut short at the end are left out.
bool JOURNAL_LATEST(JournalRun& run);
// Marks a run as undone: the next JOURNAL_LATEST takes the one before.
bool JOURNAL_MARK_UNDONE(const JournalRun& run);

// The line that a journal that cannot be written leaves on standard error.
extern const char kJournalUnwritable[];

}  // namespace dolv

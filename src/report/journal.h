// The journal of a run: every step that renames or deletes an item is
// recorded before it is made, so that a later run (`/U`) can take the steps
// back. One file per run in the store (platform/store.h), made at the first
// record: a run that renames nothing keeps no journal. The files are named
// "<UTC time>-<process id>.journal" (20240611T093000.123456789Z-4242), so
// that their names sort as the runs were made; a run undone is renamed to
// ".undone"; the last 20 runs are kept. A journal that cannot be written
// stops nothing: the file goes (a part of a run cannot be taken back as if
// it were the whole), one line on standard error says so, and the run goes
// on without it. DOLV_NO_JOURNAL (any value but empty) turns it off.
//
// The file is text, the same on every system. A first line kJournalHeader;
// then one line per step: its kind, the item's device and inode in hex
// ("-" and "-" when not known), the old and the new path, separated by
// tabs. A path is in the program's own absolute form (FEXPAND: a drive
// where the system has one, `\` separators) with its CP850 bytes as UTF-8;
// the bytes %, tab, LF, CR and NUL are written as %XX. A line
// "P<tab><directory>" (the directory whole, with its closing `\`) makes the
// paths after it that are not whole names in that directory: a batch
// writes its directory once, and then names only. Zero bytes between lines
// are room that was never used, and are passed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

// Records one step before it is made; id is the item's identity, asked of
// the system (itemid) when both fields are 0. No system call for most
// records.
void journal(Step step, const ShortText& old_path, const ShortText& new_path, const ItemId& id);
// The run's end: the journal file gets its final length and is closed.
void journal_close();
// The end of a process that did not close its journal (one killed), as the
// in-process tests play it: the file is left as it is, and the next record
// starts a new journal. Not for the program itself.
void journal_forget();

// One record as read back; paths in the program's form.
struct JournalRecord {
    Step step = Step::kRename;
    ShortText old_path;
    ShortText new_path;
    ItemId id;
    bool too_long = false;  // a path that does not fit in a text: it cannot be addressed
};
struct JournalRun {
    ShortText name;  // the journal's own name in the store
    std::vector<JournalRecord> records;
};
// The latest run not yet undone; false when there is none (or no store).
// Records cut short at the end are left out.
bool journal_latest(JournalRun& run);
// Marks a run as undone: the next journal_latest takes the one before.
bool journal_mark_undone(const JournalRun& run);

// The line that a journal that cannot be written leaves on standard error.
extern const char kJournalUnwritable[];
// The first line of every journal.
extern const char kJournalHeader[];

// The pieces of the text, for the writer and the tests. Each writes at out
// (room enough: three bytes for each byte of a field, and its end) and
// gives back the place after what it wrote.
// A path's field in the program's form, then end.
char* journal_put_field(char* out, std::string_view path, char end);
// A number in hex, then end.
char* journal_put_number(char* out, uint64_t n, char end);
// The quick field of a name whose bytes are all printable ASCII but %, \,
// / and : (the same bytes in the record: no separator, no drive, nothing
// to escape); nullptr, with nothing written, for any other name.
char* journal_put_plain_field(char* out, std::string_view name, char end);
bool journal_header_ok(std::string_view text);
// The records of a journal's text, whole lines only. Read as well: the
// files of the builds before this one, whose paths were the system's own
// (`/` separators on POSIX), which come back in the program's form too.
void journal_parse(std::string_view text, std::vector<JournalRecord>& records);
// The name of a new journal made at the time (nanoseconds since 1970 UTC)
// by the process.
std::string journal_file_name(int64_t nanoseconds, uint64_t process);

}  // namespace dolv

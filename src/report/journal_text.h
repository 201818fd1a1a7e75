// The text of a journal (report/journal.h says what a journal is): its
// lines, written and read the same on every system, and the names of its
// files. The kinds of step, and what a record holds.
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
    kTrashed = 'T',  // an existing destination moved to the trash (answer S)
    kParkA = '1',    // exchange: A to the temporary name
    kMoveB = '2',    // exchange: B to A's name in B's directory
    kPlaceA = '3',   // exchange: A from the temporary name to B's name
    kPutBack = 'X',  // exchange given up half-way: an item back to its name
    kAside = 'A',    // an item moved to a temporary name in its folder (a rename
                     // to another spelling of its name, the test whether two
                     // names lead to one item), and back from it
    // An empty placeholder taking a new name (new_path) for the item at
    // old_path: recorded before it is made (no identity), and once made
    // with its own identity.
    kPlaceholder = 'H',
};

// What a record tells of its item's identity.
struct StepIdentity {
    ItemId id;  // 0 and 0: none
    // Where the id does not last (ItemInfo::id_lasting): the item's size
    // and the time of the last change of its data, then, too.
    bool fingerprinted = false;
    int64_t size = 0;
    int64_t modified_ns = 0;
};

// One record as read back; paths in the program's form.
struct JournalRecord {
    Step step = Step::kRename;
    ShortText old_path;
    ShortText new_path;
    StepIdentity identity;
    // Marked made once the step was made (a kill between the two leaves
    // it unmarked, as a step that failed is).
    bool made = false;
    // A path that does not fit in a text: it cannot be addressed, and the
    // path holds the end of it after "...", to be named.
    bool too_long = false;
};

// The first line of every journal this build writes.
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

// The format of a journal's first line: 1 or 2 for the formats read, more
// for a later build's, 0 for a text that is no journal.
int journal_format(std::string_view text);
// Reads journal lines one at a time, as they come, and keeps the directory
// line and the run's start.
class JournalLines {
  public:
    enum class Kind { kRecord, kOther, kDamaged };
    // One whole line, without its line end; the record, where it is one. A
    // line that is none of the journal's lines is damaged. Without paths,
    // the record's paths are left empty (what is asked of it is the rest).
    Kind take(std::string_view line, JournalRecord& record, bool paths = true);
    // The directory line before the lines read next.
    void set_directory(std::string_view escaped) { dir_ = std::string(escaped); }
    const std::string& directory() const { return dir_; }
    int64_t start_ns() const { return start_ns_; }
    // The folders the run vouched for at its end, each with its stamp
    // then (folder_stamp): where it is still the same, nobody changed an
    // entry there since.
    struct Vouched {
        ShortText folder;
        int64_t stamp = 0;
    };
    const std::vector<Vouched>& vouched() const { return vouched_; }

  private:
    bool take_vouched(std::string_view fields);

    std::string dir_;  // escaped, as written
    int64_t start_ns_ = 0;
    std::vector<Vouched> vouched_;
};
// The records of a journal's text after its first line, whole lines only;
// false when a line is damaged. The run's start, where the text gives it.
bool journal_parse(std::string_view text, std::vector<JournalRecord>& records,
                   int64_t* start_ns = nullptr);
// The name of the run with this sequence number: "0000000042.journal".
std::string journal_file_name(uint64_t sequence);

}  // namespace dolv

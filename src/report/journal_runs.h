// The runs kept in the journal's store (report/journal.h), as /U takes
// them: their order and state by their names, the checks a file passes
// before it is read, and its records read forward or backward a piece at
// a time, so that a run of millions of steps is never held whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/short_text.h"
#include "platform/store.h"
#include "report/journal_text.h"

namespace dolv {

enum class RunState : uint8_t {
    kKept,     // ".journal": not taken back
    kUndoing,  // ".undoing": an undo has begun (and may have been cut short)
    kUndone,   // ".undone"
};

struct KeptRun {
    std::string name;       // its file's name in the store
    uint64_t sequence = 0;  // 0 for a journal of the build before
    RunState state = RunState::kKept;
    // A journal of the build before is named after the time it was made,
    // which is the run's start.
    int64_t named_start_ns = 0;
};

// The runs in the store, newest first: by their sequence numbers, then the
// build before's by their times. Other files are no runs.
std::vector<KeptRun> kept_runs();
// The sequence number of a new run: one more than the highest kept.
uint64_t next_sequence(const std::vector<KeptRun>& runs);
// Leaves room for one more run among the 20 kept: the oldest go, but not
// one that a process holds.
void prune_runs();
// Renames a run's file to say its new state; false when it cannot.
bool mark_run(KeptRun& run, RunState state);
// What a status of the store says of the folder or of a file, as a line
// puts it after their name ("e' un collegamento"); empty for kOk.
ShortText store_trouble(StoreStatus status, bool folder);

// One run's journal, taken (checked and locked) and read in pieces.
class RunReader {
  public:
    // Takes the run's file: kOk, or why not.
    StoreStatus take(const KeptRun& run);
    // Reads it once from the start: its format (journal_format), the
    // directory lines, the run's start and the count of its records. False
    // when it cannot be read, is of another format, or a line is damaged.
    bool scan();
    int format() const { return format_; }
    int64_t start_ns() const { return start_ns_; }
    uint32_t count() const { return count_; }
    const std::vector<JournalLines::Vouched>& vouched() const { return vouched_; }
    // The records from the first, each with its number (0 for the first);
    // without paths, as JournalLines::take gives them.
    void from_first();
    bool next(JournalRecord& record, uint32_t& number, bool paths = true);
    // The records from the last.
    void from_last();
    bool previous(JournalRecord& record, uint32_t& number);
    StoreHandle& handle() { return handle_; }
    void release() { store_release(handle_); }

  private:
    bool load(uint64_t from, uint64_t to);
    bool next_line(std::string_view& line, uint64_t& at);
    bool previous_line(std::string_view& line, uint64_t& at);
    std::string_view directory_at(uint64_t at) const;

    StoreHandle handle_;
    int format_ = 0;
    int64_t start_ns_ = 0;
    uint32_t count_ = 0;
    uint64_t size_ = 0;
    uint64_t body_ = 0;  // where the lines after the first one start
    // The directory lines: where each starts, and its text (escaped).
    std::vector<std::pair<uint64_t, std::string>> dirs_;
    std::vector<JournalLines::Vouched> vouched_;
    std::string window_;  // the bytes of the file held: [window_at_, + size)
    uint64_t window_at_ = 0;
    uint64_t pos_ = 0;  // forward: the next line's start; backward: the last one's end
    uint32_t number_ = 0;
    JournalLines lines_;
};

}  // namespace dolv

#include "fakes/fake_journal.h"

#include <vector>

#include "platform/journal.h"

namespace dolv {

namespace {

constexpr size_t kKeptRuns = 20;

struct Run {
    std::vector<JournalRecord> records;
    bool undone = false;
    int serial = 0;
};

struct State {
    std::vector<Run> runs;
    bool in_run = false;  // the current process has started a journal
    bool off = false;     // the current process has none
    bool unwritable = false;
    int next_serial = 1;
    std::string errors;
};

std::string_view name_of(const ShortText& path) {
    const std::string_view p = path.view();
    const size_t cut = p.find_last_of('\\');
    return cut == std::string_view::npos ? p : p.substr(cut + 1);
}

State& J() {
    static State s;
    return s;
}

bool START() {
    State& j = J();
    if (!GETENV("DOLV_NO_JOURNAL").empty()) return false;
    if (j.unwritable) {
        j.errors += std::string(kJournalUnwritable) + "\n";
        return false;
    }
    while (j.runs.size() >= kKeptRuns) j.runs.erase(j.runs.begin());
    j.runs.push_back(Run{{}, false, j.next_serial++});
    return true;
}

}  // namespace

namespace fake {

void Journal::Reset() {
    J() = State();
}
void Journal::EndRun() {
    J().in_run = false;
    J().off = false;
}
void Journal::Unwritable() {
    J().unwritable = true;
}
int Journal::Runs() {
    return static_cast<int>(J().runs.size());
}
int Journal::Undone() {
    int n = 0;
    for (const Run& r : J().runs) n += r.undone ? 1 : 0;
    return n;
}
std::string Journal::Steps() {
    std::string out;
    if (J().runs.empty()) return out;
    for (const JournalRecord& r : J().runs.back().records) {
        if (!out.empty()) out += ' ';
        out += static_cast<char>(r.step);
        out += ' ';
        out += name_of(r.old_path);
        out += '>';
        out += name_of(r.new_path);
    }
    return out;
}
const std::string& Journal::Errors() {
    return J().errors;
}

}  // namespace fake

void JOURNAL(Step step, const ShortText& old_path, const ShortText& new_path, const ItemId& id) {
    State& j = J();
    if (j.off) return;
    if (!j.in_run) {
        j.in_run = true;
        j.off = !START();
        if (j.off) return;
    }
    JournalRecord r;
    r.step = step;
    r.old_path = FEXPAND(old_path);
    r.new_path = new_path.empty() ? ShortText() : FEXPAND(new_path);
    r.id = id;
    j.runs.back().records.push_back(r);
}

void JOURNAL_CLOSE() {
    fake::Journal::EndRun();
}

bool JOURNAL_LATEST(JournalRun& run) {
    const std::vector<Run>& runs = J().runs;
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        if (it->undone) continue;
        run.name = ShortText(std::to_string(it->serial));
        run.records = it->records;
        return true;
    }
    return false;
}

bool JOURNAL_MARK_UNDONE(const JournalRun& run) {
    for (Run& r : J().runs)
        if (std::to_string(r.serial) == run.name.view()) r.undone = true;
    return true;
}

}  // namespace dolv

#include "rename/undo.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "names/paths.h"
#include "platform/console.h"
#include "platform/exit.h"
#include "platform/fs.h"
#include "platform/store.h"
#include "rename/exchange.h"
#include "rename/undo_items.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/journal.h"
#include "report/journal_runs.h"
#include "report/settings.h"

namespace dolv {

namespace {

// The items of the run that have more than one record, by their identity
// (identity_key); every other record is an item of its own. And every
// identity the records carry, sorted.
struct Items {
    std::unordered_map<uint64_t, UndoItem> several;
    std::vector<uint64_t> identities;
};

bool has_identity(const JournalRecord& r) {
    return r.step != Step::kPlaceholder && (r.identity.id.device != 0 || r.identity.id.inode != 0);
}

// The run's items of several records: one pass to find the identities met
// more than once (a number of 16 bytes for each record, sorted), one more
// for the old path of each one's first record.
Items items_of(RunReader& reader) {
    std::vector<std::pair<uint64_t, uint32_t>> keys;
    keys.reserve(reader.count());
    JournalRecord r;
    uint32_t number = 0;
    for (reader.from_first(); reader.next(r, number, false);)
        if (has_identity(r)) keys.emplace_back(identity_key(r.identity.id), number);
    std::sort(keys.begin(), keys.end());
    Items items;
    std::unordered_map<uint32_t, uint64_t> firsts;
    for (size_t i = 0; i + 1 < keys.size(); ++i) {
        if (keys[i].first != keys[i + 1].first || items.several.contains(keys[i].first)) continue;
        UndoItem& item = items.several[keys[i].first];
        item.first = keys[i].second;
        item.several = true;
        firsts[keys[i].second] = keys[i].first;
    }
    items.identities.reserve(keys.size());
    for (const auto& key : keys)
        if (items.identities.empty() || items.identities.back() != key.first)
            items.identities.push_back(key.first);
    keys = {};
    for (reader.from_first(); !firsts.empty() && reader.next(r, number);) {
        auto it = firsts.find(number);
        if (it == firsts.end()) continue;
        items.several[it->second].original = r.old_path;
        firsts.erase(it);
    }
    return items;
}

// The run being taken back, for the closing line and a cancel.
struct Undoing {
    UndoTally tally;
    bool preview = false;
};
Undoing g_undoing;

ShortText closing_counts(const UndoTally& tally) {
    return DIM_PUNTO(tally.restored) + " elementi su " + DIM_PUNTO(tally.restored + tally.lost) +
           " ,non ripristinabili " + DIM_PUNTO(tally.lost);
}

void closing_line() {
    freshline();
    if (g_undoing.preview) {
        WRITELN2("Simulazione: sarebbero ripristinati " + closing_counts(g_undoing.tally));
    } else {
        WRITELN2("Ripristinati " + closing_counts(g_undoing.tally));
    }
}

// Ctrl-C during /U: the counts so far; the next /U goes on from here.
void cancel_undo() {
    freshline();
    WRITELN("Operazione interrotta dall' utente");
    closing_line();
    commit_report();
    end_run(1);
}

// The folders the run vouched for at its end that are still as it left them.
std::vector<ShortText> untouched_folders(const RunReader& reader) {
    std::vector<ShortText> untouched;
    for (const JournalLines::Vouched& v : reader.vouched())
        if (folder_stamp(v.folder) == v.stamp) untouched.push_back(v.folder);
    return untouched;
}

// Takes back the records of the run, last first. quiet: only until the
// first item that would come back or be named (the question whether the
// run has anything to take back); true when there is one. untouched: as
// UndoContext says.
bool take_back(RunReader& reader, Items& items, UndoView& view, UndoTally& tally, bool quiet,
               const std::vector<ShortText>* untouched = nullptr) {
    UndoContext c{view,     reader.start_ns(), tally, quiet, reader.count() - 1, &items.identities,
                  untouched};
    JournalRecord r;
    uint32_t number = 0;
    for (reader.from_last(); reader.previous(r, number);) {
        auto it =
            has_identity(r) ? items.several.find(identity_key(r.identity.id)) : items.several.end();
        UndoItem single{r.old_path, ShortText(), ShortText(), number, false, false};
        undo_record(r, number, it == items.several.end() ? single : it->second, c);
        if (quiet && tally.restored + tally.lost != 0) return true;
        if (!quiet) check_cancel();
    }
    return tally.restored + tally.lost != 0;
}

// Whether the run has anything to take back: a /U /S of its own, silent,
// until its first item. A run that renamed nothing is passed over.
bool has_work(RunReader& reader, Items items) {
    UndoView view(true);
    UndoTally tally;
    return take_back(reader, items, view, tally, true);
}

// The placeholders a run killed before it renamed anything left: they go,
// while they are still its own, before the run is passed over.
void clear_placeholders(RunReader& reader) {
    UndoView view(false);
    UndoTally tally;
    UndoContext c{view, reader.start_ns(), tally, true, reader.count() - 1};
    JournalRecord r;
    uint32_t number = 0;
    for (reader.from_last(); reader.previous(r, number);) {
        UndoItem none;
        if (r.step == Step::kPlaceholder) undo_record(r, number, none, c);
    }
}

// A line that ends the undo before it begins, with code 1.
[[noreturn]] void stop(const ShortText& line) {
    freshline();
    WRITELN(line);
    commit_report();
    end_run(1);
}

// The same, for a store that nobody else may steer: the line says why, on
// standard error.
[[noreturn]] void distrust(const std::string& line) {
    store_warn(line);
    commit_report();
    end_run(1);
}

[[noreturn]] void nothing_to_undo(const ShortText& elsewhere) {
    if (elsewhere.empty()) stop("Nessuna esecuzione da annullare");
    freshline();
    WRITELN("Nessuna esecuzione da annullare in questa directory");
    stop("L' ultima esecuzione da annullare ha rinominato elementi in " + elsewhere);
}

// Takes a kept run's journal and reads it once; any trouble ends the undo
// there: what is older is not taken back past a journal that cannot be read.
void take_run(RunReader& reader, const KeptRun& run) {
    const StoreStatus status = reader.take(run);
    if (status == StoreStatus::kLocked)
        stop("Un' esecuzione e' ancora in corso: nessun elemento e' stato ripristinato");
    if (status != StoreStatus::kOk)
        distrust("Il registro " + run.name + " " + store_trouble(status, false).str() +
                 ": impossibile annullare");
    if (reader.scan()) return;
    if (reader.format() > 2) stop("Registro di una versione successiva del programma: " + run.name);
    stop("Registro illeggibile: " + run.name);
}

bool inside(const ShortText& folder, const ShortText& path) {
    return !path.empty() && path_inside(folder, path);
}

// Whether the run renamed an item in the folder or below it; where is the
// folder of its first record.
bool renamed_in(RunReader& reader, const ShortText& folder, ShortText& where) {
    JournalRecord r;
    uint32_t number = 0;
    for (reader.from_first(); reader.next(r, number);) {
        if (where.empty()) where = PATHOF(r.old_path.empty() ? r.new_path : r.old_path);
        if (inside(folder, r.old_path) || inside(folder, r.new_path)) return true;
    }
    return false;
}

// The latest run not yet undone that renamed an item in the current
// directory or below it, and that has anything to take back; its journal
// taken and its items read. Ends the undo when there is none.
void choose_run(RunReader& reader, Items& items, KeptRun& chosen) {
    const StoreStatus folder = store_open(false);
    if (folder == StoreStatus::kMissing) nothing_to_undo(ShortText());
    if (folder != StoreStatus::kOk)
        distrust("La cartella del registro " + store_trouble(folder, true).str() +
                 ": impossibile annullare");
    const ShortText current = FEXPAND(".");
    ShortText elsewhere;
    for (KeptRun& run : kept_runs()) {
        if (run.state == RunState::kUndone) continue;
        take_run(reader, run);
        ShortText where;
        if (!renamed_in(reader, current, where)) {
            if (elsewhere.empty()) elsewhere = where;
            continue;
        }
        items = items_of(reader);
        if (has_work(reader, items)) {
            chosen = run;
            return;
        }
        if (settings.simula) continue;
        clear_placeholders(reader);
        // An undo cut short after its last step: it is done.
        if (run.state == RunState::kUndoing) mark_run(run, RunState::kUndone);
    }
    reader.release();
    nothing_to_undo(elsewhere);
}

}  // namespace

void annulla_ultima() {
    RunReader reader;
    Items items;
    KeptRun run;
    choose_run(reader, items, run);
    g_undoing = Undoing();
    g_undoing.preview = settings.simula;
    // The undo is recorded before its first rename: a run being taken back
    // is ".undoing" until it is done, and a /U cut short goes on with it.
    if (!g_undoing.preview && run.state == RunState::kKept && !mark_run(run, RunState::kUndoing))
        stop("Impossibile scrivere il registro: nessun elemento e' stato ripristinato");
    freshline();
    journal_attach(reader.handle());
    const CancelAction before = set_cancel_action(cancel_undo);
    UndoView view(g_undoing.preview);
    const std::vector<ShortText> untouched = untouched_folders(reader);
    take_back(reader, items, view, g_undoing.tally, false, &untouched);
    set_cancel_action(before);
    journal_detach();
    closing_line();
    if (!g_undoing.preview) mark_run(run, RunState::kUndone);
    reader.release();
}

}  // namespace dolv

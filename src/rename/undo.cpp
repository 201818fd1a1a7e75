#include "rename/undo.h"

#include <map>
#include <string>

#include "names/items.h"
#include "names/paths.h"
#include "platform/console.h"
#include "platform/exit.h"
#include "platform/fs.h"
#include "rename/move.h"
#include "report/answer.h"
#include "report/channel.h"
#include "report/counters.h"
#include "report/err.h"
#include "report/journal.h"
#include "report/settings.h"

namespace dolv {

namespace {

constexpr int kNormal = 7;
constexpr int kOld = 4;
constexpr int kNew = 2;

struct Tally {
    int32_t restored = 0;
    int32_t total = 0;
    int32_t lost = 0;
};

// What the items are now. A preview renames nothing: the steps it would
// take are kept here, so that later steps are judged as the real run would
// judge them (a name freed or taken by an earlier step).
struct Places {
    bool preview = false;
    std::map<std::string, ItemId> planned;  // path -> the item there; 0 and 0: none
};

bool is_known(const ItemId& id) {
    return id.device != 0 || id.inode != 0;
}

bool same_id(const ItemId& a, const ItemId& b) {
    return a.device == b.device && a.inode == b.inode;
}

// The item at a path now; false when there is none.
bool item_at(const Places& places, const ShortText& path, ItemId& id) {
    auto it = places.planned.find(std::string(path.view()));
    if (it == places.planned.end()) return itemid(path, id);
    id = it->second;
    return is_known(id);
}

// The steps that move an item of their own: the temporary park of an
// exchange and its putting back are means, not items.
bool counts_as_item(Step step) {
    return step != Step::kParkA && step != Step::kPutBack;
}

// "*** <text>" and the item's path; a step of means says nothing.
void say_not_restored(const JournalRecord& r, const char* text, const ShortText& path,
                      Tally& tally) {
    if (!counts_as_item(r.step)) return;
    ++tally.total;
    ++tally.lost;
    WRITE2(ShortText("*** ") + text);
    TEXTCOLOR(kOld);
    WRITELN2(path);
    TEXTCOLOR(kNormal);
}

// "Ripristino del file <new> in <old>": before the rename, as a run's
// report line is. shown_old is the name the item goes back to in the end.
void say_restoring(const JournalRecord& r, const ShortText& shown_old) {
    WRITE2("Ripristino ");
    WRITE2(ISDIR(r.new_path) ? "della directory " : "del file ");
    TEXTCOLOR(kOld);
    WRITE2(r.new_path);
    TEXTCOLOR(kNormal);
    WRITE2(" in ");
    TEXTCOLOR(kNew);
    WRITELN2(PATHOF(shown_old) == PATHOF(r.new_path) ? NAMEOF(shown_old) : shown_old);
    TEXTCOLOR(kNormal);
}

// A file that answer S deleted: it is told, unless it is still there.
void take_back_deletion(const JournalRecord& r, const Places& places, Tally& tally) {
    ItemId now;
    if (is_known(r.id) && item_at(places, r.old_path, now) && same_id(now, r.id)) return;
    say_not_restored(r, "Sostituito e cancellato, non ripristinabile: ", r.old_path, tally);
}

// The rename back of one step, or the reason it is left alone.
void take_back(const JournalRecord& r, const ShortText& shown_old, Places& places, Tally& tally) {
    if (r.too_long) return say_not_restored(r, "Percorso troppo lungo: ", r.new_path, tally);
    if (r.step == Step::kDeleted) return take_back_deletion(r, places, tally);
    ItemId at_new, at_old;
    const bool has_new = item_at(places, r.new_path, at_new);
    const bool has_old = item_at(places, r.old_path, at_old);
    const bool known = is_known(r.id);
    // The item is under its old name: the step was never made (its record
    // went ahead of it), or a later one already brought it back.
    if (has_old && (known ? same_id(at_old, r.id) : !has_new) &&
        !(has_new && same_id(at_new, at_old)))
        return;
    if (!has_new) return say_not_restored(r, "Non piu' presente: ", r.new_path, tally);
    if (known && !same_id(at_new, r.id))
        return say_not_restored(r, "Non e' piu' lo stesso elemento: ", r.new_path, tally);
    if (has_old && !same_id(at_old, at_new))
        return say_not_restored(r, "Il nome originale e' gia' in uso: ", r.old_path, tally);
    if (counts_as_item(r.step)) say_restoring(r, shown_old);
    if (places.preview) {
        places.planned[std::string(r.new_path.view())] = ItemId();
        places.planned[std::string(r.old_path.view())] = at_new;
    } else {
        commit_report();
        RENAME(r.new_path, r.old_path);
        if (IORESULT() != 0)
            return say_not_restored(r, "Impossibile ripristinare: ", r.new_path, tally);
    }
    if (!counts_as_item(r.step)) return;
    ++tally.total;
    ++tally.restored;
}

void closing_line(const Tally& tally, bool preview) {
    const ShortText counts = DIM_PUNTO(tally.restored) + " elementi su " + DIM_PUNTO(tally.total) +
                             " ,non ripristinabili " + DIM_PUNTO(tally.lost);
    if (preview) {
        WRITELN2("Simulazione: sarebbero ripristinati " + counts);
    } else {
        WRITELN2("Ripristinati " + counts);
    }
}

[[noreturn]] void nothing_to_undo() {
    freshline();
    WRITELN("Nessuna esecuzione da annullare");
    commit_report();
    end_run(1);
}

// The name a step's item goes back to in the end: its old name, but for the
// last step of an exchange, which starts from the temporary name, the name
// the item had before its exchange.
ShortText shown_old(const std::vector<JournalRecord>& records, size_t i) {
    if (records[i].step != Step::kPlaceA) return records[i].old_path;
    for (size_t j = i; j-- > 0;)
        if (records[j].step == Step::kParkA) return records[j].old_path;
    return records[i].old_path;
}

}  // namespace

void annulla_ultima() {
    JournalRun run;
    if (!journal_latest(run)) nothing_to_undo();
    Places places;
    places.preview = settings.simula;
    Tally tally;
    freshline();
    for (size_t i = run.records.size(); i-- > 0;) {
        take_back(run.records[i], shown_old(run.records, i), places, tally);
        check_cancel();
    }
    closing_line(tally, places.preview);
    if (!places.preview) journal_mark_undone(run);
}

}  // namespace dolv

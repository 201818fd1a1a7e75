#include "rename/undo_items.h"

#include <algorithm>

#include "names/items.h"
#include "names/paths.h"
#include "names/strings.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/trash.h"
#include "rename/move.h"
#include "report/channel.h"

namespace dolv {

namespace {

constexpr int kNormal = 7;
constexpr int kOld = 4;
constexpr int kNew = 2;
// How long before the run an item's last change must lie for its size and
// that time alone to tell it: the coarsest stamps there are (FAT's two
// seconds), and some more.
constexpr int64_t kFingerprintMargin = 3000000000;
// How far a file system's stamps may lie behind the clock: stamps of whole
// seconds (exFAT in user space), two (FAT).
constexpr int64_t kStampSlack = 2000000000;

bool has_identity(const StepIdentity& who) {
    return who.id.device != 0 || who.id.inode != 0;
}

bool same_id(const ItemId& a, const ItemId& b) {
    return a.device == b.device && a.inode == b.inode;
}

// "*** <text>" and the path; the item is settled, and counted as not brought back.
void say_lost(UndoContext& c, UndoItem& item, const char* text, const ShortText& path) {
    item.settled = true;
    ++c.tally.lost;
    if (c.quiet) return;
    freshline();
    WRITE2(ShortText("*** ") + text);
    TEXTCOLOR(kOld);
    WRITELN2(path);
    TEXTCOLOR(kNormal);
}

// "Ripristino del file <found> in <home>": before the rename that brings
// the item home, as a run's report line comes before its rename.
void say_restoring(const ShortText& found, const ShortText& home, bool dir) {
    freshline();
    WRITE2("Ripristino ");
    WRITE2(dir ? "della directory " : "del file ");
    TEXTCOLOR(kOld);
    WRITE2(found);
    TEXTCOLOR(kNormal);
    WRITE2(" in ");
    TEXTCOLOR(kNew);
    WRITELN2(PATHOF(home) == PATHOF(found) ? NAMEOF(home) : home);
    TEXTCOLOR(kNormal);
}

// An item that /U moved on its way home, and that cannot get there, goes
// back to where /U found it; where it cannot, a line says where it is.
void put_back(UndoItem& item, UndoContext& c) {
    ItemInfo info;
    if (item.now.empty() || item.now == item.found || !c.view.at(item.now, info)) return;
    if (c.view.move(item.now, item.found, info) == 0 || c.quiet) return;
    const bool dir = (info.attr & FA_DIRECTORY) != 0;
    freshline();
    WRITE2(dir ? "La directory " : "Il file ");
    WRITE2(item.found);
    WRITE2(dir ? " e' rimasta con il nome " : " e' rimasto con il nome ");
    WRITELN2(item.now);
}

void fail(UndoItem& item, UndoContext& c, const char* text, const ShortText& path) {
    put_back(item, c);
    say_lost(c, item, text, path);
}

// Whether `to` is free for the item at `from`: no item there, or the item
// itself under another spelling.
bool free_for(const UndoContext& c, const ShortText& from, const ShortText& to) {
    ItemInfo there;
    return !c.view.at(to, there) || c.view.one_item(from, to);
}

// The rename of the item from `from` to `to`: home (its name before the
// run), with its line, or a step on its way there; where that step's name
// is taken, straight home when home is free. A run whose lines go nowhere
// lets the rename that never replaces tell whether a name is free.
// from_trash: the item lies in the trash, where answer S put it.
void bring(UndoItem& item, UndoContext& c, const ShortText& from, const ShortText& to,
           const ItemInfo& info, bool from_trash = false) {
    if (item.found.empty()) item.found = from;
    const bool judged_by_rename = !c.view.preview() && report_silent();
    ShortText target = to;
    if (!judged_by_rename && target != item.original && !free_for(c, from, target))
        target = item.original;
    if (!judged_by_rename && !free_for(c, from, target))
        return fail(item, c, "Il nome originale e' gia' in uso: ", target);
    const bool home = target == item.original;
    if (home && !c.quiet && !report_silent())
        say_restoring(item.found, target, (info.attr & FA_DIRECTORY) != 0);
    int status = from_trash ? c.view.untrash(from, target, info) : c.view.move(from, target, info);
    if (status == kStatusExists && !home) {
        target = item.original;
        return bring(item, c, from, target, info, from_trash);
    }
    if (status == kStatusExists) return fail(item, c, "Il nome originale e' gia' in uso: ", target);
    if (status != 0) return fail(item, c, "Impossibile ripristinare: ", from);
    item.now = target;
    if (!home) return;
    item.settled = true;
    ++c.tally.restored;
}

// Whether an item is the placeholder a record speaks of: empty, made after
// the run started, and the one made (by its number, or where the number
// does not last by its time). A placeholder whose making was recorded but
// not its identity (a kill came between) is one only where its record is
// the run's last.
bool own_placeholder(const JournalRecord& r, uint32_t number, const ItemInfo& info,
                     const UndoContext& c) {
    if (!(info.attr & FA_DIRECTORY) && info.size != 0) return false;
    if (info.birth_ns != 0 ? info.birth_ns <= c.start_ns
                           : info.modified_ns + kStampSlack < c.start_ns)
        return false;
    const StepIdentity& made = r.identity;
    if (!has_identity(made)) return number == c.last;
    return same_id(info.id, made.id) ||
           (made.fingerprinted && info.modified_ns == made.modified_ns);
}

// An empty placeholder the run (or an undo) made and left: it goes while it
// is still its own.
void take_placeholder(const JournalRecord& r, uint32_t number, UndoContext& c) {
    ItemInfo info;
    if (c.view.at(r.new_path, info) && own_placeholder(r, number, info, c))
        c.view.remove(r.new_path, info);
}

bool runs_item_at(const UndoContext& c, const ShortText& path, const StepIdentity& who,
                  ItemInfo& info, bool own_name = false) {
    return c.view.at(path, info) && is_runs_item(who, info, c.start_ns, own_name);
}

// A file that answer S deleted: named by its name before the run, unless
// it is still there (the deletion was never made).
void take_deletion(const JournalRecord& r, uint32_t number, UndoItem& item, UndoContext& c) {
    ItemInfo info;
    if (!runs_item_at(c, r.old_path, r.identity, info))
        return say_lost(c, item, "Sostituito e cancellato, non ripristinabile: ", item.original);
    if (number == item.first) item.settled = true;
}

// A file that answer S moved to the trash: back under its name, once the
// item that took that name has gone back (its record comes later, and is
// taken back first). Named where the trash no longer holds it, unless it
// never went (it is still under its name).
void take_trashed(const JournalRecord& r, uint32_t number, UndoItem& item, UndoContext& c) {
    ItemInfo info;
    if (runs_item_at(c, r.new_path, r.identity, info))
        return bring(item, c, r.new_path, r.old_path, info, true);
    if (runs_item_at(c, r.old_path, r.identity, info)) {
        if (number == item.first) item.settled = true;
        return;
    }
    say_lost(c, item, "Sostituito e cancellato, non ripristinabile: ", item.original);
}

// The path of a record too long to address, as the reader shortened it.
const ShortText& long_path(const JournalRecord& r) {
    return r.new_path.view().starts_with("...") ? r.new_path : r.old_path;
}

// Whether an item found is one of the run's: made before it started, and
// with an identity its records carry.
bool of_the_run(const UndoContext& c, const ItemInfo& info) {
    const int64_t born = info.birth_ns != 0 ? info.birth_ns : info.modified_ns;
    return born <= c.start_ns && c.identities &&
           std::binary_search(c.identities->begin(), c.identities->end(), identity_key(info.id));
}

// An item neither under the record's new name nor under its old one. Where
// another item of the run bears the new name, the step was never made (the
// name was taken), and the item is missing from the old one; where a
// stranger bears it, the item was replaced there.
void missing(const JournalRecord& r, UndoItem& item, UndoContext& c) {
    ItemInfo info;
    const bool taken = c.view.at(r.new_path, info);
    if (taken && !of_the_run(c, info))
        return fail(item, c, "Non e' piu' lo stesso elemento: ", r.new_path);
    const ShortText& place = taken ? r.old_path : r.new_path;
    if (taken && c.view.at(r.old_path, info))
        return fail(item, c, "Non e' piu' lo stesso elemento: ", place);
    fail(item, c, "Non piu' presente: ", item.several ? item.original : place);
}

bool in_folder(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path.starts_with(folder) &&
           path.find('\\', folder.size()) == std::string_view::npos;
}

// Whether the record's step is surely the last the item took there: made,
// in a folder untouched since the run, and no means of another step.
bool vouched_for(const JournalRecord& r, const UndoContext& c) {
    if (!r.made || !c.untouched || c.view.preview() || !report_silent()) return false;
    if (r.step == Step::kDeleted || r.step == Step::kTrashed || r.step == Step::kPutBack)
        return false;
    for (const ShortText& folder : *c.untouched)
        if (in_folder(r.old_path.view(), folder.view()) &&
            in_folder(r.new_path.view(), folder.view()))
            return true;
    return false;
}

}  // namespace

uint64_t identity_key(const ItemId& id) {
    return id.device * 0x9E3779B97F4A7C15ULL ^ id.inode;
}

bool is_runs_item(const StepIdentity& recorded, const ItemInfo& now, int64_t start_ns,
                  bool own_name) {
    if (!has_identity(recorded)) return false;
    const int64_t born = now.birth_ns != 0 ? now.birth_ns : now.modified_ns;
    if (born > start_ns) return false;
    const bool same = same_id(now.id, recorded.id);
    if (!recorded.fingerprinted) return same;
    if (now.size != recorded.size || now.modified_ns != recorded.modified_ns) return false;
    return same || own_name || recorded.modified_ns + kFingerprintMargin < start_ns;
}

UndoView::UndoView(bool preview) : preview_(preview), here_(FEXPAND(ShortText("."))) {
    if (here_.last() != '\\') here_ += '\\';
}

ShortText UndoView::near(const ShortText& path) const {
    const std::string_view p = path.view(), here = here_.view();
    if (p.size() <= here.size() || !p.starts_with(here)) return path;
    return ShortText(p.substr(here.size()));
}

// What /U /S put at a path: under that spelling, or under another that
// leads the system to the same item.
const UndoView::Laid* UndoView::laid(const ShortText& path) const {
    auto it = laid_.find(path.str());
    if (it != laid_.end()) return &it->second;
    auto twin = folded_.find(UPSTR(path).str());
    if (twin == folded_.end() || !may_be_one_item(path, ShortText(twin->second))) return nullptr;
    return &laid_.at(twin->second);
}

void UndoView::lay(const ShortText& path, const Laid& what) {
    laid_[path.str()] = what;
    folded_[UPSTR(path).str()] = path.str();
}

bool UndoView::at(const ShortText& path, ItemInfo& info) const {
    if (preview_) {
        if (const Laid* there = laid(path)) {
            info = there->info;
            return there->present;
        }
    }
    // Afresh: a file system in user space may still answer for a name a
    // rename has taken away.
    return item_info(near(path), kAskIdentity | kAskBirth | kAskAfresh, info) == 0;
}

bool UndoView::one_item(const ShortText& a, const ShortText& b) const {
    if (!preview_) return sameitem(near(a), near(b));
    // A preview moves nothing aside to find out: where it cannot be told,
    // the two are taken for one, as sameitem takes them.
    return !laid(a) && !laid(b) && may_be_one_item(near(a), near(b));
}

int UndoView::move(const ShortText& from, const ShortText& to, const ItemInfo& item) {
    if (!preview_) {
        commit_report();
        RENAME(near(from), near(to));
        return IORESULT();
    }
    if (const int refusal = rename_guard(from, to)) return refusal;
    lay(from, Laid{false, ItemInfo()});
    lay(to, Laid{true, item});
    return 0;
}

int UndoView::untrash(const ShortText& trashed, const ShortText& to, const ItemInfo& item) {
    if (!preview_) {
        commit_report();
        return untrash_file(trashed, near(to));
    }
    lay(trashed, Laid{false, ItemInfo()});
    lay(to, Laid{true, item});
    return 0;
}

void UndoView::remove(const ShortText& path, const ItemInfo& item) {
    if (preview_) {
        lay(path, Laid{false, ItemInfo()});
    } else if (item.attr & FA_DIRECTORY) {
        remove_empty_directory(near(path));
    } else {
        delete_file(near(path));
    }
}

void undo_record(const JournalRecord& r, uint32_t number, UndoItem& item, UndoContext& c) {
    if (item.settled || r.old_path == r.new_path) return;
    if (r.step == Step::kPlaceholder) return take_placeholder(r, number, c);
    // The temporary moves and the run's own putting back are means: they
    // take an item back from where they left it, and tell nothing else.
    const bool means = r.step == Step::kAside || r.step == Step::kPutBack;
    if (r.too_long) {
        if (!means) say_lost(c, item, "Percorso troppo lungo: ", long_path(r));
        return;
    }
    if (!has_identity(r.identity)) {
        if (!means) say_lost(c, item, "Identita' non registrata: ", r.new_path);
        return;
    }
    ItemInfo info;
    // An item of several records that is home already (the run put it back).
    if (item.now.empty() && number != item.first &&
        runs_item_at(c, item.original, r.identity, info)) {
        item.settled = true;
        return;
    }
    if (r.step == Step::kDeleted) return take_deletion(r, number, item, c);
    if (r.step == Step::kTrashed) return take_trashed(r, number, item, c);
    if (vouched_for(r, c)) return bring(item, c, r.new_path, r.old_path, ItemInfo());
    if (runs_item_at(c, r.new_path, r.identity, info, r.step == Step::kAside))
        return bring(item, c, r.new_path, r.old_path, info);
    if (means) return;
    ItemInfo before;
    // The step was never made, or its item is back already.
    if (runs_item_at(c, r.old_path, r.identity, before)) {
        if (number == item.first) item.settled = true;
        return;
    }
    missing(r, item, c);
}

}  // namespace dolv

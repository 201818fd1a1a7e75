// What /U makes of the items of one run: which item a record speaks of,
// where the run left it, and the renames that bring it back, judged and
// made the same way by /U and by /U /S (which lays its renames over the
// file system instead of making them).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/short_text.h"
#include "platform/fs.h"
#include "report/journal_text.h"

namespace dolv {

// Whether the item found now is the one a record speaks of. It was made
// before the run started (its birth time, or where the system keeps none
// the last change of its data, is not after the start); it has the
// recorded identity; and where that identity does not last, its size and
// last change are the recorded ones too (then they alone tell it, once
// they lie well before the run, where an item made after the run cannot
// share them, or under the program's own temporary name).
// own_name: the item bears a temporary name the program made itself, which
// nobody else gives an item; there the fingerprint tells it alone.
bool is_runs_item(const StepIdentity& recorded, const ItemInfo& now, int64_t start_ns,
                  bool own_name = false);

// The file system as /U sees it: the real one, or for /U /S the real one
// with the renames /U would make laid over it.
class UndoView {
  public:
    explicit UndoView(bool preview);
    bool preview() const { return preview_; }
    // The item at a path now, with its identity and birth time; false when
    // there is none.
    bool at(const ShortText& path, ItemInfo& info) const;
    // Whether two paths lead to one item (two spellings of one name).
    bool one_item(const ShortText& a, const ShortText& b) const;
    // Renames an item, as RENAME does (never over another): 0 or the status.
    int move(const ShortText& from, const ShortText& to, const ItemInfo& item);
    // Brings a file back from the trash, as untrash_file does: 0 or the status.
    int untrash(const ShortText& trashed, const ShortText& to, const ItemInfo& item);
    // Removes an empty placeholder.
    void remove(const ShortText& path, const ItemInfo& item);

  private:
    struct Laid {
        bool present = false;
        ItemInfo info;
    };
    const Laid* laid(const ShortText& path) const;
    void lay(const ShortText& path, const Laid& what);
    // The path as the system is asked: relative to the current directory
    // where it lies below it (fewer folders for the system to walk).
    ShortText near(const ShortText& path) const;

    bool preview_;
    ShortText here_;                              // the current directory, with its closing `\`
    std::unordered_map<std::string, Laid> laid_;  // path -> what /U /S put there
    // The paths laid, by their letters folded: on a volume that folds names
    // another spelling finds what /U /S put there.
    std::unordered_map<std::string, std::string> folded_;
};

// What /U knows of one item of the run.
struct UndoItem {
    ShortText original;  // its path before the run (its first record's old path)
    ShortText found;     // where /U found it (the name the run left it with)
    ShortText now;       // where it is after /U's renames so far
    uint32_t first = 0;  // the number of its first record
    bool settled = false;
    // An item of several records (a rename, then a backup): where it is
    // gone, named by its name before the run, the one the user knew it by.
    bool several = false;
};

// The counts of the closing line: items brought back, items named and left.
struct UndoTally {
    int32_t restored = 0;
    int32_t lost = 0;
};

// Takes back one record of the run (the last one not yet taken back) for
// its item: a rename back when the item bears the record's new name, with
// its line before the rename that brings it home; its line and the item
// put back where it was found when it cannot come home; nothing when the
// step was never made. quiet: no lines (the question whether a run has
// anything to take back).
struct UndoContext {
    UndoView& view;
    int64_t start_ns;
    UndoTally& tally;
    bool quiet = false;
    uint32_t last = 0;  // the number of the run's last record
    // The identities the run's records carry (identity_key), sorted.
    const std::vector<uint64_t>* identities = nullptr;
    // The folders the run vouched for at its end that nobody has changed
    // since (each with its closing `\`): there a step marked made left its
    // item under the new name, and /U, whose lines go nowhere, renames it
    // back without asking the system first.
    const std::vector<ShortText>* untouched = nullptr;
};
// The key of an identity, as UndoContext::identities holds it.
uint64_t identity_key(const ItemId& id);
void undo_record(const JournalRecord& r, uint32_t number, UndoItem& item, UndoContext& c);

}  // namespace dolv

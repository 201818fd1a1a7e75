// Questions about items, the same on every system: the platform tells what
// one query of an item or one listing of a folder says, and these rules make
// of it whether two paths lead to one item (also on a file system that
// folds names and gives each spelling its own inode number) and which item a
// source operand names.
#include "names/items.h"

#include <string>
#include <string_view>

#include "names/paths.h"
#include "names/search.h"
#include "names/wildcard.h"
#include "platform/name_chars.h"

namespace dolv {
namespace {

// An item as the file system sees it now, with its identity.
constexpr uint8_t kAskNow = kAskIdentity | kAskAfresh;

AsideNotice g_aside_notice = nullptr;

bool one_id(const ItemInfo& a, const ItemInfo& b) {
    return a.id.device == b.id.device && a.id.inode == b.id.inode;
}

// What two names of one directory entry always share, read from that entry.
bool look_alike(const ItemInfo& a, const ItemInfo& b) {
    return a.id.device == b.id.device && a.mode == b.mode && a.size == b.size &&
           a.modified_ns == b.modified_ns && a.changed_ns == b.changed_ns;
}

// Which of two names a folder lists exactly, byte for byte; the listing
// stops when it has found both.
class ListedNames final : public DirVisitor {
  public:
    ListedNames(std::string_view n1, std::string_view n2) : n1_(n1), n2_(n2), seen2_(n1 == n2) {}
    bool entry(const OpenDir&, const ListedEntry& e) override {
        if (e.fault == NameFault::kNoCp850) return true;
        seen1_ = seen1_ || e.name == n1_;
        seen2_ = seen2_ || e.name == n2_;
        return !(seen1_ && seen2_);
    }
    int count() const { return int{seen1_} + int{seen2_}; }

  private:
    std::string_view n1_, n2_;
    bool seen1_ = false, seen2_;
};

int count_listed(std::string_view dir, std::string_view n1, std::string_view n2) {
    ListedNames names(n1, n2);
    return list_directory(ShortText(dir), names) ? names.count() : 0;
}

// True when both paths are spelled as their folders list them. A path that
// the file system finds under a spelling its folder does not list was
// reached by folding the name: it may be the other one's entry. One
// directory scan: only for items that look alike.
bool both_listed(std::string_view a, std::string_view b) {
    std::string_view da, na, db, nb;
    split_last(a, da, na);
    split_last(b, db, nb);
    if (da == db) return count_listed(da, na, nb) == 2;
    return count_listed(da, na, na) == 2 && count_listed(db, nb, nb) == 2;
}

enum class Likeness { kOne, kTwo, kOpen };

// kOne: one identity. kTwo: surely two items, or one is missing. kOpen:
// where each spelling of a name has its own inode number, alike in every
// other way and at least one of them not listed under its spelling.
Likeness likeness(const ShortText& a, const ShortText& b) {
    ItemInfo ia, ib;
    if (item_info(a, kAskNow, ia) != 0 || item_info(b, kAskNow, ib) != 0) return Likeness::kTwo;
    if (one_id(ia, ib)) return Likeness::kOne;
    if (ia.id_decides || !look_alike(ia, ib) || both_listed(a.view(), b.view()))
        return Likeness::kTwo;
    return Likeness::kOpen;
}

// Whether `b` goes away while `a` is moved aside: then both led to the one
// entry moved. When `a` cannot be moved the answer is yes, so that no
// caller acts on `b` as on another item.
bool probe_one_item(const ShortText& a, const ShortText& b) {
    ShortText temp;
    if (move_aside(a, temp) != 0) return true;
    ItemInfo info;
    const bool gone = item_info(b, kAskAfresh, info) == kStatusFileNotFound;
    rename_no_replace(temp, a);
    return gone;
}

// The name in a folder that equals a name with letters folded and comes
// first in the search's order; empty when there is none.
class folded_twin final : public DirVisitor {
  public:
    explicit folded_twin(std::string_view name) : name_(name) {}
    bool entry(const OpenDir&, const ListedEntry& e) override {
        if (e.fault == NameFault::kNone && name_equal_folded(e.name, name_) &&
            (best.empty() || name_before(e.name, best)))
            best = std::string(e.name);
        return true;
    }
    std::string best;

  private:
    std::string_view name_;
};

}  // namespace

bool itemid(const ShortText& path, ItemId& id) {
    ItemInfo info;
    if (item_info(path, kAskIdentity, info) != 0) return false;
    id = info.id;
    return true;
}

bool sameitem(const ShortText& a, const ShortText& b) {
    switch (likeness(a, b)) {
        case Likeness::kOne:
            return true;
        case Likeness::kTwo:
            return false;
        default:
            return probe_one_item(a, b);
    }
}

bool may_be_one_item(const ShortText& a, const ShortText& b) {
    return likeness(a, b) != Likeness::kTwo;
}

int move_aside(const ShortText& from, ShortText& temp) {
    std::string_view dir, name;
    split_last(from.view(), dir, name);
    const std::string stem = std::string(dir) + ".dolv-" + std::to_string(process_id()) + "-";
    int err = kStatusExists;
    for (int attempt = 0; attempt < 100 && err == kStatusExists; ++attempt) {
        const std::string candidate = stem + std::to_string(attempt) + ".tmp";
        if (candidate.size() > ShortText::kMax) return kStatusInvalidName;
        temp = ShortText(candidate);
        if (g_aside_notice && !g_aside_notice(from, temp)) return kStatusUnrecorded;
        err = rename_no_replace(from, temp);
    }
    return err;
}

void set_aside_notice(AsideNotice notice) {
    g_aside_notice = notice;
}

ShortText source_path(const ShortText& path) {
    const std::string_view p = path.view();
    const size_t start = last_component_start(p);
    const std::string_view name = p.substr(start);
    if (name.empty() || name == "." || name == ".." || has_wildcards(name) ||
        !windows_name_chars(name))
        return path;
    ItemInfo info;
    if (item_info(path, 0, info) != kStatusFileNotFound) return path;
    const ShortText dir(p.substr(0, start));
    folded_twin twin(name);
    if (!list_directory(dir, twin) || twin.best.empty()) return path;
    return dir + ShortText(twin.best);
}

}  // namespace dolv

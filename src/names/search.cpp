// The directory search: one pass over the directory when a search starts,
// the matching names kept and sorted, handed out one by one. A name without
// wildcards is asked about with one query of the item and no listing.
#include "names/search.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/hot.h"
#include "names/sort_key.h"
#include "names/wildcard.h"
#include "platform/name_chars.h"
#include "platform/system.h"

namespace dolv {

// One entry of a snapshot: its names live in the snapshot's pool, each with
// a closing NUL (the CP850 name, then the system's name when that differs).
struct SearchEntry {
    uint32_t offset;
    uint8_t length;         // of the CP850 name
    uint8_t native_length;  // 0: the system's name is the CP850 name (plain ASCII)
    uint8_t attr;
    bool unshown;    // a name the program cannot address (a walk's search only)
    uint64_t inode;  // as the directory read gives it (the journal's identity)
};

struct SearchState {
    std::string pool;
    std::vector<SearchEntry> entries;
    // Each entry's size, where the listing tells it (complete).
    std::vector<int64_t> sizes;
    std::string_view name(const SearchEntry& e) const {
        return std::string_view(pool.data() + e.offset, e.length);
    }
    const char* native(const SearchEntry& e) const {
        return pool.data() + e.offset + (e.native_length ? e.length + 1u : 0u);
    }
    std::unique_ptr<OpenDir> dir;  // the listed directory, for the details
    size_t next = 0;
    uint8_t mask = 0;
    // The device of the searched directory; 0 when the directory read's
    // inode numbers are not the items' own: the entries then come without
    // an identity.
    uint64_t device = 0;
    // The listing told every entry's attributes and size: nothing is read later.
    bool complete = false;
    // A lazy search hands out entries without their details; `pending`
    // says that the entry handed out last has not been read yet.
    bool lazy = false;
    bool pending = false;
    // A walk's search: the names the program cannot address are kept too
    // (handed out with unshown set), where the pattern matches them.
    bool with_unshown = false;
    // Dot-files as the shell treats them: a name that begins with '.' is
    // matched only by a pattern that begins with '.'.
    bool dots_need_dot = false;
};

namespace {

int g_dos_error = 0;

void clear(SearchRec& rec) {
    rec.name = ShortText();
    rec.size = 0;
    rec.attr = 0;
    rec.id = ItemId();
    rec.unshown = false;
}

// Reads the size and final attributes of an entry; false when the mask no
// longer allows the item. An item that is gone keeps what the directory
// read said.
bool read_details(const SearchState& s, const SearchEntry& e, SearchRec& rec) {
    ItemInfo info;
    if (!listed_details(*s.dir, s.native(e), info)) return true;
    rec.attr = info.attr;
    if (!(rec.attr & FA_DIRECTORY)) rec.size = info.size;
    return mask_allows(rec.attr, s.mask);
}

// Hands out the next entry the mask still allows. Its size and final
// attributes are read when its turn comes (at once, or at finddetails in a
// lazy search), so a walk that renames items as it goes sees each item as
// it is then.
DOLV_HOT void deliver_next(SearchRec& rec) {
    SearchState& s = *rec.state;
    while (s.next < s.entries.size()) {
        const size_t index = s.next++;
        const SearchEntry& e = s.entries[index];
        rec.size = 0;
        rec.attr = e.attr;
        rec.id = s.device != 0 ? ItemId{s.device, e.inode} : ItemId();
        rec.unshown = e.unshown;
        if (e.unshown) {
            // Nothing to read: the walk only names it.
        } else if (s.lazy) {
            s.pending = true;
        } else if (s.complete) {
            rec.size = s.sizes[index];
        } else if (!read_details(s, e, rec)) {
            continue;
        }
        rec.name = ShortText(s.name(e));
        g_dos_error = 0;
        return;
    }
    s.pending = false;
    clear(rec);
    g_dos_error = kStatusNoMoreFiles;
}

// Takes the entries whose name matches the expression and whose kind the
// mask allows into the state, as the listing reads them.
class EntryReader final : public DirVisitor {
  public:
    EntryReader(SearchState& state, std::string_view expression)
        : state_(state), expression_(expression) {}

    // Takes room at once for the entries the listing promises, so that a
    // large directory is not copied again and again as it is read (each
    // copy to fresh pages). Room never written costs no memory.
    void room(size_t entries) override {
        try {
            state_.entries.reserve(entries);
            state_.pool.reserve(entries * 16);
        } catch (const std::bad_alloc&) {
            // Only a hint: the room then grows as the entries come.
        }
    }

    DOLV_HOT bool entry(const OpenDir& dir, const ListedEntry& e) override {
        if (state_.dots_need_dot && e.name.starts_with('.')) return true;
        if (e.fault == NameFault::kNone) {
            if (wildcard_match_expression(expression_, e.name)) take(dir, e, false);
        } else if (state_.with_unshown && unshown_matches(e)) {
            take(dir, e, true);
        }
        return true;
    }

  private:
    // A name the program cannot address, matched as if each character it
    // cannot hold (0x1A in a name CP850 lacks characters of, or a character
    // no Windows name may hold) were one that only `*` and `?` match.
    [[gnu::noinline, gnu::cold]] bool unshown_matches(const ListedEntry& e) const {
        std::string name(e.name);
        for (char& c : name)
            if (kWindowsReserved.of[static_cast<unsigned char>(c)]) c = '\x1a';
        return wildcard_match_expression(expression_, name);
    }

    // A matching entry, kept when its kind is one the mask allows. Both
    // steps are inline in entry(): a call of their own for every entry of a
    // batch costs some 16 instructions an item.
    [[gnu::always_inline]] void take(const OpenDir& dir, const ListedEntry& e, bool unshown) {
        uint8_t attr = e.attr;
        if (!e.kind_known) {
            ItemInfo info;
            if (!listed_details(dir, e.native.data(), info)) return;
            attr |= (info.attr & FA_DIRECTORY) ? FA_DIRECTORY : FA_ARCHIVE;
        }
        if (mask_allows(attr, state_.mask)) keep(e, attr, unshown);
    }

    [[gnu::always_inline]] void keep(const ListedEntry& e, uint8_t attr, bool unshown) {
        SearchState& s = state_;
        SearchEntry kept{static_cast<uint32_t>(s.pool.size()),
                         static_cast<uint8_t>(e.name.size()),
                         0,
                         attr,
                         unshown,
                         e.inode};
        s.pool.append(e.name).push_back('\0');
        if (e.native.data() != e.name.data() && e.native != e.name) {
            kept.native_length =
                static_cast<uint8_t>(e.native.size() > 255 ? 255 : e.native.size());
            s.pool.append(e.native).push_back('\0');
        }
        s.entries.push_back(kept);
        s.complete = e.complete;
        if (e.complete) s.sizes.push_back(e.size);
    }

    SearchState& state_;
    std::string_view expression_;
};

// Sorts the entries, and their sizes with them where the listing gave those.
template <typename Before>
void sort_with_sizes(SearchState& state, const Before& before) {
    std::vector<SearchEntry>& entries = state.entries;
    if (!state.complete) {
        std::sort(entries.begin(), entries.end(), before);
        return;
    }
    std::vector<std::pair<SearchEntry, int64_t>> both;
    both.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) both.emplace_back(entries[i], state.sizes[i]);
    std::sort(both.begin(), both.end(),
              [&before](const auto& a, const auto& b) { return before(a.first, b.first); });
    for (size_t i = 0; i < both.size(); ++i) {
        entries[i] = both[i].first;
        state.sizes[i] = both[i].second;
    }
}

// Puts the entries in name_compare order.
void sort_entries(SearchState& state) {
    state.pool.append(8, '\0');  // sort_key reads 8 bytes at every name
    const SearchState& s = state;
    auto before = [&s](const SearchEntry& a, const SearchEntry& b) {
        const uint64_t ka = sort_key(s.pool.data() + a.offset, a.length);
        const uint64_t kb = sort_key(s.pool.data() + b.offset, b.length);
        if (ka != kb) return ka < kb;
        return name_before(s.name(a), s.name(b));
    };
    // A directory often lists its names in the order they were made, or the
    // reverse: both are found in one pass (the names are all different).
    std::vector<SearchEntry>& entries = state.entries;
    if (std::is_sorted(entries.rbegin(), entries.rend(), before)) {
        std::reverse(entries.begin(), entries.end());
        std::reverse(state.sizes.begin(), state.sizes.end());
    } else if (!std::is_sorted(entries.begin(), entries.end(), before)) {
        sort_with_sizes(state, before);
    }
}

void find_pattern(std::string_view dir, std::string_view pattern, uint8_t mask, bool lazy,
                  bool with_unshown, SearchRec& rec) {
    const std::string expression = wildcard_expression(pattern);
    auto state = std::make_shared<SearchState>();
    state->mask = mask;
    state->with_unshown = with_unshown;
    state->dots_need_dot = system_conventions().dot_files && !pattern.starts_with('.');
    EntryReader reader(*state, expression);
    state->dir = list_directory(ShortText(dir), reader);
    if (!state->dir) {
        g_dos_error = kStatusPathNotFound;
        return;
    }
    state->device = state->dir->id_device;
    // Without the details the kind and the hidden flag come from the
    // directory read; that is enough when the mask takes both kinds and
    // hidden items.
    state->lazy = lazy && !state->complete &&
                  (mask & (FA_HIDDEN | FA_DIRECTORY)) == (FA_HIDDEN | FA_DIRECTORY);
    sort_entries(*state);
    rec.state = std::move(state);
    deliver_next(rec);
}

void find_literal(const ShortText& path, std::string_view name, uint8_t mask, SearchRec& rec) {
    ItemInfo info;
    if (!windows_name_chars(name) || item_info(path, kAskStoredName | kAskIdentity, info) != 0 ||
        !mask_allows(info.attr, mask)) {
        g_dos_error = kStatusFileNotFound;
        return;
    }
    rec.name = info.stored_name.empty() ? ShortText(name) : info.stored_name;
    rec.attr = info.attr;
    rec.size = (info.attr & FA_DIRECTORY) ? 0 : info.size;
    // A number the system made up for the name is no identity (see SearchRec::id).
    rec.id = info.id_lasting ? info.id : ItemId();
    g_dos_error = 0;
}

void start_search(const ShortText& path, uint8_t mask, bool lazy, bool with_unshown,
                  SearchRec& rec) {
    rec.state.reset();
    clear(rec);
    std::string_view p = path.view();
    const size_t start = last_component_start(p);
    std::string_view pattern = p.substr(start);
    if (pattern.empty()) {
        g_dos_error = kStatusFileNotFound;
    } else if (!has_wildcards(pattern)) {
        find_literal(path, pattern, mask, rec);
    } else {
        find_pattern(p.substr(0, start), pattern, mask, lazy, with_unshown, rec);
    }
}

}  // namespace

size_t last_component_start(std::string_view p) {
    size_t cut = p.find_last_of("\\/");
    size_t start = cut == std::string_view::npos ? 0 : cut + 1;
    if (start == 0 && p.size() >= 2 && p[1] == ':') start = 2;
    return start;
}

void FINDFIRST(const ShortText& path, uint8_t mask, SearchRec& rec) {
    start_search(path, mask, false, false, rec);
}

void findfirst_lazy(const ShortText& path, uint8_t mask, SearchRec& rec) {
    start_search(path, mask, true, false, rec);
}

void findfirst_walk(const ShortText& path, uint8_t mask, bool lazy, SearchRec& rec) {
    start_search(path, mask, lazy, true, rec);
}

void finddetails(SearchRec& rec) {
    if (!rec.state || !rec.state->pending) return;
    SearchState& s = *rec.state;
    s.pending = false;
    read_details(s, s.entries[s.next - 1], rec);
}

DOLV_HOT void FINDNEXT(SearchRec& rec) {
    if (!rec.state) {
        clear(rec);
        g_dos_error = kStatusNoMoreFiles;
        return;
    }
    deliver_next(rec);
}

int32_t search_count(const SearchRec& rec) {
    if (g_dos_error != 0 && !rec.state) return 0;
    if (!rec.state) return (rec.name == "." || rec.name == "..") ? 0 : 1;  // one literal name
    int32_t n = 0;
    for (const SearchEntry& e : rec.state->entries) {
        const std::string_view name = rec.state->name(e);
        if (name != "." && name != ".." && !e.unshown) ++n;
    }
    return n;
}

void findclose(SearchRec& rec) {
    rec.state.reset();
}

DOLV_HOT int DOSERROR() {
    return g_dos_error;
}

uint16_t GETFATTR(const ShortText& path) {
    ItemInfo info;
    if (item_info(path, 0, info) != 0) {
        g_dos_error = kStatusFileNotFound;
        return 0;
    }
    g_dos_error = 0;
    return info.attr;
}

}  // namespace dolv

#include "fakes/fake_fs.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "names/wildcard.h"
#include "platform/fs.h"
#include "platform/name_chars.h"
#include "platform/system.h"
#include "platform/trash.h"

namespace dolv {

namespace {

constexpr int kAccessDenied = 5;
constexpr int kDiskFull = 101;

struct Item {
    bool dir = false;
    std::string content;
    uint8_t attr = 0;  // FA_READONLY, FA_HIDDEN, FA_SYSFILE
    uint64_t id = 0;
    int64_t birth = 0;
};

struct Fault {
    fake::Op op;
    int nth;
    std::string path;  // a key; empty: any
    int seen = 0;
};

struct Hook {
    fake::Op op;
    int nth;
    std::function<void()> action;
};

struct State {
    std::map<std::string, Item> items;    // by key: full path, `\` separators, no trailing `\`
    std::map<std::string, bool> folding;  // folder -> each spelling has its own id
    std::set<std::string> placeholders;   // folders of Placeholders
    bool reuse_ids = false;
    std::vector<uint64_t> freed_ids;  // with reuse_ids: the ids of items removed
    bool no_birth_times = false;
    int64_t clock = 0;
    std::map<std::string, int64_t> stamps;  // folder -> changes of its entries
    std::map<std::string, std::string> env;
    std::vector<Fault> faults;
    std::vector<Hook> hooks;
    std::map<fake::Op, int> calls;
    uint64_t next_id = 1;
    std::string report;  // key of the open report file, empty when closed
    std::string report_buffer;
    SystemConventions conventions;
    bool no_trash = false;  // no trash takes an item (Fs::NoTrash)
};

State& S() {
    static State s;
    return s;
}

std::string backslashed(std::string_view text) {
    std::string s(text);
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

// A rooted `\` path with `.` and `..` resolved; "\" for the root.
std::string resolve(const std::string& rooted) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= rooted.size()) {
        size_t j = rooted.find('\\', i);
        if (j == std::string::npos) j = rooted.size();
        const std::string part = rooted.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += "\\" + p;
    return out.empty() ? "\\" : out;
}

// The key of a path: drive dropped, made absolute, resolved.
std::string key_of(std::string_view path) {
    std::string s = backslashed(path);
    if (s.size() >= 2 && s[1] == ':') s.erase(0, 2);
    if (s.empty() || s[0] != '\\') s = std::string(fake::kCurrentDir) + "\\" + s;
    return resolve(s);
}

std::string parent_of(const std::string& key) {
    const size_t cut = key.rfind('\\');
    return cut == 0 ? "\\" : key.substr(0, cut);
}

std::string name_of(const std::string& key) {
    return key.substr(key.rfind('\\') + 1);
}

std::string join(const std::string& dir, const std::string& name) {
    return dir == "\\" ? "\\" + name : dir + "\\" + name;
}

bool is_dir_key(const std::string& key) {
    auto it = S().items.find(key);
    return it != S().items.end() && it->second.dir;
}

std::vector<std::string> children(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& [key, item] : S().items)
        if (key != "\\" && parent_of(key) == dir) names.push_back(name_of(key));
    std::sort(names.begin(), names.end(), name_before);
    return names;
}

// The key of the item a path names: as written, or in a folding directory
// the first name equal to it with letters folded. Empty when there is none.
std::string locate(const std::string& key) {
    State& s = S();
    if (s.items.count(key)) return key;
    const std::string dir = parent_of(key);
    if (key == "\\" || !s.folding.count(dir)) return std::string();
    for (const std::string& name : children(dir))
        if (name_equal_folded(name, name_of(key))) return join(dir, name);
    return std::string();
}

uint8_t attributes(const Item& item) {
    return static_cast<uint8_t>(item.attr | (item.dir ? FA_DIRECTORY : FA_ARCHIVE));
}

// Counts the call, runs its hooks, and tells whether a fault makes it fail.
bool enter(fake::Op op, const ShortText& path) {
    State& s = S();
    const int n = ++s.calls[op];
    for (const Hook& h : s.hooks)
        if (h.op == op && h.nth == n) h.action();
    const std::string key = key_of(path.view());
    bool fail = false;
    for (Fault& f : s.faults) {
        if (f.op != op || !(f.path.empty() || f.path == key)) continue;
        ++f.seen;
        if (f.nth == 0 || f.nth == f.seen) fail = true;
    }
    return fail;
}

bool inside(const std::string& key, const std::string& dir) {
    return key.size() > dir.size() && key.compare(0, dir.size(), dir) == 0 &&
           (dir == "\\" || key[dir.size()] == '\\');
}

// A new item's identity and birth time.
void stamp(Item& item) {
    State& s = S();
    if (s.reuse_ids && !s.freed_ids.empty()) {
        item.id = s.freed_ids.back();
        s.freed_ids.pop_back();
    } else {
        item.id = s.next_id++;
    }
    item.birth = ++s.clock;
}

void make_parents(const std::string& key) {
    State& s = S();
    for (std::string dir = parent_of(key); !s.items.count(dir); dir = parent_of(dir)) {
        Item d;
        d.dir = true;
        stamp(d);
        s.items[dir] = d;
    }
}

// A folder's entries changed.
void changed(const std::string& key) {
    ++S().stamps[parent_of(key)];
}

void add(const std::string& path, Item item) {
    const std::string key = key_of(path);
    make_parents(key);
    stamp(item);
    S().items[key] = std::move(item);
    changed(key);
}

// Takes the items at key and below it out of the tree; their ids may come again.
void erase_tree(const std::string& key) {
    State& s = S();
    changed(key);
    for (auto it = s.items.begin(); it != s.items.end();) {
        if (it->first == key || inside(it->first, key)) {
            s.freed_ids.push_back(it->second.id);
            it = s.items.erase(it);
        } else {
            ++it;
        }
    }
}

// Moves an item (and what lies below it) to a new key.
void move(const std::string& from, const std::string& to) {
    State& s = S();
    std::vector<std::pair<std::string, Item>> moved;
    for (auto it = s.items.begin(); it != s.items.end();) {
        if (it->first == from || inside(it->first, from)) {
            moved.emplace_back(to + it->first.substr(from.size()), std::move(it->second));
            it = s.items.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [key, item] : moved) s.items[key] = std::move(item);
    if (s.report == from) s.report = to;
    changed(from);
    changed(to);
}

void fill(const Item& item, ItemInfo& info) {
    info.attr = attributes(item);
    info.size = item.dir ? 0 : static_cast<int64_t>(item.content.size());
    info.id = ItemId{1, item.id};
    info.mode = item.dir ? 040755 : 0100644;
    // Each item keeps the stamp it was made with: no two items look alike.
    info.modified_ns = info.changed_ns = item.birth;
    info.birth_ns = S().no_birth_times ? 0 : item.birth;
}

// A listed directory of the tree.
struct FakeDir final : OpenDir {
    std::string key;
};

// Opens the report file: 0, or the status of the failure.
int open_report(const ShortText& path, bool append, ItemId& id) {
    State& s = S();
    s.report.clear();
    s.report_buffer.clear();
    id = ItemId();
    const std::string key = key_of(path.view());
    if (enter(fake::Op::kReportOpen, path) || !is_dir_key(parent_of(key))) return kAccessDenied;
    const std::string there = locate(key);
    if (!there.empty() && s.items[there].dir) return kAccessDenied;
    if (there.empty()) {
        add(std::string(path.view()), Item{});
        s.report = key;
    } else {
        s.report = there;
        if (!append) s.items[there].content.clear();
    }
    id = ItemId{1, s.items[s.report].id};
    return 0;
}

int flush_buffer() {
    State& s = S();
    if (s.report.empty()) return kStatusNotOpen;
    if (enter(fake::Op::kReportFlush, ShortText(s.report))) return kDiskFull;
    s.items[s.report].content += s.report_buffer;
    s.report_buffer.clear();
    return 0;
}

}  // namespace

namespace fake {

void Fs::Reset() {
    State& s = S();
    s = State();
    Item root;
    root.dir = true;
    s.items["\\"] = root;
    Dir(kCurrentDir);
}
void Fs::File(const std::string& path, const std::string& content, uint8_t attr) {
    add(path, Item{false, content, attr, 0});
}
void Fs::Dir(const std::string& path, uint8_t attr) {
    add(path, Item{true, std::string(), attr, 0});
}
void Fs::Remove(const std::string& path) {
    const std::string key = locate(key_of(path));
    if (!key.empty()) erase_tree(key);
}
void Fs::FoldCase(const std::string& dir, bool id_per_spelling) {
    S().folding[key_of(dir)] = id_per_spelling;
}
void Fs::Placeholders(const std::string& dir) {
    S().placeholders.insert(key_of(dir));
}
void Fs::ReuseIds() {
    S().reuse_ids = true;
}
void Fs::NoBirthTimes() {
    S().no_birth_times = true;
}
int64_t Fs::Clock() {
    return S().clock;
}
void Fs::AdvanceClock(int64_t nanoseconds) {
    S().clock += nanoseconds;
}
void Fs::NoTrash() {
    S().no_trash = true;
}
void Fs::Conventions(const SystemConventions& conventions) {
    S().conventions = conventions;
}
void Fs::Env(const std::string& name, const std::string& value) {
    S().env[name] = value;
}
bool Fs::Exists(const std::string& path) {
    return !locate(key_of(path)).empty();
}
bool Fs::IsDir(const std::string& path) {
    const std::string key = locate(key_of(path));
    return !key.empty() && S().items[key].dir;
}
std::string Fs::Content(const std::string& path) {
    const std::string key = locate(key_of(path));
    if (key.empty()) return "<missing>";
    const Item& item = S().items[key];
    return item.dir ? "<directory>" : item.content;
}
std::vector<std::string> Fs::Names(const std::string& dir) {
    return children(key_of(dir));
}
std::string Fs::Listing(const std::string& dir) {
    std::string out;
    for (const std::string& n : Names(dir)) out += (out.empty() ? "" : " ") + n;
    return out;
}
std::string Fs::Contents(const std::string& dir) {
    std::string out;
    for (const std::string& n : Names(dir))
        out += (out.empty() ? "" : " ") + n + "=" + Content(join(key_of(dir), n));
    return out;
}
void Fs::Fail(Op op, int nth, const std::string& path) {
    S().faults.push_back({op, nth, path.empty() ? std::string() : key_of(path), 0});
}
void Fs::Before(Op op, int nth, std::function<void()> action) {
    S().hooks.push_back({op, nth, std::move(action)});
}
int Fs::Calls(Op op) {
    return S().calls[op];
}

}  // namespace fake

int item_info(const ShortText& path, uint8_t, ItemInfo& info) {
    ++S().calls[fake::Op::kItemInfo];
    const std::string wanted = key_of(path.view());
    const std::string key = locate(wanted);
    if (key.empty()) return kStatusFileNotFound;
    fill(S().items[key], info);
    // Found by another spelling where each spelling has its own number: a
    // number made up for the name, which does not last.
    const auto folding = S().folding.find(parent_of(key));
    if (folding != S().folding.end() && folding->second) {
        info.id_lasting = false;
        if (key != wanted)
            info.id.inode |= uint64_t{1} << 63 | std::hash<std::string>{}(wanted) << 32;
    }
    return 0;
}

// The entries in the search order, "." and ".." first, each with its kind
// and hidden flag: the rest comes from listed_details, as on POSIX.
std::unique_ptr<OpenDir> list_directory(const ShortText& dir, DirVisitor& visitor) {
    auto listed = std::make_unique<FakeDir>();
    listed->key = key_of(dir.view());
    if (!is_dir_key(listed->key)) return nullptr;
    // A folder where each spelling has its own number lists numbers that
    // are not the items' own.
    const auto folding = S().folding.find(listed->key);
    listed->id_device = folding != S().folding.end() && folding->second ? 0 : 1;
    std::vector<std::string> names{".", ".."};
    for (const std::string& n : children(listed->key)) names.push_back(n);
    visitor.room(names.size());
    for (const std::string& n : names) {
        const bool dots = n == "." || n == "..";
        const Item& item = S().items[dots ? listed->key : join(listed->key, n)];
        ListedEntry e;
        e.name = e.native = n;
        e.inode = item.id;
        e.attr =
            static_cast<uint8_t>((item.dir ? FA_DIRECTORY : FA_ARCHIVE) | (item.attr & FA_HIDDEN));
        // The byte 0x1A in a fake name stands for a character CP850 lacks.
        e.fault = n.find('\x1a') != std::string::npos ? NameFault::kNoCp850
                  : windows_name_chars(n)             ? NameFault::kNone
                                                      : NameFault::kWindowsChars;
        if (!visitor.entry(*listed, e)) break;
    }
    return listed;
}

bool listed_details(const OpenDir& dir, const char* native, ItemInfo& info) {
    const std::string name(native);
    auto it = S().items.find(join(static_cast<const FakeDir&>(dir).key, name));
    if (name == "." || name == ".." || it == S().items.end()) return false;
    fill(it->second, info);
    return true;
}

namespace {

PlaceholderNotice g_placeholder_notice = nullptr;

// The name taken first by an empty item of the source's kind, told before
// and after; then the item goes onto it (Placeholders).
int rename_onto_placeholder(const std::string& source, const std::string& wanted,
                            const ShortText& to) {
    if (g_placeholder_notice && !g_placeholder_notice(to, ItemId())) return kStatusUnrecorded;
    Item placeholder;
    placeholder.dir = S().items[source].dir;
    stamp(placeholder);
    S().items[wanted] = placeholder;
    const ItemId made{1, placeholder.id};
    if ((g_placeholder_notice && !g_placeholder_notice(to, made)) ||
        enter(fake::Op::kOntoPlaceholder, to)) {
        erase_tree(wanted);
        return kStatusUnrecorded;
    }
    erase_tree(wanted);
    move(source, wanted);
    return 0;
}

}  // namespace

void set_placeholder_notice(PlaceholderNotice notice) {
    g_placeholder_notice = notice;
}

int rename_no_replace(const ShortText& from, const ShortText& to) {
    if (enter(fake::Op::kRename, from)) return kAccessDenied;
    const std::string source = locate(key_of(from.view()));
    const std::string wanted = key_of(to.view());
    if (source.empty()) return kStatusFileNotFound;
    if (!is_dir_key(parent_of(wanted))) return kStatusPathNotFound;
    // Another spelling of the item's own name in a folding folder exists too.
    if (!locate(wanted).empty()) return kStatusExists;
    if (inside(wanted, source)) return kAccessDenied;
    if (S().placeholders.count(parent_of(wanted)))
        return rename_onto_placeholder(source, wanted, to);
    move(source, wanted);
    return 0;
}

// The trash of the fake tree: \TRASH\files and \TRASH\info, as a
// freedesktop.org trash holds them.
int trash_file(const ShortText& path, ShortText& trashed, TrashNotice notice) {
    if (enter(fake::Op::kTrash, path) || S().no_trash) return kStatusPathNotFound;
    const std::string key = locate(key_of(path.view()));
    if (key.empty()) return kStatusFileNotFound;
    if (S().items[key].dir) return kStatusInvalidName;
    for (int n = 1;; ++n) {
        const std::string name = name_of(key) + (n == 1 ? "" : "." + std::to_string(n));
        const std::string file = "\\TRASH\\files\\" + name;
        const std::string info = "\\TRASH\\info\\" + name + ".trashinfo";
        if (!locate(file).empty() || !locate(info).empty()) continue;
        add(info, Item{false, "Path=" + key, 0, 0});
        trashed = ShortText(file);
        if (!notice(path, trashed)) {
            S().items.erase(key_of(info));
            return kStatusInvalidName;
        }
        move(key, file);
        return 0;
    }
}

bool trash_takes(const ShortText& path) {
    const std::string key = locate(key_of(path.view()));
    return !S().no_trash && !key.empty() && !S().items[key].dir;
}

int untrash_file(const ShortText& trashed, const ShortText& path) {
    if (enter(fake::Op::kUntrash, trashed)) return kAccessDenied;
    const std::string file = locate(key_of(trashed.view()));
    if (file.empty()) return kStatusFileNotFound;
    const std::string to = key_of(path.view());
    if (!locate(to).empty()) return kStatusExists;
    if (!is_dir_key(parent_of(to))) return kStatusPathNotFound;
    move(file, to);
    S().items.erase(key_of("\\TRASH\\info\\" + name_of(file) + ".trashinfo"));
    return 0;
}

int delete_file(const ShortText& path) {
    if (enter(fake::Op::kDelete, path)) return kAccessDenied;
    const std::string key = locate(key_of(path.view()));
    if (key.empty()) return kStatusFileNotFound;
    if (S().items[key].dir) return kAccessDenied;
    erase_tree(key);
    return 0;
}

// A folder's stamp: the count of the changes of its entries; none where
// each spelling has its own number (as exFAT in user space).
int64_t folder_stamp(const ShortText& dir) {
    std::string key = key_of(dir.view());
    const auto folding = S().folding.find(key);
    if (!is_dir_key(key) || (folding != S().folding.end() && folding->second)) return 0;
    return S().stamps[key] + 1;
}

int remove_empty_directory(const ShortText& path) {
    if (enter(fake::Op::kDelete, path)) return kAccessDenied;
    const std::string key = locate(key_of(path.view()));
    if (key.empty()) return kStatusFileNotFound;
    if (!S().items[key].dir || !children(key).empty()) return kAccessDenied;
    erase_tree(key);
    return 0;
}

uint32_t process_id() {
    return 4242;
}

ShortText FEXPAND(const ShortText& path) {
    const std::string s = backslashed(path.view());
    const std::string drive = s.size() >= 2 && s[1] == ':' ? s.substr(0, 2) : std::string();
    std::string out = drive + key_of(s);
    const bool trailing = s.size() > drive.size() + 1 && s.back() == '\\';
    if (trailing && out.back() != '\\') out += '\\';
    return ShortText(out);
}

ShortText GETENV(const ShortText& name) {
    auto it = S().env.find(std::string(name.view()));
    return it == S().env.end() ? ShortText() : ShortText(it->second);
}

int report_create(const ShortText& path, ItemId& id) {
    return open_report(path, false, id);
}
int report_append(const ShortText& path, ItemId& id) {
    return open_report(path, true, id);
}
int report_write(const ShortText& text, bool line_end) {
    State& s = S();
    if (s.report.empty()) return kStatusNotOpen;
    if (enter(fake::Op::kReportWrite, ShortText(s.report))) return kDiskFull;
    s.report_buffer += text.view();
    if (line_end) s.report_buffer += "\r\n";
    return 0;
}
int report_flush() {
    return flush_buffer();
}
int report_close() {
    const int status = flush_buffer();
    S().report.clear();
    return status;
}

// The platform's name on the help screen and its conventions; system.h
// belongs to the file system's part of the platform, here as in the native
// one. The tables choose the conventions (fake::Fs::Conventions).
const char* platform_name() {
    return "TST";
}

const SystemConventions& system_conventions() {
    return S().conventions;
}

}  // namespace dolv

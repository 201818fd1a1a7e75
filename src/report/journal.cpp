#include "report/journal.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "base/byte_kinds.h"
#include "base/hot.h"
#include "names/items.h"
#include "platform/cp850.h"
#include "platform/store.h"

namespace dolv {

const char kJournalUnwritable[] =
    "Impossibile scrivere il registro: questa esecuzione non potra' essere annullata";
const char kJournalHeader[] = "dolv-journal 1\n";

namespace {

constexpr size_t kKeptRuns = 20;
constexpr std::string_view kOpenSuffix = ".journal";
constexpr std::string_view kUndoneSuffix = ".undone";

// The room the kind and the identity of a step take at most.
constexpr size_t kJournalHeadMax = 1 + 1 + 16 + 1 + 16 + 1;
// A path's field at most: three bytes for each of a text's bytes, the mark
// of a path that may have been cut, the end.
constexpr size_t kFieldMax = 3 * ShortText::kMax + 3 + 1;
// A step's line, or a directory line, at most.
constexpr size_t kLineMax = kJournalHeadMax + 2 * kFieldMax;

// The bytes below 0x7F that a path field writes as %XX.
struct Escaped {
    bool map[0x7F] = {};
};
constexpr Escaped escaped_bytes() {
    Escaped e;
    for (unsigned char c : std::string_view("%\t\n\r", 4)) e.map[c] = true;
    e.map[0] = true;
    return e;
}
constexpr Escaped kEscaped = escaped_bytes();

// The bytes that are no bytes of a plain name (kind 1): a plain name is
// printable ASCII but the escaped %, the separators and the drive's colon.
constexpr ByteKinds unplain_bytes() {
    ByteKinds k;
    for (int c = 0; c < 256; ++c) k.of[c] = c < 0x20 || c > 0x7E;
    for (unsigned char c : std::string_view("%\\/:")) k.of[c] = 1;
    return k;
}
constexpr ByteKinds kUnplainBytes = unplain_bytes();

// A path's CP850 bytes as UTF-8 (0x7F as U+2302, as a name on disk has
// it), the escaped ones as %XX.
char* put_path_bytes(char* out, std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x7F) {
            const std::string_view glyph = cp850_utf8_glyph(u);
            std::memcpy(out, glyph.data(), glyph.size());
            out += glyph.size();
        } else if (!kEscaped.map[u]) {
            *out++ = c;
        } else {
            *out++ = '%';
            *out++ = kHex[u >> 4];
            *out++ = kHex[u & 15];
        }
    }
    return out;
}

DOLV_HOT char* put_number(char* out, uint64_t n) {
    // As many digits as the number has (one for 0), written last first.
    const int digits = n == 0 ? 1 : (std::bit_width(n) + 3) / 4;
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = "0123456789abcdef"[n & 15];
        n >>= 4;
    }
    return out + digits;
}

char* journal_put_head(char* out, Step step, const ItemId& id) {
    *out++ = static_cast<char>(step);
    *out++ = '\t';
    if (id.device == 0 && id.inode == 0) {
        *out++ = '-';
        *out++ = '\t';
        *out++ = '-';
    } else {
        out = put_number(out, id.device);
        *out++ = '\t';
        out = put_number(out, id.inode);
    }
    *out++ = '\t';
    return out;
}

}  // namespace

DOLV_HOT char* journal_put_number(char* out, uint64_t n, char end) {
    out = put_number(out, n);
    *out++ = end;
    return out;
}

DOLV_HOT char* journal_put_plain_field(char* out, std::string_view name, char end) {
    if (kinds_in(name, kUnplainBytes) != 0) return nullptr;
    std::memcpy(out, name.data(), name.size());
    out[name.size()] = end;
    return out + name.size() + 1;
}

char* journal_put_field(char* out, std::string_view path, char end) {
    out = put_path_bytes(out, path);
    *out++ = end;
    return out;
}

// ---------------------------------------------------------------------------
// Reading back.

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_digit(text[i + 1]) >= 0 &&
            hex_digit(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A field's path in the program's form (a `/` of the files before this
// build's is a `\`); false when it does not fit in a text.
bool program_path(std::string_view field, ShortText& out) {
    std::string cp850;
    if (!utf8_to_cp850(unescaped(field), cp850) || cp850.size() > ShortText::kMax) return false;
    std::replace(cp850.begin(), cp850.end(), '/', '\\');
    out = ShortText(cp850);
    return true;
}

uint64_t number(std::string_view field) {
    uint64_t n = 0;
    for (char c : field) n = n * 16 + static_cast<uint64_t>(std::max(hex_digit(c), 0));
    return n;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        out.push_back(line.substr(start, tab - start));
    out.push_back(line.substr(start));
    return out;
}

bool absolute(std::string_view path) {
    return path.starts_with('/') || path.starts_with('\\') || (path.size() >= 2 && path[1] == ':');
}

// A path field: relative to the directory line before it, if any.
bool field_path(std::string_view field, const std::string& dir, ShortText& out) {
    if (dir.empty() || field.empty() || absolute(field)) return program_path(field, out);
    return program_path(dir + std::string(field), out);
}

// One line "kind dev ino old new"; false when it is no record.
bool parse_record(std::string_view line, const std::string& dir, JournalRecord& r) {
    const std::vector<std::string_view> f = fields(line);
    if (f.size() != 5 || f[0].size() != 1) return false;
    r = JournalRecord();
    r.step = static_cast<Step>(f[0][0]);
    if (f[1] != "-") r.id.device = number(f[1]);
    if (f[2] != "-") r.id.inode = number(f[2]);
    r.too_long = !field_path(f[3], dir, r.old_path) || !field_path(f[4], dir, r.new_path);
    return true;
}

}  // namespace

bool journal_header_ok(std::string_view text) {
    return text.starts_with(kJournalHeader);
}

void journal_parse(std::string_view text, std::vector<JournalRecord>& records) {
    size_t pos = 0;
    bool header = true;
    std::string dir;  // escaped, as written
    while (pos < text.size()) {
        if (text[pos] == '\0') {
            ++pos;
            continue;
        }
        const size_t end = text.find_first_of(std::string_view("\n\0", 2), pos);
        if (end == std::string_view::npos || text[end] == '\0') {
            pos = end == std::string_view::npos ? text.size() : end;
            continue;
        }
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        JournalRecord r;
        if (header) {
            header = false;
        } else if (line.starts_with("P\t")) {
            dir = line.substr(2);
        } else if (parse_record(line, dir, r)) {
            records.push_back(std::move(r));
        }
    }
}

// ---------------------------------------------------------------------------
// The files of the store.

std::string journal_file_name(int64_t at_ns, uint64_t process) {
    using namespace std::chrono;
    const sys_time<nanoseconds> now{nanoseconds(at_ns)};
    const sys_days day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss<nanoseconds> time{now - day};
    char name[80];
    std::snprintf(
        name, sizeof name, "%04d%02u%02uT%02d%02d%02d.%09lldZ-%llu", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
        static_cast<int>(time.seconds().count()), static_cast<long long>(time.subseconds().count()),
        static_cast<unsigned long long>(process));
    return std::string(name) + std::string(kOpenSuffix);
}

namespace {

// The journals in the store, oldest first.
std::vector<std::string> journal_names() {
    std::vector<std::string> names = store_list();
    std::erase_if(names, [](const std::string& name) {
        return !name.ends_with(kOpenSuffix) && !name.ends_with(kUndoneSuffix);
    });
    std::sort(names.begin(), names.end());
    return names;
}

// Leaves room for one more run among the kept ones.
void prune() {
    const std::vector<std::string> names = journal_names();
    for (size_t i = 0; i + kKeptRuns <= names.size(); ++i) store_remove(names[i]);
}

}  // namespace

bool journal_latest(JournalRun& run) {
    if (!store_open(false)) return false;
    const std::vector<std::string> names = journal_names();
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        std::string text;
        if (!it->ends_with(kOpenSuffix) || !store_read(*it, text) || !journal_header_ok(text))
            continue;
        run = JournalRun();
        run.name = ShortText(*it);
        journal_parse(text, run.records);
        return true;
    }
    return false;
}

bool journal_mark_undone(const JournalRun& run) {
    const std::string_view name = run.name.view();
    if (!name.ends_with(kOpenSuffix) || !store_open(false)) return false;
    const std::string base(name.substr(0, name.size() - kOpenSuffix.size()));
    return store_rename(name, base + std::string(kUndoneSuffix));
}

// ---------------------------------------------------------------------------
// Writing.

namespace {

enum class State { kUnstarted, kOpen, kOff };

struct Writer {
    State state = State::kUnstarted;
    StoreFile file;
    std::string name;  // the journal's name in the store
    ShortText dir;     // the directory of the last directory line, as the steps name it
    bool has_dir = false;
    uint64_t device = 0;  // the device of the last record, and its text with a tab
    char device_text[20];
    size_t device_length = 0;
};
Writer g_writer;

bool put_text(Writer& w, std::string_view text) {
    char* room = store_reserve(w.file, text.size());
    if (!room) return false;
    std::memcpy(room, text.data(), text.size());
    store_commit(w.file, room + text.size());
    return true;
}

bool start(Writer& w) {
    if (!store_open(true)) return false;
    prune();
    const StoreStamp stamp = store_stamp();
    w.name = journal_file_name(stamp.nanoseconds, stamp.process);
    return store_create(w.name, w.file) && put_text(w, kJournalHeader);
}

// A journal that cannot go on: the file goes, and standard error says so once.
void give_up(Writer& w) {
    if (w.file.state) {
        store_close(w.file);
        store_remove(w.name);
    }
    w.state = State::kOff;
    store_warn(kJournalUnwritable);
}

// True when the journal is open for a record: the first record opens it,
// unless DOLV_NO_JOURNAL says no.
bool ready(Writer& w) {
    if (w.state == State::kOpen) return true;
    if (w.state == State::kOff) return false;
    if (!GETENV("DOLV_NO_JOURNAL").empty()) {
        w.state = State::kOff;
        return false;
    }
    w.state = State::kOpen;
    if (start(w)) return true;
    give_up(w);
    return false;
}

bool separator(char c) {
    return c == '\\' || c == '/';
}

// The length of a path's directory, its closing separator (or drive) included.
size_t dir_length(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (separator(path[i - 1])) return i;
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

// True when the path is a name in the directory of the last directory line:
// that directory's text, then a name without a separator or a drive's colon.
bool in_dir(const Writer& w, std::string_view path) {
    const std::string_view dir = w.dir.view();
    if (!w.has_dir || path.size() <= dir.size() ||
        std::memcmp(path.data(), dir.data(), dir.size()) != 0)
        return false;
    for (size_t i = dir.size(); i < path.size(); ++i)
        if (separator(path[i]) || path[i] == ':') return false;
    return true;
}

// A path's field whole, in FEXPAND's absolute form; a directory with its
// closing `\` ("" is the current one). An absolute form as long as a text
// may have been cut: a NUL after it makes it longer than any text, so that
// the reader finds it too long to address rather than taking it for
// another path.
char* put_whole(char* out, const ShortText& path, bool is_dir, char end) {
    if (path.empty() && !is_dir) {
        *out++ = end;
        return out;
    }
    const ShortText whole = FEXPAND(path);
    out = put_path_bytes(out, whole.view());
    if (is_dir && whole.last() != '\\') *out++ = '\\';
    if (whole.size() == ShortText::kMax) out = put_path_bytes(out, std::string_view("", 1));
    *out++ = end;
    return out;
}

// A directory line when the old path lies in another directory than the
// last one written.
bool put_dir(Writer& w, const ShortText& old_path) {
    if (in_dir(w, old_path.view())) return true;
    const ShortText dir = old_path.left(static_cast<int>(dir_length(old_path.view())));
    if (w.has_dir && w.dir.view() == dir.view()) return true;
    w.dir = dir;
    w.has_dir = true;
    char* start = store_reserve(w.file, kLineMax);
    if (!start) return false;
    start[0] = 'P';
    start[1] = '\t';
    store_commit(w.file, put_whole(start + 2, dir, true, '\n'));
    return true;
}

// The head of a record: the device's text is made once and kept, as a
// batch's items all lie on one device.
DOLV_HOT char* put_head(Writer& w, char* out, Step step, const ItemId& id) {
    if (id.device == 0 || id.inode == 0) return journal_put_head(out, step, id);
    if (id.device != w.device || w.device_length == 0) {
        w.device = id.device;
        w.device_length =
            static_cast<size_t>(journal_put_number(w.device_text, id.device, '\t') - w.device_text);
    }
    *out++ = static_cast<char>(step);
    *out++ = '\t';
    std::memcpy(out, w.device_text, w.device_length);
    return journal_put_number(out + w.device_length, id.inode, '\t');
}

// A path's field: its name when it lies in the directory line's directory
// (printable ASCII as it is), else whole.
char* put_path(const Writer& w, char* out, const ShortText& path, char end) {
    if (!in_dir(w, path.view())) return put_whole(out, path, false, end);
    const std::string_view name = path.view().substr(w.dir.view().size());
    if (char* p = journal_put_plain_field(out, name, end)) return p;
    return journal_put_field(out, name, end);
}

enum class Quick { kWritten, kNotQuick, kFailed };

// The usual step of a batch, in few instructions: both paths are plain
// names (journal_put_plain_field) in the directory of the last directory
// line. The line goes straight into the reserved room.
DOLV_HOT Quick put_quick(Writer& w, Step step, const ItemId& id, std::string_view from,
                         std::string_view to) {
    const std::string_view dir = w.dir.view();
    if (!w.has_dir || from.size() <= dir.size() || to.size() <= dir.size()) return Quick::kNotQuick;
    if (!dir.empty() && (std::memcmp(from.data(), dir.data(), dir.size()) != 0 ||
                         std::memcmp(to.data(), dir.data(), dir.size()) != 0))
        return Quick::kNotQuick;
    char* start = store_reserve(w.file, kLineMax);
    if (!start) return Quick::kFailed;
    char* from_end =
        journal_put_plain_field(put_head(w, start, step, id), from.substr(dir.size()), '\t');
    char* end = from_end ? journal_put_plain_field(from_end, to.substr(dir.size()), '\n') : nullptr;
    if (!end) {
        // What was begun is no line; the room stays zero bytes, as the reader expects.
        std::memset(start, 0, kJournalHeadMax + from.size() + to.size() + 2);
        return Quick::kNotQuick;
    }
    store_commit(w.file, end);
    return Quick::kWritten;
}

// Any other step: a directory line when the old path asks for one, then
// the step's line.
bool put_step(Writer& w, Step step, const ItemId& id, const ShortText& from, const ShortText& to) {
    if (!put_dir(w, from)) return false;
    char* start = store_reserve(w.file, kLineMax);
    if (!start) return false;
    char* p = put_path(w, put_head(w, start, step, id), from, '\t');
    store_commit(w.file, put_path(w, p, to, '\n'));
    return true;
}

}  // namespace

DOLV_HOT void journal(Step step, const ShortText& old_path, const ShortText& new_path,
                      const ItemId& id) {
    Writer& w = g_writer;
    if (!ready(w)) return;
    ItemId identity = id;
    if (identity.device == 0 && identity.inode == 0) itemid(old_path, identity);
    switch (put_quick(w, step, identity, old_path.view(), new_path.view())) {
        case Quick::kWritten:
            return;
        case Quick::kFailed:
            return give_up(w);
        case Quick::kNotQuick:
            break;
    }
    if (!put_step(w, step, identity, old_path, new_path)) give_up(w);
}

void journal_close() {
    Writer& w = g_writer;
    // A cut that fails leaves the zero tail, which the reader passes over.
    if (w.state == State::kOpen) store_close(w.file);
    w.state = State::kOff;
}

void journal_forget() {
    g_writer = Writer();
}

}  // namespace dolv

#include "report/journal_text.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "base/byte_kinds.h"
#include "base/hot.h"
#include "platform/cp850.h"

namespace dolv {

const char kJournalHeader[] = "dolv-journal 2\n";

namespace {

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

// The bytes a field holds as they are in the program's text: printable
// ASCII but the escape.
constexpr ByteKinds unescaped_ascii() {
    ByteKinds k;
    for (int c = 0; c < 256; ++c) k.of[c] = c < 0x20 || c > 0x7E || c == '%';
    return k;
}
constexpr ByteKinds kOtherThanAscii = unescaped_ascii();

// A path as the files of the build before POSIX wrote it (`/`), in the program's form.
void with_backslashes(char* text, size_t n) {
    std::replace(text, text + n, '/', '\\');
}

// The path of a field after the text of its directory line (dir, escaped
// as written, may be empty); false when it does not fit in a text, with
// the end of it in out after "...", to be named. Plain ASCII, the usual
// field, is copied as it is.
bool program_path(std::string_view dir, std::string_view field, ShortText& out) {
    if (dir.size() + field.size() <= ShortText::kMax && kinds_in(dir, kOtherThanAscii) == 0 &&
        kinds_in(field, kOtherThanAscii) == 0) {
        char text[ShortText::kMax];
        std::memcpy(text, dir.data(), dir.size());
        std::memcpy(text + dir.size(), field.data(), field.size());
        with_backslashes(text, dir.size() + field.size());
        out = ShortText(std::string_view(text, dir.size() + field.size()));
        return true;
    }
    const std::string bytes = unescaped(std::string(dir) + std::string(field));
    std::string cp850;
    const bool fits = utf8_to_cp850(bytes, cp850) && cp850.size() <= ShortText::kMax &&
                      cp850.find('\0') == std::string::npos;
    if (!fits) {
        cp850 = utf8_to_cp850_lossy(bytes);
        cp850.erase(std::remove(cp850.begin(), cp850.end(), '\0'), cp850.end());
        if (cp850.size() > ShortText::kMax - 3) cp850 = "..." + cp850.substr(cp850.size() - 252);
    }
    with_backslashes(cp850.data(), cp850.size());
    out = ShortText(cp850);
    return fits;
}

uint64_t number(std::string_view field) {
    uint64_t n = 0;
    for (char c : field) n = n * 16 + static_cast<uint64_t>(std::max(hex_digit(c), 0));
    return n;
}

bool hex_number(std::string_view field) {
    return !field.empty() &&
           std::all_of(field.begin(), field.end(), [](char c) { return hex_digit(c) >= 0; });
}

// Splits a line at its tabs into fields; their count, more than the room
// when there are more.
size_t split_fields(std::string_view line, std::string_view (&f)[7]) {
    size_t n = 0, start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1) {
        if (n == std::size(f)) return n + 1;
        f[n++] = line.substr(start, tab - start);
    }
    if (n == std::size(f)) return n + 1;
    f[n++] = line.substr(start);
    return n;
}

bool absolute(std::string_view path) {
    return path.starts_with('/') || path.starts_with('\\') || (path.size() >= 2 && path[1] == ':');
}

// A path field: relative to the directory line before it, if any.
bool field_path(std::string_view field, std::string_view dir, ShortText& out) {
    if (dir.empty() || field.empty() || absolute(field)) return program_path("", field, out);
    return program_path(dir, field, out);
}

bool known_step(char c) {
    return std::string_view("RBDT123XAH").find(c) != std::string_view::npos;
}

// The device and inode fields: both hex numbers, or both "-".
bool identity_fields(std::string_view dev, std::string_view ino, ItemId& id) {
    id = ItemId();
    if (dev == "-" && ino == "-") return true;
    if (!hex_number(dev) || !hex_number(ino)) return false;
    id = ItemId{number(dev), number(ino)};
    return true;
}

// One line "kind dev ino [size modified] old new"; false when it is no record.
bool parse_record(std::string_view line, std::string_view dir, JournalRecord& r, bool paths) {
    std::string_view f[7];
    const size_t n = split_fields(line, f);
    if ((n != 5 && n != 7) || f[0].empty() || f[0].size() > 2 || !known_step(f[0][0]) ||
        (f[0].size() == 2 && f[0][1] != '-' && f[0][1] != '+'))
        return false;
    r = JournalRecord();
    r.step = static_cast<Step>(f[0][0]);
    r.made = f[0].size() == 2 && f[0][1] == '+';
    if (!identity_fields(f[1], f[2], r.identity.id)) return false;
    if (n == 7) {
        if (!hex_number(f[3]) || !hex_number(f[4])) return false;
        r.identity.fingerprinted = true;
        r.identity.size = static_cast<int64_t>(number(f[3]));
        r.identity.modified_ns = static_cast<int64_t>(number(f[4]));
    }
    if (!paths) return true;
    const bool old_fits = field_path(f[n - 2], dir, r.old_path);
    const bool new_fits = field_path(f[n - 1], dir, r.new_path);
    r.too_long = !old_fits || !new_fits;
    return true;
}

}  // namespace

JournalLines::Kind JournalLines::take(std::string_view line, JournalRecord& record, bool paths) {
    if (line.starts_with("P\t")) {
        dir_ = std::string(line.substr(2));
        return Kind::kOther;
    }
    if (line.starts_with("S\t") && hex_number(line.substr(2))) {
        start_ns_ = static_cast<int64_t>(number(line.substr(2)));
        return Kind::kOther;
    }
    if (line.starts_with("E\t"))
        return take_vouched(line.substr(2)) ? Kind::kOther : Kind::kDamaged;
    return parse_record(line, dir_, record, paths) ? Kind::kRecord : Kind::kDamaged;
}

bool JournalLines::take_vouched(std::string_view fields) {
    const size_t tab = fields.find('\t');
    ShortText folder;
    if (tab == std::string_view::npos || !hex_number(fields.substr(0, tab)) ||
        !program_path("", fields.substr(tab + 1), folder))
        return false;
    vouched_.push_back({folder, static_cast<int64_t>(number(fields.substr(0, tab)))});
    return true;
}

int journal_format(std::string_view text) {
    constexpr std::string_view kStart = "dolv-journal ";
    if (!text.starts_with(kStart)) return 0;
    const size_t end = text.find('\n');
    const std::string_view digits = text.substr(kStart.size(), end - kStart.size());
    if (end == std::string_view::npos || digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoi(std::string(digits));
}

bool journal_parse(std::string_view text, std::vector<JournalRecord>& records, int64_t* start_ns) {
    JournalLines lines;
    size_t pos = text.find('\n');
    pos = pos == std::string_view::npos ? text.size() : pos + 1;
    while (pos < text.size()) {
        if (text[pos] == '\0') {
            ++pos;
            continue;
        }
        const size_t end = text.find_first_of(std::string_view("\n\0", 2), pos);
        // A line cut short, by a kill as it was written: no record.
        if (end == std::string_view::npos || text[end] == '\0') {
            pos = end == std::string_view::npos ? text.size() : end;
            continue;
        }
        JournalRecord r;
        const JournalLines::Kind kind = lines.take(text.substr(pos, end - pos), r);
        if (kind == JournalLines::Kind::kDamaged) return false;
        if (kind == JournalLines::Kind::kRecord) records.push_back(std::move(r));
        pos = end + 1;
    }
    if (start_ns) *start_ns = lines.start_ns();
    return true;
}

std::string journal_file_name(uint64_t sequence) {
    char name[32];
    std::snprintf(name, sizeof name, "%010llu.journal", static_cast<unsigned long long>(sequence));
    return name;
}

}  // namespace dolv

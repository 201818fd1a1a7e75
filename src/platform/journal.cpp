#include "platform/journal.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "base/byte_kinds.h"
#include "base/hot.h"
#include "platform/cp850.h"
#include "platform/journal_format.h"

namespace dolv {

const char kJournalUnwritable[] =
    "Impossibile scrivere il registro: questa esecuzione non potra' essere annullata";
const char kJournalHeader[] = "dolv-journal 1\n";

namespace {

// The bytes a path field writes as %XX.
struct Escaped {
    bool map[256] = {};
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

char* put_escaped(char* out, std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!kEscaped.map[u]) {
            *out++ = c;
            continue;
        }
        *out++ = '%';
        *out++ = kHex[u >> 4];
        *out++ = kHex[u & 15];
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

void append_escaped(std::string& out, std::string_view text) {
    const size_t at = out.size();
    out.resize(at + 3 * text.size());
    out.resize(static_cast<size_t>(put_escaped(out.data() + at, text) - out.data()));
}

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

// A native path in the program's form; false when it does not fit.
bool program_path(std::string_view field, ShortText& out) {
    std::string cp850;
    if (!UTF8_TO_CP850(unescaped(field), cp850) || cp850.size() > ShortText::kMax) return false;
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

char* JOURNAL_PUT_HEAD(char* out, Step step, const ItemId& id) {
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

DOLV_HOT char* JOURNAL_PUT_NUMBER(char* out, uint64_t n, char end) {
    out = put_number(out, n);
    *out++ = end;
    return out;
}

DOLV_HOT char* JOURNAL_PUT_PLAIN_FIELD(char* out, std::string_view name, char end) {
    if (KINDS_IN(name, kUnplainBytes) != 0) return nullptr;
    std::memcpy(out, name.data(), name.size());
    out[name.size()] = end;
    return out + name.size() + 1;
}

char* JOURNAL_PUT_FIELD(char* out, std::string_view native, char end) {
    out = put_escaped(out, native);
    *out++ = end;
    return out;
}

void JOURNAL_LINE(std::string& out, Step step, const ItemId& id, std::string_view old_native,
                  std::string_view new_native) {
    out.resize(kJournalHeadMax + 3 * (old_native.size() + new_native.size()) + 2);
    char* p = JOURNAL_PUT_HEAD(out.data(), step, id);
    p = JOURNAL_PUT_FIELD(p, old_native, '\t');
    p = JOURNAL_PUT_FIELD(p, new_native, '\n');
    out.resize(static_cast<size_t>(p - out.data()));
}

void JOURNAL_DIR_LINE(std::string& out, std::string_view dir_native) {
    out.clear();
    out += "P\t";
    append_escaped(out, dir_native);
    out += '\n';
}

bool JOURNAL_HEADER_OK(std::string_view text) {
    return text.starts_with(kJournalHeader);
}

void JOURNAL_PARSE(std::string_view text, std::vector<JournalRecord>& records) {
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

}  // namespace dolv

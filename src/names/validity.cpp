#include "names/validity.h"

#include <cstring>

#include "base/byte_kinds.h"
#include "base/hot.h"
#include "names/path_split.h"
#include "names/strings.h"

namespace dolv {

namespace {

// First position of the first character of set (taken in order) that occurs in
// text, then of the control bytes 0 to 31; 0 when none occurs.
int first_reserved(const ShortText& text, const char* set) {
    // One pass answers the common case, a text without any of them.
    bool any = false;
    for (int i = 1; i <= text.size() && !any; ++i) {
        const unsigned char c = text.at(i);
        any = c < 32 || std::strchr(set, c) != nullptr;
    }
    if (!any) return 0;
    for (const char* p = set; *p; ++p) {
        const int pos = text.find(*p);
        if (pos) return pos;
    }
    for (int c = 0; c < 32; ++c) {
        const int pos = text.find(static_cast<char>(c));
        if (pos) return pos;
    }
    return 0;
}

bool begins_with_two_backslashes(const ShortText& s) {
    return s.at(1) == '\\' && s.at(2) == '\\';
}

uint8_t as_position(int pos) {
    if (pos < 1) return 1;
    if (pos > 255) return 255;
    return static_cast<uint8_t>(pos);
}

// The bytes as the quick look below sorts them.
enum : uint8_t { kPlainByte, kStopByte, kSeparatorByte, kDotByte };
struct ByteClasses {
    uint8_t of[256] = {};
};
constexpr ByteClasses byte_classes() {
    ByteClasses k;
    for (int c = 0; c < 32; ++c) k.of[c] = kStopByte;
    for (unsigned char c : std::string_view("/:|<>\"?*")) k.of[c] = kStopByte;
    k.of[static_cast<unsigned char>('\\')] = kSeparatorByte;
    k.of[static_cast<unsigned char>('.')] = kDotByte;
    return k;
}
constexpr ByteClasses kByteClasses = byte_classes();

// The bytes that make the quick look below walk the path: all but plain bytes and dots.
constexpr ByteKinds walked_bytes() {
    ByteKinds k;
    for (int b = 0; b < 256; ++b)
        k.of[b] = kByteClasses.of[b] != kPlainByte && kByteClasses.of[b] != kDotByte;
    return k;
}
constexpr ByteKinds kWalkedBytes = walked_bytes();

// A component from start to end (its last dot at dot, or npos) whose name
// has the 3 or 4 bytes of a device name needs the full checks.
DOLV_HOT bool may_be_device(size_t start, size_t dot, size_t end) {
    const size_t name = (dot == std::string_view::npos ? end : dot) - start;
    return name == 3 || name == 4;
}

// True for a path that passes every check below at a glance: no drive, no
// leading `\\`, no doubled `\`, no reserved byte or wildcard, no final `.`,
// and no component whose name (before its last dot) has the 3 or 4 bytes a
// device name has. Anything else takes the full checks.
DOLV_HOT bool plainly_valid(const ShortText& s) {
    const std::string_view v = s.view();
    if (v.empty() || v.back() == '.') return false;
    // The usual new name, one component of plain bytes and dots: only the
    // length of its name before the last dot needs a look.
    if (kinds_in(v, kWalkedBytes) == 0) return !may_be_device(0, v.rfind('.'), v.size());
    size_t start = 0;  // of the current component
    size_t dot = std::string_view::npos;
    for (size_t i = 0; i < v.size(); ++i) {
        const uint8_t kind = kByteClasses.of[static_cast<unsigned char>(v[i])];
        if (kind == kPlainByte) continue;
        if (kind == kStopByte) return false;
        if (kind == kDotByte) {
            dot = i;
            continue;
        }
        // A separator ends a component.
        if (may_be_device(start, dot, i)) return false;
        if (i + 1 < v.size() && v[i + 1] == '\\') return false;
        start = i + 1;
        dot = std::string_view::npos;
    }
    return !may_be_device(start, dot, v.size());
}

}  // namespace

DOLV_HOT uint8_t VALIDNAMEWIN(const ShortText& path) {
    return plainly_valid(path) ? 0 : validnamewin_full(path);
}

uint8_t validnamewin_full(const ShortText& path) {
    ShortText s = path;
    if (s.empty()) return 1;
    if (s.last() == '.') return as_position(s.size());

    if (begins_with_two_backslashes(s)) {
        const int colon = s.find(':');
        if (colon) return as_position(colon);
    } else if (s.at(2) == ':') {
        // Step over the drive colon; every other character is tested.
        const int p = first_reserved(FDELETE(s, 2, 1), "/:|<>\"");
        if (p) return as_position(p == 1 ? 1 : p + 1);
    } else {
        const int p = first_reserved(s, "/:|<>\"");
        if (p) return as_position(p);
    }

    int wild = 257;
    const int q = s.find('?');
    const int star = s.find('*');
    if (q && q < wild) wild = q;
    if (star && star < wild) wild = star;
    if (POSRL("\\", s, 255) > wild) return as_position(wild);

    if (s.at(2) == ':') {
        if (!LETTERS(static_cast<char>(s.at(1)))) return 1;
        s = FDELETE(s, 1, 2);
    }

    const int doubled = s.sub(2).find(ShortText("\\\\"));
    if (doubled) return as_position(doubled);

    if (begins_with_two_backslashes(s)) s.set(1, 'A');

    while (!s.empty()) {
        ShortText c, r;
        TESTA_CODA(s, "\\", c, r);
        if (c.at(1) == '\\' && c.size() > 1) c = c.sub(2);
        if (c.empty() || NAMERESERVED(c)) return as_position(path.size() - r.size() + 1 - c.size());
        s = r;
    }
    return 0;
}

uint8_t CHARRESERVED(const ShortText& text, bool wildcards_reserved) {
    static const char kSet[] = {',', ';', '=', 0x15, '+', ' ', '/', ':', '|', '<', '>', '"', 0};
    static const char kSetWild[] = {',', ';', '=', 0x15, '+', ' ', '/', ':',
                                    '|', '<', '>', '"',  '?', '*', 0};
    return static_cast<uint8_t>(first_reserved(text, wildcards_reserved ? kSetWild : kSet));
}

bool NAMERESERVED(const ShortText& name_or_path) {
    ShortText dir, name, ext;
    FSPLIT(name_or_path, dir, name, ext);
    if (name.size() > 4) return false;
    const ShortText up = UPSTR(name);
    const char d = static_cast<char>(up.at(4));
    const ShortText three = up.left(3);
    if (up.size() == 4 && three == "COM" && d >= '1' && d <= '4') return true;
    if (up.size() == 4 && three == "LPT" && d >= '1' && d <= '9') return true;
    return up == "AUX" || up == "NUL" || up == "PRN" || up == "CON";
}

bool LETTERS(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

}  // namespace dolv

// Code page 850 tables and the conversions between CP850 and UTF-8.
#include "platform/cp850.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace dolv {
namespace {

// What each CP850 byte shows on the console.
constexpr char32_t kGlyph[256] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9, 0x2642,
    0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC, 0x0020, 0x0021, 0x0022, 0x0023,
    0x0024, 0x0025, 0x0026, 0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B,
    0x003C, 0x003D, 0x003E, 0x003F, 0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F, 0x0050, 0x0051, 0x0052, 0x0053,
    0x0054, 0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067, 0x0068, 0x0069, 0x006A, 0x006B,
    0x006C, 0x006D, 0x006E, 0x006F, 0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302, 0x00C7, 0x00FC, 0x00E9, 0x00E2,
    0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00F8,
    0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566,
    0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4, 0x00D2,
    0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9,
    0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// Each byte's glyph already in UTF-8, so that the conversion appends bytes
// and looks nothing up at run time.
struct Utf8Glyph {
    char bytes[4];
    unsigned char len;
};

constexpr std::array<Utf8Glyph, 256> make_utf8_glyphs() {
    std::array<Utf8Glyph, 256> t{};
    for (int b = 0; b < 256; ++b) {
        char32_t cp = kGlyph[b];
        Utf8Glyph& g = t[static_cast<size_t>(b)];
        if (cp < 0x80) {
            g.bytes[0] = static_cast<char>(cp);
            g.len = 1;
        } else if (cp < 0x800) {
            g.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
            g.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
            g.len = 2;
        } else if (cp < 0x10000) {
            g.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
            g.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            g.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
            g.len = 3;
        } else {
            g.bytes[0] = static_cast<char>(0xF0 | (cp >> 18));
            g.bytes[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            g.bytes[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            g.bytes[3] = static_cast<char>(0x80 | (cp & 0x3F));
            g.len = 4;
        }
    }
    return t;
}

constexpr std::array<Utf8Glyph, 256> kUtf8Glyph = make_utf8_glyphs();

// Printable ASCII: the bytes that are their own glyph.
constexpr std::array<bool, 256> kPlain = [] {
    std::array<bool, 256> t{};
    for (int b = 32; b < 127; ++b) t[static_cast<size_t>(b)] = true;
    return t;
}();

// How many bytes from p on are printable ASCII (32..126), eight at a time
// while no byte of the eight is outside that range.
size_t plain_run(const char* p, size_t n) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighs = 0x8080808080808080ULL;
    size_t j = 0;
    while (j + 8 <= n) {
        uint64_t x;
        std::memcpy(&x, p + j, 8);
        uint64_t below = (x - kOnes * 0x20) & ~x & kHighs;  // some byte < 0x20
        uint64_t above = ((x + kOnes) | x) & kHighs;        // some byte >= 0x7F
        if (below | above) break;
        j += 8;
    }
    while (j < n && kPlain[static_cast<unsigned char>(p[j])]) ++j;
    return j;
}

struct ReverseEntry {
    char32_t cp;
    unsigned char byte;
};

// Every non-ASCII character of the table, sorted by code point, for the
// lookup from Unicode. The pilcrow and section sign appear twice (0x14/0xF4,
// 0x15/0xF5): the letters of the upper half win, so that a name holding them
// is a usable name and not a control byte.
const std::array<ReverseEntry, 161>& reverse_table() {
    static const std::array<ReverseEntry, 161> table = [] {
        std::array<ReverseEntry, 161> t{};
        size_t n = 0;
        for (int b = 0x80; b <= 0xFF; ++b) t[n++] = {kGlyph[b], static_cast<unsigned char>(b)};
        for (int b = 0x01; b <= 0x1F; ++b) t[n++] = {kGlyph[b], static_cast<unsigned char>(b)};
        t[n++] = {kGlyph[0x7F], 0x7F};
        // Stable: for equal code points the upper-half byte, added first, stays first.
        std::stable_sort(t.begin(), t.end(),
                         [](const ReverseEntry& a, const ReverseEntry& b) { return a.cp < b.cp; });
        return t;
    }();
    return table;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 character at s[i]; advances i. Returns false for an
// invalid sequence (i then advances by one byte). Overlong forms, surrogates
// and values beyond U+10FFFF are invalid.
bool decode_utf8(std::string_view s, size_t& i, char32_t& cp) {
    unsigned char b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    }
    int extra;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1;
        min = 0x80;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2;
        min = 0x800;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3;
        min = 0x10000;
        cp = b0 & 0x07;
    } else {
        ++i;
        return false;
    }
    if (s.size() - i <= static_cast<size_t>(extra)) {
        ++i;
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        unsigned char b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += static_cast<size_t>(extra) + 1;
    return true;
}

}  // namespace

char32_t cp850_glyph(unsigned char byte) {
    return kGlyph[byte];
}

bool cp850_from_unicode(char32_t cp, unsigned char& byte) {
    if (cp < 0x80) {
        byte = static_cast<unsigned char>(cp);
        return true;
    }
    const auto& t = reverse_table();
    auto it = std::lower_bound(t.begin(), t.end(), cp,
                               [](const ReverseEntry& e, char32_t v) { return e.cp < v; });
    if (it == t.end() || it->cp != cp) return false;
    byte = it->byte;
    return true;
}

std::string_view cp850_utf8_glyph(unsigned char byte) {
    const Utf8Glyph& g = kUtf8Glyph[byte];
    return std::string_view(g.bytes, g.len);
}

void cp850_append_utf8(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        // Printable ASCII is its own glyph: copy such runs whole.
        size_t j = i + plain_run(text.data() + i, text.size() - i);
        out.append(text.data() + i, j - i);
        if (j < text.size()) {
            const Utf8Glyph& g = kUtf8Glyph[static_cast<unsigned char>(text[j++])];
            out.append(g.bytes, g.len);
        }
        i = j;
    }
}

std::string cp850_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    cp850_append_utf8(out, text);
    return out;
}

std::string cp850_name_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x7F)
            out += c;
        else
            append_utf8(out, kGlyph[b]);
    }
    return out;
}

bool utf8_to_cp850(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x7F) {  // the common case: plain ASCII
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (b == 0x7F) return false;  // DEL: the byte 0x7F stands for U+2302
        char32_t cp;
        unsigned char byte;
        if (!decode_utf8(utf8, i, cp) || !cp850_from_unicode(cp, byte)) return false;
        out += static_cast<char>(byte);
    }
    return true;
}

std::string utf8_to_cp850_lossy(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp;
        unsigned char byte;
        if (decode_utf8(utf8, i, cp) && cp != 0x7F && cp850_from_unicode(cp, byte))
            out += static_cast<char>(byte);
        else
            out += '\x1A';
    }
    return out;
}

}  // namespace dolv

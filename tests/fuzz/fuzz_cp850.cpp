// The conversions between code page 850 and UTF-8. Both directions give
// valid UTF-8; every CP850 text survives the trip to a file name and back
// unchanged, and the trip through the console glyphs unchanged but for the
// three bytes whose glyph is shared (0x00 shows as a blank, 0x14 and 0x15 as
// the pilcrow and section sign of 0xF4 and 0xF5). UTF-8 input is refused
// exactly when it is invalid or holds a character CP850 lacks; the lossy
// form gives one byte per character and agrees with the strict one.
// needs: platform/cp850.h
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/cp850.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Strict UTF-8 decoding of one character at s[i]; false for an invalid
// sequence (overlong, surrogate, beyond U+10FFFF, cut short).
bool next_char(const std::string& s, size_t& i, char32_t& cp) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int n;
    if (b < 0x80) {
        cp = b;
        n = 0;
    } else if ((b & 0xE0) == 0xC0) {
        cp = b & 0x1F;
        n = 1;
    } else if ((b & 0xF0) == 0xE0) {
        cp = b & 0x0F;
        n = 2;
    } else if ((b & 0xF8) == 0xF0) {
        cp = b & 0x07;
        n = 3;
    } else {
        return false;
    }
    if (n > 0 && i + static_cast<size_t>(n) >= s.size()) return false;
    for (int k = 1; k <= n; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
        if ((c & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (c & 0x3F);
    }
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += static_cast<size_t>(n) + 1;
    return true;
}

// Number of characters of valid UTF-8, or -1.
long characters(const std::string& s) {
    long count = 0;
    size_t i = 0;
    char32_t cp;
    while (i < s.size()) {
        if (!next_char(s, i, cp)) return -1;
        ++count;
    }
    return count;
}

bool all_in_cp850(const std::string& s) {
    size_t i = 0;
    char32_t cp;
    unsigned char byte;
    while (i < s.size()) {
        // A raw DEL is no character of a name: 0x7F is the house sign.
        if (!next_char(s, i, cp) || cp == 0x7F || !dolv::cp850_from_unicode(cp, byte)) return false;
    }
    return true;
}

void check_tables() {
    for (int b = 1; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        unsigned char back = 0;
        check(dolv::cp850_from_unicode(dolv::cp850_glyph(byte), back));
        if (b == 0x14 || b == 0x15)
            check(back == b + 0xE0);
        else
            check(back == b);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tables = (check_tables(), true);
    (void)tables;
    const std::string in(reinterpret_cast<const char*>(data), size);
    std::string back;

    // The input as CP850 text.
    const std::string name = dolv::cp850_name_to_utf8(in);
    check(characters(name) == static_cast<long>(in.size()));
    check(dolv::utf8_to_cp850(name, back) && back == in);
    const std::string shown = dolv::cp850_to_utf8(in);
    check(characters(shown) == static_cast<long>(in.size()));
    check(dolv::utf8_to_cp850(shown, back));
    std::string expected = in;
    for (char& c : expected) {
        if (c == 0) c = ' ';
        if (c == 0x14 || c == 0x15) c = static_cast<char>(c + 0xE0);
    }
    check(back == expected);

    // The input as UTF-8.
    const long chars = characters(in);
    const bool ok = dolv::utf8_to_cp850(in, back);
    check(ok == (chars >= 0 && all_in_cp850(in)));
    const std::string lossy = dolv::utf8_to_cp850_lossy(in);
    check(lossy.size() <= in.size());
    if (chars >= 0) check(static_cast<long>(lossy.size()) == chars);
    if (ok) {
        check(static_cast<long>(back.size()) == chars);
        check(lossy == back);
    } else {
        check(lossy.find('\x1A') != std::string::npos);
    }
    return 0;
}

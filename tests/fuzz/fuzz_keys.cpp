// The key decoder. "Nothing lost, nothing invented" here means:
// - built from known pieces (plain characters, CR and LF, the terminal's key
//   sequences, a lone Esc followed by the wait running out, UTF-8 characters,
//   unknown sequences, stray bytes), the input decodes to exactly the keys of
//   its pieces in order: one code per character key, 0 and the scan code per
//   extended key, nothing for a sequence that is no key;
// - from any bytes, with the wait running out anywhere: a 0 is always followed
//   by a known scan code, there are never more codes than bytes, every plain
//   character key comes from an equal input byte in order, the codes do not
//   depend on when they are taken, and the decoder is idle after the wait.
// The first input byte chooses the mode (even: pieces, odd: any bytes).
// needs: platform/key_decoder.h
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/cp850.h"
#include "platform/key_decoder.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

struct Sequence {
    const char* bytes;
    unsigned char scan;  // 0: no key
};

const Sequence kSequences[] = {
    {"\x1b[A", 72},
    {"\x1bOA", 72},
    {"\x1b[B", 80},
    {"\x1bOB", 80},
    {"\x1b[C", 77},
    {"\x1bOC", 77},
    {"\x1b[D", 75},
    {"\x1bOD", 75},
    {"\x1b[H", 71},
    {"\x1bOH", 71},
    {"\x1b[1~", 71},
    {"\x1b[7~", 71},
    {"\x1b[F", 79},
    {"\x1bOF", 79},
    {"\x1b[4~", 79},
    {"\x1b[8~", 79},
    {"\x1b[2~", 82},
    {"\x1b[3~", 83},
    {"\x1b[5~", 73},
    {"\x1b[6~", 81},
    {"\x1bOP", 59},
    {"\x1bOQ", 60},
    {"\x1bOR", 61},
    {"\x1bOS", 62},
    {"\x1b[11~", 59},
    {"\x1b[12~", 60},
    {"\x1b[13~", 61},
    {"\x1b[14~", 62},
    {"\x1b[15~", 63},
    {"\x1b[17~", 64},
    {"\x1b[18~", 65},
    {"\x1b[19~", 66},
    {"\x1b[20~", 67},
    {"\x1b[21~", 68},
    {"\x1b[23~", 133},
    {"\x1b[24~", 134},
    // Sequences that are no key of ours: read whole, thrown away.
    {"\x1b[1;5C", 0},
    {"\x1b[99~", 0},
    {"\x1b[Z", 0},
    {"\x1b[[A", 0},
    {"\x1b[200~", 0},
    {"\x1bOx", 0},
    {"\x1b[?1;2c", 0},
};
constexpr size_t kSequenceCount = sizeof kSequences / sizeof kSequences[0];

bool is_scan(unsigned char c) {
    for (const Sequence& s : kSequences)
        if (s.scan && s.scan == c) return true;
    return false;
}

void utf8(std::string& out, char32_t cp) {
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

void take_all(dolv::KeyDecoder& d, std::string& codes) {
    unsigned char key;
    while (dolv::key_take(d, key)) codes += static_cast<char>(key);
}

void feed(dolv::KeyDecoder& d, const std::string& bytes) {
    for (const char c : bytes) dolv::key_feed(d, static_cast<unsigned char>(c));
}

void pieces(const uint8_t* data, size_t size) {
    dolv::KeyDecoder d;
    std::string got, expected;
    bool after_cr = false;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const unsigned char kind = data[i], value = data[i + 1];
        std::string bytes;
        std::string keys;
        bool cr = false, timeout = (kind & 0x80) != 0;
        switch (kind % 7) {
            case 0: {  // a plain character
                const unsigned char c = static_cast<unsigned char>(1 + value % 127);
                if (c == 27) continue;
                bytes += static_cast<char>(c);
                if (c == '\r') {
                    keys = "\r";
                    cr = true;
                } else if (c == '\n') {
                    if (!after_cr) keys = "\r";
                } else if (c == 0x7F || c == 0x08) {
                    keys = "\b";
                } else {
                    keys += static_cast<char>(c);
                }
                break;
            }
            case 1:
            case 2: {  // a key sequence, or one that is no key
                const Sequence& s = kSequences[value % kSequenceCount];
                bytes = s.bytes;
                if (s.scan) keys = std::string(1, '\0') + static_cast<char>(s.scan);
                break;
            }
            case 3:  // a lone Esc: the wait runs out
                bytes = "\x1b";
                keys = "\x1b";
                timeout = true;
                break;
            case 4: {  // a character of the upper half of CP850
                const unsigned char b = static_cast<unsigned char>(0x80 | value);
                utf8(bytes, dolv::cp850_glyph(b));
                unsigned char back = 0;
                if (dolv::cp850_from_unicode(dolv::cp850_glyph(b), back) && back >= 0x80)
                    keys += static_cast<char>(back);
                break;
            }
            case 5: {  // a glyph of a control byte, or a character CP850 lacks: no key
                // (0x14 and 0x15 share their glyphs with the letters 0xF4 and 0xF5.)
                unsigned char b = static_cast<unsigned char>(1 + value % 31);
                if (b == 0x14 || b == 0x15) b = 1;
                utf8(bytes, value % 2 ? dolv::cp850_glyph(b) : char32_t(0x20AC));
                break;
            }
            case 6: {  // a byte that starts no UTF-8 character: dropped
                const unsigned char b =
                    static_cast<unsigned char>(value < 0x80 ? 0x80 | value : value);
                if (b >= 0xC2 && b <= 0xF4) continue;
                bytes += static_cast<char>(b);
                break;
            }
        }
        feed(d, bytes);
        if (timeout) {
            check(dolv::key_incomplete(d) == (bytes == "\x1b"));
            dolv::key_timeout(d);
        }
        check(!dolv::key_incomplete(d));
        expected += keys;
        after_cr = cr;
        if (kind & 0x40) take_all(d, got);
    }
    take_all(d, got);
    check(got == expected);
}

void any_bytes(const uint8_t* data, size_t size) {
    const unsigned char wait_mark = data[0];
    dolv::KeyDecoder early, late;
    std::string codes, late_codes;
    bool plain = true;
    for (size_t i = 1; i < size; ++i) {
        dolv::key_feed(early, data[i]);
        dolv::key_feed(late, data[i]);
        if (data[i] == 27 || data[i] >= 0x80) plain = false;
        if (data[i] == wait_mark) {
            dolv::key_timeout(early);
            dolv::key_timeout(late);
        }
        take_all(early, codes);
    }
    dolv::key_timeout(early);
    dolv::key_timeout(late);
    check(!dolv::key_incomplete(early) && !dolv::key_incomplete(late));
    take_all(early, codes);
    take_all(late, late_codes);
    check(codes == late_codes);
    check(codes.size() <= size - 1);

    std::string chars;  // the plain character keys, in order
    for (size_t k = 0; k < codes.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(codes[k]);
        if (c == 0) {
            check(k + 1 < codes.size() && is_scan(static_cast<unsigned char>(codes[k + 1])));
            ++k;
        } else if (c < 0x80 && c != 27 && c != 13 && c != 8) {
            chars += static_cast<char>(c);
        }
    }
    size_t pos = 1;
    for (const char c : chars) {
        while (pos < size && data[pos] != static_cast<unsigned char>(c)) ++pos;
        check(pos < size);
        ++pos;
    }

    if (plain) {  // no Esc and no UTF-8: one key per byte, mapped
        std::string expected;
        bool after_cr = false;
        for (size_t i = 1; i < size; ++i) {
            const unsigned char b = data[i];
            if (b == '\n' && after_cr) {
            } else if (b == '\r' || b == '\n') {
                expected += '\r';
            } else if (b == 0x7F || b == 0x08) {
                expected += '\b';
            } else if (b != 0) {
                expected += static_cast<char>(b);
            }
            after_cr = b == '\r';
        }
        check(codes == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] % 2 == 0)
        pieces(data + 1, size - 1);
    else
        any_bytes(data, size);
    return 0;
}

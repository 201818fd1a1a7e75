// Code page 850 inside, Unicode outside. Shared by both platform builds.
#pragma once

#include <string>
#include <string_view>

namespace dolv {

// The character a CP850 byte shows on the console: 0x01-0x1F and 0x7F as
// their classic glyphs (0x10 U+25BA, 0x11 U+25C4), 0x00 as a blank.
char32_t cp850_glyph(unsigned char byte);
// The CP850 byte of a character; false when CP850 has none. The control
// glyphs map back to their bytes 0x01-0x1F and 0x7F; ASCII maps to itself.
bool cp850_from_unicode(char32_t cp, unsigned char& byte);

// CP850 text as UTF-8, every byte as its glyph (for the console and the report file).
std::string cp850_to_utf8(std::string_view text);
// The same conversion, appended to out (no text of its own).
void cp850_append_utf8(std::string& out, std::string_view text);
// One byte's glyph in UTF-8, a view into a table that lives for the whole run.
std::string_view cp850_utf8_glyph(unsigned char byte);
// CP850 text as UTF-8 for the file system: bytes map to their characters,
// ASCII control bytes stay control bytes, and 0x7F is U+2302 (a raw DEL is
// no name's character, so each CP850 name has one name on disk).
std::string cp850_name_to_utf8(std::string_view text);
// UTF-8 to CP850; false when the input is not valid UTF-8 or holds a
// character CP850 lacks, DEL among them (out is then unspecified).
bool utf8_to_cp850(std::string_view utf8, std::string& out);
// UTF-8 to CP850 where every character CP850 lacks (DEL too, and every
// invalid byte) becomes 0x1A: for command-line arguments.
std::string utf8_to_cp850_lossy(std::string_view utf8);

}  // namespace dolv

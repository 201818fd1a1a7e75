// What the POSIX file-system units share: the path at the system boundary,
// what a name on disk is made of, and the attribute word.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/short_text.h"
#include "platform/name_chars.h"

namespace dolv {

// The path for a system call: drive `X:` dropped, `\` as `/`, CP850 turned
// into UTF-8. A bare drive is the current directory.
std::string NATIVE_PATH(const ShortText& path);
std::string NATIVE_PATH(std::string_view path);
// NATIVE_PATH into a buffer of kNativePathSize bytes, with a closing NUL:
// for the calls made once per item, without an allocation.
constexpr size_t kNativePathSize = 3 * 255 + 1;  // a CP850 byte is at most 3 UTF-8 bytes
void NATIVE_PATH_INTO(std::string_view path, char (&out)[kNativePathSize]);

// What one pass over the bytes of a name on disk tells: plain ASCII that a
// name may hold (the program's bytes too), refused at once (a byte
// WINDOWS_NAME_CHARS refuses, or a raw DEL: the CP850 byte 0x7F is U+2302
// on disk), or bytes of the upper half, to be converted and checked.
enum class NameBytes { kAscii, kRefused, kUpper };
NameBytes NATIVE_NAME_BYTES(std::string_view native);

// The attribute word of an item from its lstat and its bare name.
uint8_t ITEM_ATTRIBUTES(const struct stat& st, std::string_view name);
// The last component of a path (trailing separators ignored).
std::string_view LAST_COMPONENT(std::string_view path);

}  // namespace dolv

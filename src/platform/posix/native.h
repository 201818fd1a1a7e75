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
std::string native_path(const ShortText& path);
std::string native_path(std::string_view path);
// native_path into a buffer of kNativePathSize bytes, with a closing NUL:
// for the calls made once per item, without an allocation.
constexpr size_t kNativePathSize = 3 * 255 + 1;  // a CP850 byte is at most 3 UTF-8 bytes
void native_path_into(std::string_view path, char (&out)[kNativePathSize]);

// What one pass over the bytes of a name on disk tells: plain ASCII that a
// name may hold (the program's bytes too), refused at once (a byte
// windows_name_chars refuses, or a raw DEL: the CP850 byte 0x7F is U+2302
// on disk), or bytes of the upper half, to be converted and checked.
enum class NameBytes { kAscii, kRefused, kUpper };
NameBytes native_name_bytes(std::string_view native);

// The attribute word of an item from its lstat and its bare name.
uint8_t item_attributes(const struct stat& st, std::string_view name);
// The last component of a path (trailing separators ignored).
std::string_view last_component(std::string_view path);

// The rename that never replaces, on system paths: 0 or an errno value
// (EEXIST when the destination exists). named_to: the destination in the
// program's form, for the notice of a placeholder made on the way.
int rename_native_no_replace(const char* from, const char* to, const ShortText& named_to);

}  // namespace dolv

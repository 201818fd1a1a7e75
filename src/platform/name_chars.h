// The characters a Windows name may hold, asked of a CP850 name or path: the
// program makes no name that a Windows name could not be, on any system.
// Shared by both platform builds; inline, as a rename asks it every time.
#pragma once

#include <string_view>

#include "base/byte_kinds.h"

namespace dolv {

// The bytes a Windows name may not hold: \ / : * ? " < > | and those below 32.
constexpr ByteKinds windows_reserved_bytes() {
    ByteKinds r;
    for (int c = 0; c < 32; ++c) r.of[c] = 1;
    for (unsigned char c : std::string_view("\\/:*?\"<>|")) r.of[c] = 1;
    return r;
}
inline constexpr ByteKinds kWindowsReserved = windows_reserved_bytes();

// The same within a path, where the separators are allowed.
constexpr ByteKinds windows_reserved_in_path() {
    ByteKinds r = kWindowsReserved;
    r.of[static_cast<unsigned char>('\\')] = 0;
    r.of[static_cast<unsigned char>('/')] = 0;
    return r;
}
inline constexpr ByteKinds kWindowsReservedInPath = windows_reserved_in_path();

// True when a name holds no character a Windows name may not hold.
inline bool windows_name_chars(std::string_view name) {
    return kinds_in(name, kWindowsReserved) == 0;
}

// The same for every component of a path after its drive.
DOLV_HOT inline bool windows_path_chars(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
    // Every component passes windows_name_chars: no reserved byte but the separators.
    return kinds_in(path, kWindowsReservedInPath) == 0;
}

}  // namespace dolv

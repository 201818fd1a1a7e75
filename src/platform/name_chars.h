// The characters a Windows name may hold, asked of a CP850 name or path: the
// program makes no name that a Windows name could not be, on any system.
// Shared by both platform builds.
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

// True when a name holds no character a Windows name may not hold.
bool WINDOWS_NAME_CHARS(std::string_view name);
// The same for every component of a path after its drive.
bool WINDOWS_PATH_CHARS(std::string_view path);

}  // namespace dolv

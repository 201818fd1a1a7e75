#include "platform/name_chars.h"

#include "base/hot.h"

namespace dolv {
namespace {

constexpr ByteKinds kReserved = windows_reserved_bytes();

// The same within a path, where the separators are allowed.
constexpr ByteKinds reserved_in_path() {
    ByteKinds r = kReserved;
    r.of[static_cast<unsigned char>('\\')] = 0;
    r.of[static_cast<unsigned char>('/')] = 0;
    return r;
}
constexpr ByteKinds kReservedInPath = reserved_in_path();

}  // namespace

bool WINDOWS_NAME_CHARS(std::string_view name) {
    return KINDS_IN(name, kReserved) == 0;
}

DOLV_HOT bool WINDOWS_PATH_CHARS(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
    // Every component passes WINDOWS_NAME_CHARS: no reserved byte but the separators.
    return KINDS_IN(path, kReservedInPath) == 0;
}

}  // namespace dolv

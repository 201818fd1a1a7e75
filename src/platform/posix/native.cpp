// The file system's side of a path and of a name.
#include "platform/posix/native.h"

#include <cstdint>
#include <cstring>

#include "base/byte_kinds.h"
#include "base/hot.h"
#include "platform/cp850.h"
#include "platform/fs.h"
#include "platform/name_chars.h"

namespace dolv {
namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;

// Eight bytes at a time: the high bit of a byte in
// ((x & kLows) + kOnes) | x is set exactly when that byte is 0x7F or more
// (0x7F is CP850's U+2302, above it the upper half: not the same bytes on
// disk); the high bit of a byte in `zero` is set exactly when that byte of
// x ^ "\\..." is 0, a `\` to become `/`.
DOLV_HOT uint64_t upper_bytes(uint64_t x) {
    return (((x & kLows) + kOnes) | x) & ~kLows;
}
DOLV_HOT uint64_t with_slashes(uint64_t x) {
    const uint64_t t = x ^ (kOnes * '\\');
    const uint64_t zero = ~(((t & kLows) + kLows) | t | kLows);
    return x ^ (((zero >> 7) * 0xFF) & (kOnes * ('\\' ^ '/')));
}

// native_into for a path with bytes of the upper half, one byte at a time;
// kept out of the usual path, whose code it would only make longer.
[[gnu::noinline, gnu::cold]] size_t with_upper_bytes(std::string_view path, char* out) {
    size_t n = 0;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x7F) {
            out[n++] = c == '\\' ? '/' : c;
        } else {
            const std::string utf8 = cp850_name_to_utf8(std::string_view(&c, 1));
            for (char u : utf8) out[n++] = u;
        }
    }
    return n;
}

// The path after its drive, `\` as `/`, CP850 as UTF-8, into out (room for
// 3 bytes a byte and the NUL, and at least 8 more than the path); the
// result is the length. Plain ASCII, the usual case, goes eight bytes at a
// time; a path of 8 bytes or more ends with the eight bytes that end it
// (some of them done twice, with the same result), a shorter one is padded
// with zeros (which are neither).
DOLV_HOT size_t native_into(std::string_view path, bool drive, char* out) {
    uint64_t upper = 0;
    size_t i = 0;
    for (; i + 8 <= path.size(); i += 8) {
        uint64_t x;
        std::memcpy(&x, path.data() + i, 8);
        upper |= upper_bytes(x);
        x = with_slashes(x);
        std::memcpy(out + i, &x, 8);
    }
    if (i < path.size() && path.size() >= 8) {
        uint64_t x;
        std::memcpy(&x, path.data() + path.size() - 8, 8);
        upper |= upper_bytes(x);
        x = with_slashes(x);
        std::memcpy(out + path.size() - 8, &x, 8);
    } else if (i < path.size()) {
        uint64_t x = 0;  // the bytes, little-endian as the loads above
        for (size_t k = 0; k < path.size(); ++k)
            x |= uint64_t{static_cast<unsigned char>(path[k])} << (8 * k);
        upper |= upper_bytes(x);
        x = with_slashes(x);
        std::memcpy(out, &x, 8);
    }
    size_t n = upper != 0 ? with_upper_bytes(path, out) : path.size();
    if (n == 0 && drive) out[n++] = '.';
    out[n] = '\0';
    return n;
}

}  // namespace

DOLV_HOT void native_path_into(std::string_view path, char (&out)[kNativePathSize]) {
    const bool drive = path.size() >= 2 && path[1] == ':';
    if (drive) path.remove_prefix(2);
    if (path.size() > ShortText::kMax) path = path.substr(0, ShortText::kMax);
    native_into(path, drive, out);
}

std::string native_path(std::string_view path) {
    const bool drive = path.size() >= 2 && path[1] == ':';
    if (drive) path.remove_prefix(2);
    if (path.size() <= ShortText::kMax) {
        char out[kNativePathSize];
        return std::string(out, native_into(path, drive, out));
    }
    std::string s(path);
    for (char& c : s)
        if (c == '\\') c = '/';
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x7F) return cp850_name_to_utf8(s);
    return s;
}

std::string native_path(const ShortText& path) {
    return native_path(path.view());
}

namespace {

constexpr ByteKinds kReserved = kWindowsReserved;

// native_name_bytes's kinds of byte: 1 upper half, 2 refused.
constexpr ByteKinds name_byte_kinds() {
    ByteKinds k;
    for (int b = 0x80; b < 256; ++b) k.of[b] = 1;
    for (int b = 0; b < 256; ++b)
        if (kReserved.of[b] || b == 0x7F) k.of[b] = 2;
    return k;
}
constexpr ByteKinds kNameByteKinds = name_byte_kinds();

}  // namespace

NameBytes native_name_bytes(std::string_view native) {
    const uint8_t seen = kinds_in(native, kNameByteKinds);
    if (seen & 2) return NameBytes::kRefused;
    return seen ? NameBytes::kUpper : NameBytes::kAscii;
}

uint8_t item_attributes(const struct stat& st, std::string_view name) {
    uint8_t attr = 0;
    if (S_ISDIR(st.st_mode))
        attr |= FA_DIRECTORY;
    else
        attr |= FA_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) attr |= FA_READONLY;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") attr |= FA_HIDDEN;
    return attr;
}

std::string_view last_component(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
    while (!path.empty() && is_separator(path.back())) path.remove_suffix(1);
    size_t i = path.size();
    while (i > 0 && !is_separator(path[i - 1])) --i;
    return path.substr(i);
}

}  // namespace dolv

// The sort key of the directory search: the order of name_compare on a
// name's first 8 bytes, as one number.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dolv {

// The first 8 bytes of a name, ASCII letters in upper case, as one number
// that orders as name_compare orders those bytes (a shorter name pads with
// 0). It reads 8 bytes at name whatever the length: the search's pool holds
// 8 bytes more past its last name, so that an entry stays small and the
// key is computed where the sort compares.
inline uint64_t sort_key(const char* name, size_t length) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    constexpr uint64_t kHigh = 0x8080808080808080ULL;
    uint64_t w;
    std::memcpy(&w, name, sizeof w);
    if constexpr (std::endian::native == std::endian::little) {
        if (length < 8) w &= (uint64_t{1} << (8 * length)) - 1;
    } else {
        if (length < 8) w &= ~(~uint64_t{0} >> (8 * length));
    }
    // Per byte: the high bit of at_least_a is set for 'a' and up, that of
    // past_z for the bytes after 'z'; bytes from 0x80 up have their own high bit.
    const uint64_t low = w & kLow7;
    const uint64_t at_least_a = low + 0x1F1F1F1F1F1F1F1FULL;
    const uint64_t past_z = low + 0x0505050505050505ULL;
    const uint64_t lower = at_least_a & ~past_z & ~w & kHigh;
    w -= lower >> 2;  // 'a' - 'A' == 0x20 == 0x80 >> 2
    if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
    return w;
}

}  // namespace dolv

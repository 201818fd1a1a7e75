// A byte table and the question most name checks ask of it: which kinds of
// byte does a text hold? The answer is the OR of the table's entries for
// its bytes, taken four bytes at a time without a branch, so that a check
// over a whole name costs about one load and one OR a byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/hot.h"

namespace dolv {

struct ByteKinds {
    uint8_t of[256] = {};
};

// The OR of kinds.of[b] over the bytes b of text (0 for the empty text).
DOLV_HOT inline uint8_t kinds_in(std::string_view text, const ByteKinds& kinds) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    uint8_t seen = 0;
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        seen |= kinds.of[p[i]] | kinds.of[p[i + 1]] | kinds.of[p[i + 2]] | kinds.of[p[i + 3]];
    for (; i < n; ++i) seen |= kinds.of[p[i]];
    return seen;
}

}  // namespace dolv

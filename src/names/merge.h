// The wildcard merge of a source name with the destination pattern.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

// A destination pattern taken apart once, for a batch that merges it into
// every name: its name part and extension, each cut before its first '*'.
// The small fields come first: with a short pattern's bytes they fill
// one cache line.
struct MergePattern {
    uint8_t ext_start = 0;   // index of the extension's first byte (0: no dot)
    bool name_star = false;  // the name part holds a '*' (its length is then up to it)
    bool ext_star = false;
    uint8_t name_fixed = 0;  // bytes of the name part before its '*' (all without one)
    uint8_t ext_fixed = 0;
    ShortText text;
};

MergePattern merge_pattern(const ShortText& pattern);

// Merges the bare source name with the pattern, name part and extension
// each position by position. Empty when the result would pass 255 characters.
ShortText FUSIONJOLLY(const ShortText& source, const ShortText& pattern);
ShortText FUSIONJOLLY(const ShortText& source, const MergePattern& pattern);

}  // namespace dolv

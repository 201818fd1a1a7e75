#include "names/merge.h"

#include <cstring>

#include "base/hot.h"
#include "names/strings.h"
#include "platform/console.h"

namespace dolv {

namespace {

constexpr size_t kFull = ShortText::kMax;

// Merges one part: the pattern part over the source part. The pattern is cut
// before its first '*', which stands for wildcards up to full length; without
// a '*' the source part is cut to the pattern's length. A wildcard takes the
// source character at its position; the result ends before the first
// position that has no character (a wildcard past the end of the source, or
// the end of the pattern), and a part filled in all 255 positions keeps 254.
// Positions past both texts are empty on both sides, so the loop stops at
// the longer of the two instead of walking all 255. The part goes to out
// (room for kFull bytes); the result is its length.
DOLV_HOT size_t merge_part(std::string_view pattern, std::string_view source, char* out) {
    const size_t star = pattern.find('*');
    const size_t plen = star == std::string_view::npos ? pattern.size() : star;
    size_t slen = source.size();
    if (star == std::string_view::npos && slen > plen) slen = plen;
    for (size_t i = 0; i < plen; ++i) {
        char c = pattern[i];
        if (c == '?') {
            if (i >= slen) return i;
            c = source[i];
        }
        out[i] = c;
    }
    if (star == std::string_view::npos) return plen == kFull ? kFull - 1 : plen;
    // Past the '*' every position is a wildcard: the rest of the source,
    // up to full length.
    if (slen <= plen) return plen;
    const size_t end = slen < kFull ? slen : kFull;
    std::memcpy(out + plen, source.data() + plen, end - plen);
    return end == kFull ? kFull - 1 : end;
}

// The text before the last dot and the text after it (empty without a dot).
DOLV_HOT void split_at_last_dot(std::string_view text, std::string_view& name,
                                std::string_view& ext) {
    const size_t dot = text.rfind('.');
    name = dot == std::string_view::npos ? text : text.substr(0, dot);
    ext = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
}

}  // namespace

DOLV_HOT ShortText FUSIONJOLLY(const ShortText& source, const ShortText& pattern) {
    for (char c : source.view())
        if (c == '*' || c == '?') HALT(201);

    std::string_view source_name, source_ext, pattern_name, pattern_ext;
    split_at_last_dot(source.view(), source_name, source_ext);
    split_at_last_dot(pattern.view(), pattern_name, pattern_ext);

    // name, '.', extension: each part at most kFull bytes.
    char out[2 * kFull + 1];
    const size_t name = merge_part(pattern_name, source_name, out);
    out[name] = '.';
    const size_t ext = merge_part(pattern_ext, source_ext, out + name + 1);
    if (name + ext + 1 > kFull) return ShortText();

    size_t length = name + 1 + ext;
    while (length > 0 && out[length - 1] == '.') --length;
    return ShortText(std::string_view(out, length));
}

}  // namespace dolv

#include "names/merge.h"

#include <cstdint>
#include <cstring>

#include "base/byte_kinds.h"
#include "base/hot.h"
#include "names/strings.h"
#include "platform/console.h"
#include "platform/exit.h"

namespace dolv {

namespace {

constexpr size_t kFull = ShortText::kMax;

// Merges one part: the pattern part over the source part. The pattern is cut
// before its first '*' (fixed bytes before it), which stands for wildcards
// up to full length; without a '*' the source part is cut to the pattern's
// length. A wildcard takes the source character at its position; the result
// ends before the first position that has no character (a wildcard past the
// end of the source, or the end of the pattern), and a part filled in all
// 255 positions keeps 254. Positions past both texts are empty on both
// sides, so the loop stops at the longer of the two instead of walking all
// 255. The part goes to out (room for kFull bytes); the result is its length.
DOLV_HOT size_t merge_part(const char* pattern, size_t plen, bool star, std::string_view source,
                           char* out) {
    size_t slen = source.size();
    if (!star && slen > plen) slen = plen;
    for (size_t i = 0; i < plen; ++i) {
        char c = pattern[i];
        if (c == '?') {
            if (i >= slen) return i;
            c = source[i];
        }
        out[i] = c;
    }
    if (!star) return plen == kFull ? kFull - 1 : plen;
    // Past the '*' every position is a wildcard: the rest of the source,
    // up to full length.
    if (slen <= plen) return plen;
    const size_t end = slen < kFull ? slen : kFull;
    std::memcpy(out + plen, source.data() + plen, end - plen);
    return end == kFull ? kFull - 1 : end;
}

// The wildcards, which no source name may hold.
constexpr ByteKinds wildcard_bytes() {
    ByteKinds k;
    k.of[static_cast<unsigned char>('*')] = 1;
    k.of[static_cast<unsigned char>('?')] = 1;
    return k;
}
constexpr ByteKinds kWildcardBytes = wildcard_bytes();

}  // namespace

MergePattern merge_pattern(const ShortText& pattern) {
    MergePattern p;
    p.text = pattern;
    const std::string_view v = pattern.view();
    const size_t dot = v.rfind('.');
    const std::string_view name = dot == std::string_view::npos ? v : v.substr(0, dot);
    const std::string_view ext =
        dot == std::string_view::npos ? std::string_view() : v.substr(dot + 1);
    p.ext_start = dot == std::string_view::npos ? 0 : static_cast<uint8_t>(dot + 1);
    const size_t name_star = name.find('*'), ext_star = ext.find('*');
    p.name_star = name_star != std::string_view::npos;
    p.ext_star = ext_star != std::string_view::npos;
    p.name_fixed = static_cast<uint8_t>(p.name_star ? name_star : name.size());
    p.ext_fixed = static_cast<uint8_t>(p.ext_star ? ext_star : ext.size());
    return p;
}

ShortText FUSIONJOLLY(const ShortText& source, const ShortText& pattern) {
    return FUSIONJOLLY(source, merge_pattern(pattern));
}

DOLV_HOT ShortText FUSIONJOLLY(const ShortText& source, const MergePattern& pattern) {
    const std::string_view v = source.view();
    if (kinds_in(v, kWildcardBytes) != 0) end_run(201);
    const size_t dot = v.rfind('.');
    const std::string_view source_name = dot == std::string_view::npos ? v : v.substr(0, dot);
    const std::string_view source_ext =
        dot == std::string_view::npos ? std::string_view() : v.substr(dot + 1);

    // name, '.', extension: each part at most kFull bytes.
    const char* p = pattern.text.data();
    char out[2 * kFull + 1];
    const size_t name = merge_part(p, pattern.name_fixed, pattern.name_star, source_name, out);
    out[name] = '.';
    const size_t ext = merge_part(p + pattern.ext_start, pattern.ext_fixed, pattern.ext_star,
                                  source_ext, out + name + 1);
    if (name + ext + 1 > kFull) return ShortText();

    size_t length = name + 1 + ext;
    while (length > 0 && out[length - 1] == '.') --length;
    return ShortText(std::string_view(out, length));
}

}  // namespace dolv

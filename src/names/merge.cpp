#include "names/merge.h"

#include "names/strings.h"
#include "platform/console.h"

namespace dolv {

namespace {

constexpr int kFull = ShortText::kMax;

// Merges one part: the pattern part over the source part. The pattern is cut
// before its first '*', which stands for wildcards up to full length; without
// a '*' the source part is cut to the pattern's length. A wildcard takes the
// source character at its position; the result ends before the first
// position that has no character (a wildcard past the end of the source, or
// the end of the pattern), and a part filled in all 255 positions keeps 254.
// Positions past both texts are empty on both sides, so the loop stops at
// the longer of the two instead of walking all 255.
ShortText merge_part(const ShortText& pattern, const ShortText& source) {
    int plen = pattern.size();
    const int star = pattern.find('*');
    if (star) plen = star - 1;
    int slen = source.size();
    if (!star && slen > plen) slen = plen;
    const int n = star ? kFull : plen;
    char out[kFull];
    for (int i = 1; i <= n; ++i) {
        unsigned char c = i <= plen ? pattern.at(i) : '?';
        if (c == '?') {
            if (i > slen) return ShortText(std::string_view(out, static_cast<size_t>(i - 1)));
            c = source.at(i);
        }
        out[i - 1] = static_cast<char>(c);
    }
    return ShortText(std::string_view(out, static_cast<size_t>(n == kFull ? kFull - 1 : n)));
}

}  // namespace

ShortText FUSIONJOLLY(const ShortText& source, const ShortText& pattern) {
    if (source.contains('*') || source.contains('?')) HALT(201);

    int ds = POSRL(".", source, source.size());
    int dp = POSRL(".", pattern, pattern.size());
    if (!ds) ds = 256;
    if (!dp) dp = 256;

    const ShortText name = merge_part(pattern.left(dp - 1), source.left(ds - 1));
    const ShortText ext = merge_part(pattern.sub(dp + 1), source.sub(ds + 1));
    if (name.size() + ext.size() + 1 > kFull) return ShortText();

    ShortText result = name + "." + ext;
    while (!result.empty() && result.last() == '.') result.truncate(result.size() - 1);
    return result;
}

}  // namespace dolv

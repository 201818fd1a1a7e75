#include "names/merge.h"

#include <cstring>

#include "names/strings.h"
#include "platform/console.h"

namespace dolv {

namespace {

constexpr int kFull = ShortText::kMax;

// One part of a name held at full length; '?' marks a position without a character.
struct Part {
    char c[kFull];
    int len;
};

Part make_part(const ShortText& text) {
    Part p;
    p.len = text.size();
    std::memcpy(p.c, text.data(), static_cast<size_t>(p.len));
    return p;
}

// A pattern part with a '*' keeps what stands before it, then wildcards to full length.
void expand_star(Part& p) {
    const void* star = std::memchr(p.c, '*', static_cast<size_t>(p.len));
    if (!star) return;
    p.len = static_cast<int>(static_cast<const char*>(star) - p.c);
    std::memset(p.c + p.len, '?', static_cast<size_t>(kFull - p.len));
    p.len = kFull;
}

void fill_to_full(Part& p) {
    std::memset(p.c + p.len, '?', static_cast<size_t>(kFull - p.len));
    p.len = kFull;
}

// Takes the source character wherever the pattern has a wildcard, then keeps
// what stands before the first position left without a character.
ShortText merge_part(Part& pattern, const Part& source) {
    for (int i = 0; i < kFull; ++i)
        if (pattern.c[i] == '?') pattern.c[i] = source.c[i];
    const void* hole = std::memchr(pattern.c, '?', kFull);
    const int len = hole ? static_cast<int>(static_cast<const char*>(hole) - pattern.c) : kFull - 1;
    return ShortText(std::string_view(pattern.c, static_cast<size_t>(len)));
}

}  // namespace

ShortText FUSIONJOLLY(const ShortText& source, const ShortText& pattern) {
    if (source.contains('*') || source.contains('?')) HALT(201);

    int ds = POSRL(".", source, source.size());
    int dp = POSRL(".", pattern, pattern.size());
    if (!ds) ds = 256;
    if (!dp) dp = 256;

    Part sn = make_part(source.left(ds - 1));
    Part se = make_part(source.sub(ds + 1));
    Part pn = make_part(pattern.left(dp - 1));
    Part pe = make_part(pattern.sub(dp + 1));

    expand_star(pn);
    expand_star(pe);
    if (sn.len > pn.len) sn.len = pn.len;
    if (se.len > pe.len) se.len = pe.len;
    fill_to_full(pn);
    fill_to_full(pe);
    fill_to_full(sn);
    fill_to_full(se);

    const ShortText name = merge_part(pn, sn);
    const ShortText ext = merge_part(pe, se);
    if (name.size() + ext.size() + 1 > kFull) return ShortText();

    ShortText result = name + "." + ext;
    while (!result.empty() && result.last() == '.') result.truncate(result.size() - 1);
    return result;
}

}  // namespace dolv

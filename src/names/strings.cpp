#include "names/strings.h"

#include <cstdint>
#include <cstring>

#include "base/hot.h"

namespace dolv {

int POSRL(const ShortText& find, const ShortText& text, int limit) {
    const int n = find.size();
    if (n == 0) return 0;
    const int end = limit < text.size() ? limit : text.size();
    for (int i = end; i >= n; --i) {
        const int start = i - n + 1;
        if (text.view().substr(static_cast<size_t>(start - 1), static_cast<size_t>(n)) ==
            find.view())
            return start;
    }
    return 0;
}

int CONTA(const ShortText& find, const ShortText& text, int position, bool from_position) {
    const ShortText range = from_position ? text.sub(position) : text.left(position);
    const int n = find.size();
    if (n == 0) return 0;
    int count = 0;
    for (int i = 1; i + n - 1 <= range.size(); ++i)
        if (range.view().substr(static_cast<size_t>(i - 1), static_cast<size_t>(n)) == find.view())
            ++count;
    return count;
}

ShortText SINGLE(const ShortText& text) {
    bool seen[256] = {};
    ShortText result;
    for (int i = 1; i <= text.size(); ++i) {
        const unsigned char c = text.at(i);
        if (seen[c]) continue;
        seen[c] = true;
        result += static_cast<char>(c);
    }
    return result;
}

namespace {

// First position at or after from that holds one of the characters in set; 0 when none.
int first_of(const ShortText& text, const bool (&set)[256], int from) {
    for (int i = from; i <= text.size(); ++i)
        if (set[text.at(i)]) return i;
    return 0;
}

}  // namespace

void TESTA_CODA(ShortText text, const ShortText& separators, ShortText& head, ShortText& tail) {
    const ShortText seps = SINGLE(separators);
    head = ShortText();
    tail = ShortText();
    if (text.size() < 2 || seps.empty()) {
        head = text;
        return;
    }
    bool set[256] = {};
    for (int i = 1; i <= seps.size(); ++i) set[seps.at(i)] = true;

    int cut = first_of(text, set, 1);
    if (cut == 1) cut = first_of(text, set, 2);
    if (cut == 0) {
        head = text;
        return;
    }
    head = text.left(cut - 1);
    tail = text.sub(cut);
}

ShortText FDELETE(const ShortText& text, int16_t start, int16_t count) {
    ShortText result = text;
    result.erase(start, count);
    return result;
}

ShortText UPSTR(const ShortText& text) {
    ShortText result = text;
    for (int i = 1; i <= result.size(); ++i) {
        const unsigned char c = result.at(i);
        if (c >= 'a' && c <= 'z') result.set(i, static_cast<char>(c - 'a' + 'A'));
    }
    return result;
}

DOLV_HOT bool sametext(const ShortText& a, const ShortText& b) {
    const std::string_view x = a.view(), y = b.view();
    if (x.size() != y.size()) return false;
    size_t i = 0;
    // Equal bytes are the common case: pass over eight of them at a time.
    for (; i + 8 <= x.size(); i += 8) {
        uint64_t p, q;
        std::memcpy(&p, x.data() + i, 8);
        std::memcpy(&q, y.data() + i, 8);
        if (p != q) break;
    }
    for (; i < x.size(); ++i) {
        const unsigned char p = static_cast<unsigned char>(x[i]),
                            q = static_cast<unsigned char>(y[i]);
        if (p == q) continue;
        // Two different bytes fold together only as the two cases of one
        // ASCII letter, which differ in the 0x20 bit alone.
        const unsigned char lower = p | 0x20;
        if ((p ^ q) != 0x20 || lower < 'a' || lower > 'z') return false;
    }
    return true;
}

}  // namespace dolv

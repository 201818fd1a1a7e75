// The pattern rewrite and the matcher: a walk over the name that keeps the
// set of live expression positions, so the cost never grows beyond
// name length x expression length however many stars a pattern holds.
#include "names/wildcard.h"

#include <vector>

namespace dolv {
namespace {

unsigned char fold(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// The matcher folds letters as a case-insensitive volume does: besides the
// ASCII letters, the accented CP850 letters that have both cases (é and É).
// Letters without a CP850 capital (ß, ÿ, ı, µ) stay as they are.
struct match_fold {
    unsigned char map[256];
    match_fold() {
        for (int c = 0; c < 256; ++c) map[c] = fold(static_cast<unsigned char>(c));
        static const unsigned char pairs[][2] = {
            {0x81, 0x9A}, {0x82, 0x90}, {0x83, 0xB6}, {0x84, 0x8E}, {0x85, 0xB7}, {0x86, 0x8F},
            {0x87, 0x80}, {0x88, 0xD2}, {0x89, 0xD3}, {0x8A, 0xD4}, {0x8B, 0xD8}, {0x8C, 0xD7},
            {0x8D, 0xDE}, {0x91, 0x92}, {0x93, 0xE2}, {0x94, 0x99}, {0x95, 0xE3}, {0x96, 0xEA},
            {0x97, 0xEB}, {0x9B, 0x9D}, {0xA0, 0xB5}, {0xA1, 0xD6}, {0xA2, 0xE0}, {0xA3, 0xE9},
            {0xA4, 0xA5}, {0xC6, 0xC7}, {0xD0, 0xD1}, {0xE4, 0xE5}, {0xE7, 0xE8}, {0xEC, 0xED}};
        for (const auto& p : pairs) map[p[0]] = p[1];
    }
};
const match_fold kMatchFold;

unsigned char match_fold(unsigned char c) {
    return kMatchFold.map[c];
}

constexpr int kEnd = -1;  // the character after the last one of the name

bool is_wildcard(char c) {
    return c == '*' || c == kDosStar || c == kDosQm || c == kDosDot;
}

// The common shape of an expression, a star and then plain text (`*.txt`
// rewritten as `<.txt`), answered without the general walk: the name ends
// with the text, and a `<`, which stops at the name's last dot, takes no more
// than the name up to and including that dot. -1 when the shape is another.
int match_star_suffix(std::string_view expression, std::string_view name) {
    if (expression.size() < 2 || (expression[0] != '*' && expression[0] != kDosStar)) return -1;
    const std::string_view tail = expression.substr(1);
    for (char c : tail)
        if (is_wildcard(c)) return -1;
    if (name.size() < tail.size()) return 0;
    const size_t start = name.size() - tail.size();
    for (size_t i = 0; i < tail.size(); ++i)
        if (match_fold(static_cast<unsigned char>(name[start + i])) !=
            match_fold(static_cast<unsigned char>(tail[i])))
            return 0;
    if (expression[0] == kDosStar) {
        const size_t last_dot = name.rfind('.');
        if (last_dot != std::string_view::npos && start > last_dot + 1) return 0;
    }
    return 1;
}

// What one expression character e does with the name's next character c
// (kEnd after the last one; at_last_dot when c is the name's last dot).
struct Step {
    bool stay = false;     // the position takes c and stays
    bool advance = false;  // the position takes c and moves on
    bool skip = false;     // the position may also match nothing
};

Step step(unsigned char e, int c, bool at_last_dot) {
    Step s;
    switch (e) {
        case '*':
            s.stay = c != kEnd;
            s.skip = true;
            break;
        case kDosStar:
            if (c != kEnd) {
                if (c == '.' && at_last_dot)
                    s.advance = true;
                else
                    s.stay = true;
            }
            s.skip = true;
            break;
        case kDosQm:
            if (c == kEnd || c == '.')
                s.skip = true;
            else
                s.advance = true;
            break;
        case kDosDot:
            if (c == '.')
                s.advance = true;
            else if (c == kEnd)
                s.skip = true;
            break;
        default:
            s.advance = c != kEnd && match_fold(static_cast<unsigned char>(c)) == match_fold(e);
            break;
    }
    return s;
}

enum class Pass { kMatched, kAlive, kDead };

// Feeds one character of the name (kEnd after the last) to the live
// positions in now; next gets the positions alive after it. kMatched when
// the end of the expression takes the end of the name, kDead when no
// position is left.
Pass pass_character(std::string_view expression, int c, bool at_last_dot, unsigned char* now,
                    unsigned char* next) {
    const size_t m = expression.size();
    for (size_t p = 0; p <= m; ++p) next[p] = 0;
    bool any = false;
    auto take = [&](size_t q) {
        next[q] = 1;
        any = true;
    };
    // Positions only move forward, so one pass in order also covers the
    // steps that match nothing (they set now[p + 1] ahead of the loop).
    for (size_t p = 0; p <= m; ++p) {
        if (!now[p]) continue;
        if (p == m) {
            if (c == kEnd) return Pass::kMatched;
            continue;  // nothing left to eat c
        }
        const Step s = step(static_cast<unsigned char>(expression[p]), c, at_last_dot);
        if (s.stay) take(p);
        if (s.advance) take(p + 1);
        if (s.skip) {
            if (p + 1 == m && c != kEnd)
                take(m);  // the end reached by matching nothing has eaten c
            else
                now[p + 1] = 1;
        }
    }
    if (c == kEnd || !any) return Pass::kDead;
    return Pass::kAlive;
}
}  // namespace

bool has_wildcards(std::string_view pattern) {
    return pattern.find_first_of("*?<>\"") != std::string_view::npos;
}

std::string wildcard_expression(std::string_view pattern) {
    bool trailing_dot = !pattern.empty() && pattern.back() == '.';
    while (!pattern.empty() && (pattern.back() == '.' || pattern.back() == ' '))
        pattern.remove_suffix(1);
    if (pattern.empty()) return std::string();
    if (pattern == "*.*") return "*";

    std::string expr(pattern);
    for (size_t i = 0; i < pattern.size(); ++i) {
        char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        switch (pattern[i]) {
            case '?':
                expr[i] = kDosQm;
                break;
            case '.':
                if (next == '?' || next == '*') expr[i] = kDosDot;
                break;
            case '*':
                if (next == '.') expr[i] = kDosStar;
                break;
            default:
                break;
        }
    }
    if (trailing_dot && expr.back() == '*') expr.back() = kDosStar;
    return expr;
}

bool wildcard_match_expression(std::string_view expression, std::string_view name) {
    if (expression.empty() || name.empty()) return false;
    const int quick = match_star_suffix(expression, name);
    if (quick >= 0) return quick == 1;
    const size_t m = expression.size();
    const size_t last_dot = name.rfind('.');

    // alive[p]: expression position p can take the next character; p == m is
    // the end of the expression.
    unsigned char small_now[64], small_next[64];
    std::vector<unsigned char> big_now, big_next;
    unsigned char* now = small_now;
    unsigned char* next = small_next;
    if (m + 1 > sizeof small_now) {
        big_now.assign(m + 1, 0);
        big_next.assign(m + 1, 0);
        now = big_now.data();
        next = big_next.data();
    }
    for (size_t p = 0; p <= m; ++p) now[p] = 0;
    now[0] = 1;

    for (size_t i = 0; i <= name.size(); ++i) {
        const int c = i < name.size() ? static_cast<unsigned char>(name[i]) : kEnd;
        switch (pass_character(expression, c, i == last_dot, now, next)) {
            case Pass::kMatched:
                return true;
            case Pass::kDead:
                return false;
            case Pass::kAlive:
                break;
        }
        unsigned char* t = now;
        now = next;
        next = t;
    }
    return false;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
    return wildcard_match_expression(wildcard_expression(pattern), name);
}

bool name_equal_folded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (match_fold(static_cast<unsigned char>(a[i])) !=
            match_fold(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int name_compare(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = fold(static_cast<unsigned char>(a[i]));
        unsigned char y = fold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace dolv

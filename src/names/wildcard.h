// Matching of directory-search patterns (`*`, `?`) against names, with the
// rules of a Windows long-name search, and the order in which the search
// hands out names (names/search), on every system.
#pragma once

#include <string>
#include <string_view>

namespace dolv {

// The wildcard characters of a rewritten expression.
constexpr char kDosStar = '<';  // `*` that stops at the name's last dot
constexpr char kDosQm = '>';    // `?` that may match nothing before a dot or at the end
constexpr char kDosDot = '"';   // `.` that may match the end of the name

// True when a pattern holds a wildcard (`*`, `?`, or one of `<`, `>`, `"`,
// which act as the rewritten wildcards when typed).
bool HAS_WILDCARDS(std::string_view pattern);

// The pattern as the matcher reads it: trailing dots and blanks stripped,
// `*.*` as `*`, and `?`, `.` and `*` turned into their DOS forms where
// their neighbours ask for it. Empty when the pattern can match nothing.
std::string WILDCARD_EXPRESSION(std::string_view pattern);

// True when the name matches an expression made by WILDCARD_EXPRESSION.
// Letters match regardless of case (the ASCII letters and the CP850 letters
// with both cases, as on a case-insensitive volume); other bytes must be equal.
// Cost: O(name length x expression length), no allocation for short names.
bool WILDCARD_MATCH_EXPRESSION(std::string_view expression, std::string_view name);

// WILDCARD_EXPRESSION and WILDCARD_MATCH_EXPRESSION in one step.
bool WILDCARD_MATCH(std::string_view pattern, std::string_view name);

// True when two names are equal with letters folded as the matcher folds them.
bool NAME_EQUAL_FOLDED(std::string_view a, std::string_view b);

// The search order: ASCII letters folded to upper case first, then the
// plain bytes (so `a` and `A` have a fixed order). Negative, 0, positive.
int NAME_COMPARE(std::string_view a, std::string_view b);
inline bool NAME_BEFORE(std::string_view a, std::string_view b) {
    return NAME_COMPARE(a, b) < 0;
}

}  // namespace dolv

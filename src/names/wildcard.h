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
bool has_wildcards(std::string_view pattern);

// The pattern as the matcher reads it: trailing dots and blanks stripped,
// `*.*` as `*`, and `?`, `.` and `*` turned into their DOS forms where
// their neighbours ask for it. Empty when the pattern can match nothing.
std::string wildcard_expression(std::string_view pattern);

// True when the name matches an expression made by wildcard_expression.
// Letters match regardless of case (the ASCII letters and the CP850 letters
// with both cases, as on a case-insensitive volume); other bytes must be equal.
// Cost: O(name length x expression length), no allocation for short names.
bool wildcard_match_expression(std::string_view expression, std::string_view name);

// wildcard_expression and wildcard_match_expression in one step.
bool wildcard_match(std::string_view pattern, std::string_view name);

// True when two names are equal with letters folded as the matcher folds them.
bool name_equal_folded(std::string_view a, std::string_view b);

// The search order: ASCII letters folded to upper case first, then the
// plain bytes (so `a` and `A` have a fixed order). Negative, 0, positive.
int name_compare(std::string_view a, std::string_view b);
inline bool name_before(std::string_view a, std::string_view b) {
    return name_compare(a, b) < 0;
}

}  // namespace dolv

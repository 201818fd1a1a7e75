#include "run/split.h"

#include <type_traits>

namespace dolv {

namespace {

// The quote and separator rules look at ASCII only, so they read the same on
// CP850 bytes and on UTF-16 units: every other character is part of a word.
template <class Char>
std::vector<std::basic_string<Char>> split_words(std::basic_string_view<Char> line) {
    using Unit = std::make_unsigned_t<Char>;
    constexpr Char kDouble = static_cast<Char>('"');
    constexpr Char kSingle = static_cast<Char>('\'');
    std::vector<std::basic_string<Char>> words;
    std::basic_string<Char> word;
    bool in_word = false;  // a character of the current word has been taken
    Char quote = 0;        // the quote character of the open stretch, 0 outside
    const size_t n = line.size();
    for (size_t i = 0; i < n; ++i) {
        const Char c = line[i];
        const bool is_quote = c == kDouble || c == kSingle;
        if (is_quote && (quote == 0 || quote == c)) {
            if (i + 1 < n && line[i + 1] == c) {
                // Two equal quotes in a row are dropped and change nothing.
                ++i;
            } else {
                quote = quote == 0 ? c : 0;
            }
            continue;
        }
        if (quote == 0 && static_cast<Unit>(c) < 33) {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
            continue;
        }
        word += c;
        in_word = true;
    }
    if (in_word) words.push_back(word);
    // The first word is the program's own name.
    if (!words.empty()) words.erase(words.begin());
    return words;
}

}  // namespace

std::vector<std::string> split_command_line(const std::string& line) {
    return split_words<char>(line);
}

std::vector<std::wstring> split_command_line(std::wstring_view line) {
    return split_words<wchar_t>(line);
}

}  // namespace dolv

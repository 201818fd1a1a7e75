#include "run/split.h"

namespace dolv {

std::vector<std::string> SPLIT_COMMAND_LINE(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;  // a character of the current word has been taken
    char quote = 0;        // the quote character of the open stretch, 0 outside
    const size_t n = line.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = line[i];
        const bool is_quote = c == '"' || c == '\'';
        if (is_quote && (quote == 0 || quote == c)) {
            if (i + 1 < n && line[i + 1] == c) {
                // Two equal quotes in a row are dropped and change nothing.
                ++i;
            } else {
                quote = quote == 0 ? c : 0;
            }
            continue;
        }
        if (quote == 0 && static_cast<unsigned char>(c) < 33) {
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

}  // namespace dolv

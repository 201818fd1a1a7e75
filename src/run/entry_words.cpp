#include "run/entry_words.h"

namespace dolv {

HelpWords take_help_words(std::vector<std::string>& args) {
    HelpWords first = HelpWords::kNone;
    for (std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            arg = "/?";
            if (first == HelpWords::kNone) first = HelpWords::kHelp;
        } else if (arg == "--version" && first == HelpWords::kNone) {
            first = HelpWords::kVersion;
        }
    }
    return first;
}

}  // namespace dolv

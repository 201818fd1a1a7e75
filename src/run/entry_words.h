// The words every command answers where the system has the habit
// (system_conventions().help_words): `--help` and `-h` stand for `/?`, and
// `--version` asks for the version line, whichever of the two comes first.
// Any other argument that begins with `-` stays a name.
#pragma once

#include <string>
#include <vector>

namespace dolv {

enum class HelpWords { kNone, kHelp, kVersion };

// Turns each help word of args into "/?"; tells which of the words came first.
HelpWords take_help_words(std::vector<std::string>& args);

}  // namespace dolv

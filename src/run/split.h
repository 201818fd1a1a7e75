// Splitting one command-line text into arguments by the program's quote rules.
#pragma once

#include <string>
#include <vector>

#include "platform/entry.h"

namespace dolv {

// The arguments of a whole command line; the first word (the program's own name) is dropped.
// (The wide form, for a platform that keeps its command line as UTF-16, is declared in
// platform/entry.h and follows the same rules.)
std::vector<std::string> split_command_line(const std::string& line);

}  // namespace dolv

// Splitting one command-line text into arguments by the program's quote rules.
#pragma once

#include <string>
#include <vector>

namespace dolv {

// The arguments of a whole command line; the first word (the program's own name) is dropped.
std::vector<std::string> SPLIT_COMMAND_LINE(const std::string& line);

}  // namespace dolv

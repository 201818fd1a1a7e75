// The command-line reader: arguments into Settings.
#pragma once

#include <string>
#include <vector>

#include "base/short_text.h"

namespace dolv {

// Resets Settings to their defaults.
void RESET_SETTINGS();
// Reads every argument, segment by segment, into Settings. May end the run
// (help screen, kBadOption or kBadOptionValue).
void READ_ARGUMENTS(const std::vector<std::string>& args);

}  // namespace dolv

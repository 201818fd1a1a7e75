// The command-line reader: arguments into Settings.
#pragma once

#include <string>
#include <vector>

#include "base/short_text.h"

namespace dolv {

// Resets Settings to their defaults.
void reset_settings();
// Reads every argument, segment by segment, into Settings. May end the run
// (help screen, kBadOption or kBadOptionValue).
void read_arguments(const std::vector<std::string>& args);
// The same with the system's reading given: slash_paths reads a '/' that
// does not start a trailing option as a path separator (the POSIX reading),
// else every '/' starts a segment (the Windows reading).
void read_arguments(const std::vector<std::string>& args, bool slash_paths);

}  // namespace dolv

// The run driver: one run from set-up to exit.
#pragma once

#include <string>
#include <vector>

namespace dolv {

// Runs DOLV with these arguments (CP850), from set-up to the end of the
// process (end_run: 0 after the normal end, 1 after an error).
[[noreturn]] void run(const std::vector<std::string>& args);

}  // namespace dolv

// The run driver: one run from set-up to exit.
#pragma once

#include <string>
#include <vector>

namespace dolv {

// Runs DOLV with these arguments (CP850); returns only at the normal end,
// with exit code 0.
int RUN(const std::vector<std::string>& args);

}  // namespace dolv

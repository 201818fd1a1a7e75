// The fatal-error exit and the number format.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

// Writes the message of code (1..13) on the console, the partial counts for
// codes 4 and 7, closes the report file, shows the cursor, exits with 1.
[[noreturn]] void ERR(uint8_t code);

// The closing of the report file that ERR runs before it exits. The report
// channel sets it when it opens the file, so that ERR needs nothing from the
// channel; nullptr (the start) closes nothing.
using ReportCloser = void (*)();
void SET_REPORT_CLOSER(ReportCloser closer);

// value in decimal with a dot between groups of three digits: 1234567 -> "1.234.567".
ShortText DIM_PUNTO(int64_t value);
ShortText FREVERSE(const ShortText& text);

}  // namespace dolv

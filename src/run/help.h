// The usage screen.
#pragma once

#include "names/short_text.h"

namespace dolv {

[[noreturn]] void HELP();
ShortText OS_PROG();
// The release, "1.30.0": the project's version, set where the program is built.
const char* PROGRAM_VERSION();

}  // namespace dolv

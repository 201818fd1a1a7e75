// The usage screen.
#pragma once

#include "base/short_text.h"

namespace dolv {

[[noreturn]] void HELP();
ShortText OS_PROG();

}  // namespace dolv

// Prefix, suffix and padding of new names, applied after the merge and the
// case conversion, in the order REM_PRESU, PRESU, ALLINEA.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

// Takes prefix and suffix (both upper case) off the name part, where it
// starts or ends with them in any letter case; a final '.' goes too.
ShortText REM_PRESU(const ShortText& name, const ShortText& prefix, const ShortText& suffix);
// Puts prefix and suffix around the name part, as typed.
ShortText PRESU(const ShortText& name, const ShortText& prefix, const ShortText& suffix);
// mode 'L' or 'R' pads the name part with '_' on the left or on the right up
// to length bytes; any other mode (0) leaves the name as it is.
ShortText ALLINEA(const ShortText& name, char mode, int32_t length);

}  // namespace dolv

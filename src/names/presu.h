// Prefix, suffix and padding of new names, applied after the merge and the
// case conversion, in the order REM_PRESU, PRESU, ALLINEA.
#pragma once

#include "base/short_text.h"

namespace dolv {

ShortText REM_PRESU(const ShortText& name);
ShortText PRESU(const ShortText& name);
ShortText ALLINEA(const ShortText& name);

}  // namespace dolv

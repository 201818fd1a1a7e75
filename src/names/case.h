// The case option and the coloured display forms of names.
#pragma once

#include "base/short_text.h"

namespace dolv {

// Applies the case option mode: '+' upper, '-' lower, anything else ('0') unchanged.
ShortText CONVERSION(const ShortText& name, char mode);
// Writes " in " and the name in green on the console; returns the empty text.
ShortText CONVERSION2(const ShortText& name);
// Writes the kind of the item and its full path in green; returns the empty text.
ShortText CONVERSION3(const ShortText& path);

}  // namespace dolv

// Path texts: the split into directory, name and extension, and the
// replacement of an extension. Pure text, no system call, the same on every
// system.
#pragma once

#include "base/short_text.h"

namespace dolv {

// Splits a path into directory (up to and including the last `\`, a drive
// `X:` included), name, and extension (from the last `.`, dot included).
void FSPLIT(const ShortText& path, ShortText& dir, ShortText& name, ShortText& ext);
// Replaces the text from the last `.` after the last `\`, `/` or `:` by ext,
// or appends ext when there is no such `.`.
ShortText CHANGEFILEEXT(const ShortText& path, const ShortText& ext);

}  // namespace dolv

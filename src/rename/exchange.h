// The exchange of two names through a temporary name.
#pragma once

#include "base/short_text.h"

namespace dolv {

void EXCHANGENAME(const ShortText& file1, const ShortText& file2);

// The temporary name of an exchange, in the directory of the first item.
ShortText exchange_temp_path(const ShortText& a);
// True when inner lies below outer (full paths, ASCII letters folded, at a
// `\` boundary).
bool path_inside(const ShortText& outer, const ShortText& inner);

}  // namespace dolv

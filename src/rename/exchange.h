// The exchange of two names through a temporary name.
#pragma once

#include "names/short_text.h"

namespace dolv {

void EXCHANGENAME(const ShortText& file1, const ShortText& file2);
unsigned char MESSERREXCHANGE(const ShortText& a, const ShortText& b);

}  // namespace dolv

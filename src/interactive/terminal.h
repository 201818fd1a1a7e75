// The terminal rename: the user edits each new name.
#pragma once

#include "base/short_text.h"

namespace dolv {

void TERMINALE_INTERATTIVO(const ShortText& source);

}  // namespace dolv

// Name validity: 0 means acceptable, anything else a position of the fault.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

uint8_t VALIDNAMEWIN(const ShortText& path);
// The same without the quick look that answers most paths at once: every
// check made one by one.
uint8_t validnamewin_full(const ShortText& path);
uint8_t CHARRESERVED(const ShortText& text, bool wildcards_reserved);
bool NAMERESERVED(const ShortText& name_or_path);
bool LETTERS(char c);

}  // namespace dolv

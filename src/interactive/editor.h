// The line editor: a bracketed, scrolling field on the current row.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

ShortText READSTRING2(const ShortText& initial, uint8_t left, uint8_t right, bool& overwrite,
                      uint8_t& extended, uint8_t& last_key, uint8_t& column, uint8_t& position);
int GETTEXTMAXX();

}  // namespace dolv

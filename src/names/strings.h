// Text helpers shared by the name transformations, checks and option reader.
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

// Position of the last occurrence of find lying wholly within the first
// limit characters of text; 0 when none.
int POSRL(const ShortText& find, const ShortText& text, int limit);
// Occurrences of find in text from position on (flag true) or in its first position chars.
int CONTA(const ShortText& find, const ShortText& text, int position, bool from_position);
// The text without characters that already occurred earlier in it.
ShortText SINGLE(const ShortText& text);
// Splits off the first piece of text at any of the separator characters.
void TESTA_CODA(ShortText text, const ShortText& separators, ShortText& head, ShortText& tail);
// A copy of text with count characters removed from start on.
ShortText FDELETE(const ShortText& text, int16_t start, int16_t count);
// a..z raised to A..Z; nothing else changes.
ShortText UPSTR(const ShortText& text);
// True when UPSTR(a) == UPSTR(b), without making either.
bool sametext(const ShortText& a, const ShortText& b);

}  // namespace dolv

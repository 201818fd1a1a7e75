// The answer to a question: one key among a few, read from the console.
#pragma once

#include <string_view>

#include "base/short_text.h"

namespace dolv {

// Reads keys until one is among `accepted` (letters a-z count as A-Z; the
// second code of an extended key is read and dropped; other keys are ignored
// without a sign). Returns the accepted key; echoes nothing.
unsigned char readanswer(std::string_view accepted);
// The echo of an answer: the key, a line end and an empty line.
void echo_answer(unsigned char key);
// "<old> <joiner> <new>": the old name in its colour, the joiner in the
// normal one, the new name in its colour; no line end.
void write_name_pair(const ShortText& old_name, const ShortText& joiner, const ShortText& new_name);

}  // namespace dolv

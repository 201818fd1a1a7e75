// The answer to a question: one key among a few, read from the console.
#pragma once

#include <string_view>

namespace dolv {

constexpr unsigned char KEY_ESC = 27;

// Reads keys until one is among `accepted` (letters a-z count as A-Z; the
// second code of an extended key is read and dropped; other keys are ignored
// without a sign). Returns the accepted key; echoes nothing.
unsigned char READANSWER(std::string_view accepted);

// Ends the current console line unless the cursor stands in column 1.
void FRESHLINE();

}  // namespace dolv

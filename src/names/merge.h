// The wildcard merge of a source name with the destination pattern.
#pragma once

#include "base/short_text.h"

namespace dolv {

// Merges the bare source name with the pattern, name part and extension
// each position by position. Empty when the result would pass 255 characters.
ShortText FUSIONJOLLY(const ShortText& source, const ShortText& pattern);

}  // namespace dolv

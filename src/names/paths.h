// Path and file helpers: split, expand, ask about items, count matches,
// shorten for display.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/short_text.h"

namespace dolv {

ShortText PATHOF(const ShortText& path);  // drive and directory, with closing `\` or `:`
ShortText NAMEOF(const ShortText& path);  // last component
// A path's folder (the text before its last name, as the platform's listing
// takes it) and its last name, trailing separators ignored.
void split_last(std::string_view path, std::string_view& dir, std::string_view& name);
ShortText ESPANSIONE(const ShortText& text, bool absolute);
ShortText FEXPAND2(const ShortText& text);
int64_t EXIST(const ShortText& path);  // size of a file (not a directory), else -1
bool ISDIR(const ShortText& path);
// The five flags of ATTR from an attribute byte the search already gave.
ShortText attr_text(uint8_t attr);
ShortText ATTR(const ShortText& path);  // "ARHSD" flags with '_', or empty
int32_t CONTATHIS(const ShortText& directory, const ShortText& pattern);
ShortText TRUNCPATH(const ShortText& path, int width);

}  // namespace dolv

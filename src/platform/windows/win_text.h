// Text at the Windows boundary: CP850 names and paths to UTF-16 and back.
#pragma once

#include <string>
#include <string_view>

#include "base/short_text.h"

namespace dolv {

// A CP850 path as the wide-character API wants it: `/` becomes `\`. False
// when the text holds a byte that has no character (never for CP850).
bool cp850_to_wide_path(std::string_view path, std::wstring& out);
// CP850 text as UTF-16, character for character (an environment name).
std::wstring cp850_to_wide(std::string_view text);
// A wide name or path in CP850. False when some character has no CP850 byte
// (nothing is ever replaced by a look-alike) or the result passes 255 bytes.
bool wide_to_cp850(std::wstring_view wide, std::string& out);
// As wide_to_cp850, but every character CP850 lacks becomes 0x1A: for the
// command line and the environment, where an unusable character must still
// leave a trace that every name check refuses.
std::string wide_to_cp850_lossy(std::wstring_view wide);

}  // namespace dolv

// CP850 <-> UTF-16 through the system's code page 850 tables. Bytes below
// 0x80 are ASCII (control bytes stay control characters, as in a name);
// console glyphs are the console's business, not the file system's.
#include "platform/windows/win_text.h"

#include <windows.h>

namespace dolv {

namespace {
constexpr UINT kCp850 = 850;
constexpr char kNoCharacter = 0x1A;
}  // namespace

std::wstring cp850_to_wide(std::string_view text) {
    std::wstring out;
    if (text.empty()) return out;
    int n = MultiByteToWideChar(kCp850, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return out;
    out.resize(static_cast<size_t>(n));
    MultiByteToWideChar(kCp850, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

bool cp850_to_wide_path(std::string_view path, std::wstring& out) {
    out = cp850_to_wide(path);
    if (out.empty() && !path.empty()) return false;
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return true;
}

bool wide_to_cp850(std::wstring_view wide, std::string& out) {
    out.clear();
    if (wide.empty()) return true;
    if (wide.size() > static_cast<size_t>(ShortText::kMax)) return false;
    char buf[ShortText::kMax * 2];
    BOOL used_default = FALSE;
    int n =
        WideCharToMultiByte(kCp850, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), buf, sizeof buf, nullptr, &used_default);
    if (n <= 0 || used_default || n > ShortText::kMax) return false;
    out.assign(buf, static_cast<size_t>(n));
    return true;
}

std::string wide_to_cp850_lossy(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        wchar_t c = wide[i];
        // A surrogate pair is one character, and CP850 has none above U+FFFF.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            ++i;
            out += kNoCharacter;
            continue;
        }
        char byte = 0;
        BOOL used_default = FALSE;
        int n = WideCharToMultiByte(kCp850, WC_NO_BEST_FIT_CHARS, &c, 1, &byte, 1, nullptr,
                                    &used_default);
        out += (n == 1 && !used_default) ? byte : kNoCharacter;
    }
    return out;
}

}  // namespace dolv

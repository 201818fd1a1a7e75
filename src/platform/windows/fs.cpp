// File-system services on the wide-character API. Every path crosses the
// boundary as UTF-16 made from its CP850 text; results come back as CP850.
#include "platform/fs.h"

#include <windows.h>

#include <string>

#include "platform/windows/win_fs.h"
#include "platform/windows/win_text.h"

namespace dolv {

namespace {

bool wide_path(const ShortText& path, std::wstring& out) {
    return !path.empty() && cp850_to_wide_path(path.view(), out);
}

}  // namespace

std::wstring full_path(const std::wstring& path) {
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::wstring();
    std::wstring out(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, out.data(), nullptr);
    out.resize(n);
    return out;
}

ShortText FEXPAND(const ShortText& path) {
    std::wstring wide;
    if (!cp850_to_wide_path(path.view(), wide)) return path;
    // The system drops trailing dots and blanks of the last component
    // (`*.` would become `*`): that component is kept as written and only
    // what leads to it is expanded.
    std::wstring tail;
    size_t cut = wide.find_last_of(L"\\:");
    std::wstring last = cut == std::wstring::npos ? wide : wide.substr(cut + 1);
    if (!last.empty() && last != L"." && last != L".." &&
        (last.back() == L'.' || last.back() == L' ')) {
        tail = last;
        wide.resize(wide.size() - last.size());
    }
    if (wide.empty()) wide = L".";
    std::wstring full = full_path(wide);
    if (full.empty()) return path;
    if (!tail.empty() && full.back() != L'\\') full += L'\\';
    full += tail;
    return ShortText(wide_to_cp850_lossy(full));
}

ShortText GETENV(const ShortText& name) {
    if (name.empty()) return ShortText();
    std::wstring wide = cp850_to_wide(name.view());
    DWORD n = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (n == 0) return ShortText();
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(wide.c_str(), value.data(), n);
    value.resize(n);
    return ShortText(wide_to_cp850_lossy(value));
}

int rename_no_replace(const ShortText& from, const ShortText& to) {
    std::wstring wide_from, wide_to;
    if (!wide_path(from, wide_from) || !wide_path(to, wide_to)) return kStatusInvalidName;
    // No MOVEFILE_REPLACE_EXISTING: an existing destination makes it fail.
    if (MoveFileExW(wide_from.c_str(), wide_to.c_str(), 0)) return 0;
    const DWORD e = GetLastError();
    return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? kStatusExists
                                                               : last_error_status();
}

// MoveFileExW never needs a placeholder: there is nothing to tell.
void set_placeholder_notice(PlaceholderNotice) {}

int delete_file(const ShortText& path) {
    std::wstring wide;
    if (!wide_path(path, wide)) return kStatusFileNotFound;
    return DeleteFileW(wide.c_str()) ? 0 : last_error_status();
}

// A folder's last-write time on Windows is kept lazily, and may be set by
// anyone who may write it: no stamp the program could lean on.
int64_t folder_stamp(const ShortText&) {
    return 0;
}

int remove_empty_directory(const ShortText& path) {
    std::wstring wide;
    if (!wide_path(path, wide)) return kStatusFileNotFound;
    return RemoveDirectoryW(wide.c_str()) ? 0 : last_error_status();
}

uint32_t process_id() {
    return static_cast<uint32_t>(GetCurrentProcessId());
}

int last_error_status() {
    DWORD e = GetLastError();
    return e == 0 ? 1 : static_cast<int>(e);
}

}  // namespace dolv

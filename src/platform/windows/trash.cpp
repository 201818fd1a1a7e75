// The Recycle Bin of the item's volume, as Explorer keeps it:
// <volume>\$Recycle.Bin\<the user's SID>\ holds each item as $R<id><ext>
// beside its description $I<id><ext> (version 2: the size, the time of
// deletion and the original path). The description is made first, with
// CREATE_NEW, then the item is renamed there (never a copy, never over
// another item), so Explorer lists it and can restore it, and the program
// knows where it went. A volume whose Recycle Bin folder the system has not
// made for the user takes nothing: the program makes none itself, as the
// folder's access rules are the system's.
#include "platform/trash.h"

#include <windows.h>
// (after windows.h)
#include <sddl.h>

#include <cstdint>
#include <string>

#include "platform/fs.h"
#include "platform/windows/win_fs.h"
#include "platform/windows/win_text.h"

namespace dolv {
namespace {

constexpr int kMostNames = 100;

// The user's SID as text ("S-1-5-21-..."), empty when it cannot be had.
std::wstring user_sid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::wstring();
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    std::wstring sid;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        LPWSTR text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
            sid = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}

// The Recycle Bin folder of the volume that holds item, empty when there is none.
std::wstring bin_for(const std::wstring& item) {
    wchar_t root[MAX_PATH + 1];
    if (!GetVolumePathNameW(item.c_str(), root, MAX_PATH)) return std::wstring();
    const std::wstring sid = user_sid();
    if (sid.empty()) return std::wstring();
    std::wstring bin = root;
    if (!bin.empty() && bin.back() != L'\\') bin += L'\\';
    bin += L"$Recycle.Bin\\" + sid;
    const DWORD attributes = GetFileAttributesW(bin.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::wstring();
    return bin + L'\\';
}

// The extension of a name, from its last dot, "" without one.
std::wstring extension_of(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
    return path.substr(dot);
}

// Six characters that name one item of the bin.
std::wstring id_text(unsigned n) {
    static const wchar_t kChars[] = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::wstring out;
    for (int i = 0; i < 6; ++i, n /= 36) out += kChars[n % 36];
    return out;
}

void put_u64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The description of item ($I, version 2), made exclusively.
bool make_info(const std::wstring& info, const std::wstring& item, uint64_t size) {
    HANDLE h = CreateFileW(info.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    std::string bytes;
    put_u64(bytes, 2);
    put_u64(bytes, size);
    put_u64(bytes, (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    const uint32_t chars = static_cast<uint32_t>(item.size() + 1);
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((chars >> (8 * i)) & 0xFF);
    for (wchar_t c : item) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    bytes.append(2, '\0');
    DWORD written = 0;
    const bool ok =
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(h);
    if (!ok) DeleteFileW(info.c_str());
    return ok;
}

bool program_form(const std::wstring& path, ShortText& out) {
    std::string cp850;
    if (!wide_to_cp850(path, cp850)) return false;
    out = ShortText(cp850);
    return true;
}

// Moves item into bin under the first free id, told first to notice; 0 or
// a status.
int move_into(const ShortText& path, const std::wstring& item, const std::wstring& bin,
              uint64_t size, ShortText& trashed, TrashNotice notice) {
    const std::wstring ext = extension_of(item);
    unsigned seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < kMostNames; ++attempt, seed = seed * 1103515245u + 12345u) {
        const std::wstring id = id_text(seed);
        const std::wstring info = bin + L"$I" + id + ext;
        const std::wstring file = bin + L"$R" + id + ext;
        if (!program_form(file, trashed)) return kStatusInvalidName;
        if (!make_info(info, item, size)) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return kStatusPathNotFound;
        }
        if (!notice(path, trashed)) {
            DeleteFileW(info.c_str());
            return kStatusInvalidName;
        }
        if (MoveFileExW(item.c_str(), file.c_str(), 0)) return 0;
        const DWORD error = GetLastError();
        DeleteFileW(info.c_str());
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return static_cast<int>(error);
    }
    return kStatusExists;
}

// The description of a file in the Recycle Bin: $I beside its $R.
std::wstring info_of(const std::wstring& file) {
    std::wstring info = file;
    const size_t slash = info.rfind(L'\\');
    const size_t at = slash == std::wstring::npos ? 0 : slash + 1;
    if (info.compare(at, 2, L"$R") == 0) info[at + 1] = L'I';
    return info;
}

}  // namespace

int trash_file(const ShortText& path, ShortText& trashed, TrashNotice notice) {
    std::wstring wide;
    if (!cp850_to_wide_path(path.view(), wide)) return kStatusInvalidName;
    const std::wstring item = full_path(wide);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (item.empty() || !GetFileAttributesExW(item.c_str(), GetFileExInfoStandard, &data))
        return kStatusFileNotFound;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kStatusInvalidName;
    const std::wstring bin = bin_for(item);
    if (bin.empty()) return kStatusPathNotFound;
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return move_into(path, item, bin, size, trashed, notice);
}

bool trash_takes(const ShortText& path) {
    std::wstring wide;
    if (!cp850_to_wide_path(path.view(), wide)) return false;
    const std::wstring item = full_path(wide);
    const DWORD attributes = GetFileAttributesW(item.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return !bin_for(item).empty();
}

int untrash_file(const ShortText& trashed, const ShortText& path) {
    std::wstring file, item;
    if (!cp850_to_wide_path(trashed.view(), file) || !cp850_to_wide_path(path.view(), item))
        return kStatusInvalidName;
    const std::wstring info = info_of(file);
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return kStatusFileNotFound;
    if (!MoveFileExW(file.c_str(), item.c_str(), 0)) {
        const DWORD error = GetLastError();
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                   ? kStatusExists
                   : static_cast<int>(error);
    }
    DeleteFileW(info.c_str());
    return 0;
}

}  // namespace dolv

// What the system tells of the entries of a folder and of one item, on the
// wide-character API. The listing gives every entry's attributes and size,
// and never the system's own matching (nor its 8.3 short names, through
// which `*.txt` would find `x.txtx`): the program's search does the matching.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/fs.h"
#include "platform/known_answers.h"
#include "platform/name_chars.h"
#include "platform/windows/win_fs.h"
#include "platform/windows/win_text.h"

namespace dolv {
namespace {

struct WindowsDir final : OpenDir {};

uint8_t dos_attributes(DWORD attributes) {
    return static_cast<uint8_t>(attributes &
                                (FA_READONLY | FA_HIDDEN | FA_SYSFILE | FA_DIRECTORY | FA_ARCHIVE));
}

int64_t size_of(DWORD high, DWORD low) {
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

// A file time (100 ns steps since 1601) in nanoseconds since 1970 UTC.
int64_t nanoseconds(const FILETIME& t) {
    constexpr int64_t kStepsTo1970 = 116444736000000000LL;
    return (size_of(t.dwHighDateTime, t.dwLowDateTime) - kStepsTo1970) * 100;
}

// The CP850 name of a listed name, and what keeps the program from it.
NameFault cp850_name(const wchar_t* wide, std::string& name) {
    if (!wide_to_cp850(wide, name) || name.empty()) {
        name = wide_to_cp850_lossy(wide);
        if (name.size() > ShortText::kMax) name.resize(ShortText::kMax);
        return NameFault::kNoCp850;
    }
    return windows_name_chars(name) ? NameFault::kNone : NameFault::kWindowsChars;
}

// The stored form of the name a path ends with, as its folder lists it;
// empty when it cannot be had in CP850.
ShortText stored_name(const std::wstring& wide_path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(wide_path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return ShortText();
    FindClose(find);
    std::string stored;
    if (cp850_name(data.cFileName, stored) != NameFault::kNone) return ShortText();
    return ShortText(stored);
}

// Whether the file IDs of a volume stay the items' own: NTFS and ReFS keep
// an ID for each file (with a sequence number that changes when its record
// is used again); FAT and exFAT make it from where the entry lies. Asked
// once for each volume.
bool ids_last(HANDLE h, DWORD serial) {
    static KnownAnswers<DWORD> known;
    return known.get(serial, [h] {
        wchar_t name[MAX_PATH + 1] = L"";
        if (!GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, name,
                                           MAX_PATH + 1))
            return true;
        const std::wstring_view fs = name;
        return !(fs.starts_with(L"FAT") || fs == L"exFAT");
    });
}

// Attributes, size, identity and times from the item opened without any
// access asked for (directories too, and a link itself).
int identity_info(const std::wstring& wide, ItemInfo& info) {
    HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return last_error_status();
    BY_HANDLE_FILE_INFORMATION data;
    const bool ok = GetFileInformationByHandle(h, &data);
    const int status = ok ? 0 : last_error_status();
    if (ok) info.id_lasting = ids_last(h, data.dwVolumeSerialNumber);
    CloseHandle(h);
    if (!ok) return status;
    info.attr = dos_attributes(data.dwFileAttributes);
    info.size = size_of(data.nFileSizeHigh, data.nFileSizeLow);
    info.id.device = data.dwVolumeSerialNumber;
    info.id.inode = (static_cast<uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    info.modified_ns = nanoseconds(data.ftLastWriteTime);
    info.birth_ns = nanoseconds(data.ftCreationTime);
    return 0;
}

}  // namespace

std::unique_ptr<OpenDir> list_directory(const ShortText& dir, DirVisitor& visitor) {
    std::wstring pattern;
    if (!cp850_to_wide_path(dir.view(), pattern)) return nullptr;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L':') pattern += L'\\';
    pattern += L'*';
    std::unique_ptr<OpenDir> listed = std::make_unique<WindowsDir>();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
        return listed;  // nothing in it
    }
    std::string name;
    ListedEntry e;
    e.complete = true;
    do {
        e.fault = cp850_name(data.cFileName, name);
        e.name = name;
        e.native = e.name;
        e.attr = dos_attributes(data.dwFileAttributes);
        e.size = size_of(data.nFileSizeHigh, data.nFileSizeLow);
        if (!visitor.entry(*listed, e)) break;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return listed;
}

// The listing gave every entry's attributes and size: nothing is asked again.
bool listed_details(const OpenDir&, const char*, ItemInfo&) {
    return false;
}

int item_info(const ShortText& path, uint8_t ask, ItemInfo& info) {
    std::wstring wide;
    if (path.empty() || !cp850_to_wide_path(path.view(), wide)) return kStatusFileNotFound;
    // The system opens every spelling of a name (another letter case, on a
    // volume that folds it) as the one item; the file ID tells it.
    info.id_decides = true;
    if (ask & (kAskIdentity | kAskBirth)) {
        const int status = identity_info(wide, info);
        if (status != 0) return status;
    } else {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
            return last_error_status();
        info.attr = dos_attributes(data.dwFileAttributes);
        info.size = size_of(data.nFileSizeHigh, data.nFileSizeLow);
    }
    const std::string_view last = path.view().substr(path.view().find_last_of("\\/:") + 1);
    if ((ask & kAskStoredName) && last != "." && last != "..") info.stored_name = stored_name(wide);
    return 0;
}

}  // namespace dolv

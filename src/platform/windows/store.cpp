// The journal's store on Windows: %LOCALAPPDATA%\dolv. The folder and its
// files keep the access rules of the user's profile, which only the user
// may read. What is checked, as far as a console program can tell cheaply:
// the folder and each file read are no reparse point (a link or a
// junction) and of the right kind; their owner is the user (or the
// Administrators or SYSTEM, who own what an elevated process makes); and
// no entry of their access list lets everyone, the authenticated users,
// the users, the guests or the anonymous write or take them. Where the
// system tells no security (some file systems), the kind alone is checked.
//
// A file grows by blocks of 256 KiB (a multiple of the mapping
// granularity), each set as the file's end first (which takes the room on
// an NTFS volume) and then mapped as a view: what is written there belongs
// to the system's cache at once, and reaches the file also when the
// process is ended, as a WriteFile per record would, without its call.
// A file is locked with LockFileEx on one byte far past its end, which no
// view ever maps; the system lets it go when the process ends.
#include "platform/store.h"

#include <aclapi.h>
#include <windows.h>

#include "platform/windows/win_text.h"

namespace dolv {

struct StoreState {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    char* block = nullptr;      // the mapped view
    long long block_start = 0;  // its offset in the file
    long long length = 0;       // what was committed when no view is mapped
};

struct StoreOpenFile {
    HANDLE file = INVALID_HANDLE_VALUE;
    ~StoreOpenFile() {
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
};

namespace {

constexpr size_t kViewBlock = 256 * 1024;
std::wstring g_store_folder;  // the folder store_open found, "" before

std::wstring store_folder_path() {
    DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (n == 0) return std::wstring();
    std::wstring base(n, L'\0');
    n = GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), n);
    base.resize(n);
    if (base.empty()) return base;
    return base + L"\\dolv";
}

std::wstring in_store(std::string_view name) {
    return g_store_folder + L"\\" + cp850_to_wide(name);
}

// The lock of a file: its one byte at the highest offset there is.
bool lock_file(HANDLE h) {
    OVERLAPPED at = {};
    at.Offset = 0xFFFFFFFE;
    at.OffsetHigh = 0x7FFFFFFF;
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

// Whether an access list entry lets a group that is not the user's own
// write, or take over, the item.
bool broad_writer(PSID sid, ACCESS_MASK mask) {
    constexpr ACCESS_MASK kWriting = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                     DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    if ((mask & kWriting) == 0) return false;
    for (WELL_KNOWN_SID_TYPE broad : {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid,
                                      WinBuiltinGuestsSid, WinAnonymousSid})
        if (IsWellKnownSid(sid, broad)) return true;
    return false;
}

bool owned_by_user(PSID owner) {
    if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
        IsWellKnownSid(owner, WinLocalSystemSid))
        return true;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    char buffer[256];
    DWORD n = 0;
    const bool told = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &n);
    CloseHandle(token);
    return !told || EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

// The owner and the access list of an open item, where the system tells them.
StoreStatus security_of(HANDLE h) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        &owner, nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS)
        return StoreStatus::kOk;
    StoreStatus status = owner && !owned_by_user(owner) ? StoreStatus::kForeign : StoreStatus::kOk;
    for (DWORD i = 0; status == StoreStatus::kOk && dacl && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) continue;
        auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            broad_writer(reinterpret_cast<PSID>(&ace->SidStart), ace->Mask))
            status = StoreStatus::kOpen;
    }
    LocalFree(sd);
    return status;
}

// What an opened item of the store is: its kind, then its security.
StoreStatus checked(HANDLE h, bool folder) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!GetFileInformationByHandle(h, &data)) return StoreStatus::kFailed;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return StoreStatus::kLink;
    if (((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder)
        return StoreStatus::kWrongKind;
    return security_of(h);
}

StoreStatus open_failure() {
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return StoreStatus::kMissing;
    return e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION ? StoreStatus::kLocked
                                                                     : StoreStatus::kFailed;
}

// The length of what was committed.
long long committed(const StoreFile& file) {
    const StoreState& s = *file.state;
    return s.block ? s.block_start + (file.room - s.block) : s.length;
}

void unmap_view(StoreState& s) {
    if (s.block) UnmapViewOfFile(s.block);
    if (s.mapping) CloseHandle(s.mapping);
    s.block = nullptr;
    s.mapping = nullptr;
}

bool set_length(HANDLE file, long long length) {
    LARGE_INTEGER at;
    at.QuadPart = length;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

}  // namespace

StoreStatus store_open(bool make) {
    g_store_folder = store_folder_path();
    if (g_store_folder.empty()) return StoreStatus::kMissing;
    if (make) CreateDirectoryW(g_store_folder.c_str(), nullptr);
    HANDLE h =
        CreateFileW(g_store_folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const StoreStatus failure = open_failure();
        g_store_folder.clear();
        return failure;
    }
    const StoreStatus status = checked(h, true);
    CloseHandle(h);
    if (status != StoreStatus::kOk) g_store_folder.clear();
    return status;
}

bool store_create(std::string_view name, StoreFile& file) {
    file = StoreFile();
    if (g_store_folder.empty()) return false;
    // CREATE_NEW fails on any item of that name, a link among them.
    HANDLE h = CreateFileW(in_store(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (!lock_file(h)) {
        CloseHandle(h);
        DeleteFileW(in_store(name).c_str());
        return false;
    }
    auto state = std::make_shared<StoreState>();
    state->file = h;
    state->block_start = -static_cast<long long>(kViewBlock);
    file.state = std::move(state);
    return true;
}

bool store_grow(StoreFile& file, size_t n) {
    StoreState& s = *file.state;
    const long long start = s.block_start + static_cast<long long>(kViewBlock);
    const long long end = start + static_cast<long long>(kViewBlock);
    if (n > kViewBlock || !set_length(s.file, end)) return false;
    // The view before goes first: never two blocks in memory at once.
    s.length = committed(file);
    unmap_view(s);
    file.room = file.room_end = nullptr;
    s.mapping = CreateFileMappingW(s.file, nullptr, PAGE_READWRITE, static_cast<DWORD>(end >> 32),
                                   static_cast<DWORD>(end), nullptr);
    if (!s.mapping) return false;
    void* view = MapViewOfFile(s.mapping, FILE_MAP_WRITE, static_cast<DWORD>(start >> 32),
                               static_cast<DWORD>(start), kViewBlock);
    if (!view) return false;
    s.block = static_cast<char*>(view);
    s.block_start = start;
    file.room = s.block;
    file.room_end = s.block + kViewBlock;
    return true;
}

bool store_close(StoreFile& file) {
    if (!file.state) return true;
    StoreState& s = *file.state;
    const long long length = committed(file);
    unmap_view(s);
    // The view is gone first: a file with a view open cannot be cut.
    const bool cut = set_length(s.file, length);
    CloseHandle(s.file);  // and its lock with it
    file = StoreFile();
    return cut;
}

std::vector<std::string> store_list() {
    std::vector<std::string> names;
    if (g_store_folder.empty()) return names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((g_store_folder + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring_view name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(wide_to_cp850_lossy(name));
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
}

bool store_rename(std::string_view from, std::string_view to) {
    return !g_store_folder.empty() && MoveFileExW(in_store(from).c_str(), in_store(to).c_str(), 0);
}

bool store_remove(std::string_view name) {
    return !g_store_folder.empty() && DeleteFileW(in_store(name).c_str());
}

StoreStatus store_take(std::string_view name, StoreHandle& handle) {
    handle = StoreHandle();
    if (g_store_folder.empty()) return StoreStatus::kMissing;
    auto state = std::make_shared<StoreOpenFile>();
    // A run that writes the file shares no writing: its journal then
    // cannot be opened here, and counts as held.
    state->file =
        CreateFileW(in_store(name).c_str(), GENERIC_READ | FILE_APPEND_DATA | READ_CONTROL,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (state->file == INVALID_HANDLE_VALUE) return open_failure();
    const StoreStatus status = checked(state->file, false);
    if (status != StoreStatus::kOk) return status;
    if (!lock_file(state->file)) return StoreStatus::kLocked;
    handle.state = std::move(state);
    return StoreStatus::kOk;
}

uint64_t store_size(const StoreHandle& handle) {
    LARGE_INTEGER size;
    if (!handle.state || !GetFileSizeEx(handle.state->file, &size)) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

bool store_read_at(const StoreHandle& handle, uint64_t offset, char* out, size_t n) {
    while (n > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = n > 0x10000000 ? 0x10000000 : static_cast<DWORD>(n);
        if (!ReadFile(handle.state->file, out, want, &got, &at) || got == 0) return false;
        out += got;
        offset += got;
        n -= got;
    }
    return true;
}

bool store_append(StoreHandle& handle, std::string_view text) {
    OVERLAPPED at = {};
    at.Offset = 0xFFFFFFFF;  // at the end of the file
    at.OffsetHigh = 0xFFFFFFFF;
    DWORD put = 0;
    return WriteFile(handle.state->file, text.data(), static_cast<DWORD>(text.size()), &put, &at) &&
           put == text.size();
}

void store_release(StoreHandle& handle) {
    handle = StoreHandle();
}

StoreStamp store_stamp() {
    // 100 ns steps since 1601.
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const long long ticks = static_cast<long long>(
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    constexpr long long kTicksTo1970 = 116444736000000000LL;
    return StoreStamp{(ticks - kTicksTo1970) * 100, GetCurrentProcessId()};
}

// A volume stamps new files with the system time of the last clock tick
// (15.6 ms by default); one more tick's worth covers a system whose file
// stamps come from a clock of its own ticks (wine on Linux).
void store_wait_past(int64_t nanoseconds) {
    constexpr int64_t kTickMargin = 16000000;
    while (store_stamp().nanoseconds <= nanoseconds + kTickMargin) Sleep(1);
}

void store_warn(std::string_view line) {
    std::string text(line);
    text += "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

}  // namespace dolv

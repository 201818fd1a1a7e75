// The journal's store on Windows: %LOCALAPPDATA%\dolv. The folder and its
// files keep the access rules of the user's profile, which only the user
// may read. A file grows by blocks of 256 KiB (a multiple of the mapping
// granularity), each set as the file's end first (which takes the room on
// an NTFS volume) and then mapped as a view: what is written there belongs
// to the system's cache at once, and reaches the file also when the
// process is ended, as a WriteFile per record would, without its call.
#include "platform/store.h"

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

bool store_open(bool make) {
    g_store_folder = store_folder_path();
    if (g_store_folder.empty()) return false;
    const DWORD attributes = GetFileAttributesW(g_store_folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return make && CreateDirectoryW(g_store_folder.c_str(), nullptr);
}

bool store_create(std::string_view name, StoreFile& file) {
    file = StoreFile();
    // CREATE_NEW fails on any item of that name, a link among them.
    HANDLE h = CreateFileW(in_store(name).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
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
    CloseHandle(s.file);
    file = StoreFile();
    return cut;
}

std::vector<std::string> store_list() {
    std::vector<std::string> names;
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

bool store_read(std::string_view name, std::string& text) {
    text.clear();
    HANDLE h = CreateFileW(in_store(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buffer[65536];
    DWORD n = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buffer, sizeof buffer, &n, nullptr)) && n > 0) text.append(buffer, n);
    CloseHandle(h);
    return ok;
}

bool store_rename(std::string_view from, std::string_view to) {
    return MoveFileW(in_store(from).c_str(), in_store(to).c_str());
}

bool store_remove(std::string_view name) {
    return DeleteFileW(in_store(name).c_str());
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

void store_warn(std::string_view line) {
    std::string text(line);
    text += "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

}  // namespace dolv

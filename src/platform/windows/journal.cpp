// The journal on Windows: %LOCALAPPDATA%\dolv, one file per run named by
// the time (100 ns steps since 1601, twenty digits) and the process,
// "<time>-<pid>.journal"; a run undone is renamed to ".undone". The folder
// and the files keep the access rules of the user's profile, which only the
// user may read. Each record goes to the file with one WriteFile before its
// step: in the system's cache it outlives the process, and a rename here
// costs far more than the write.
#include "platform/journal.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/journal_format.h"
#include "platform/windows/win_text.h"

namespace dolv {
namespace {

constexpr size_t kKeptRuns = 20;
const std::wstring kOpenSuffix = L".journal";
const std::wstring kUndoneSuffix = L".undone";

enum class State { kUnstarted, kOpen, kOff };

struct Writer {
    State state = State::kUnstarted;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring path;
    std::string record;
    std::string old_native;
};
Writer g_writer;

bool ends_with(const std::wstring& s, const std::wstring& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::wstring journal_dir() {
    DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (n == 0) return std::wstring();
    std::wstring base(n, L'\0');
    n = GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), n);
    base.resize(n);
    if (base.empty()) return base;
    return base + L"\\dolv";
}

std::vector<std::wstring> journal_names(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (ends_with(name, kOpenSuffix) || ends_with(name, kUndoneSuffix)) names.push_back(name);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring new_name() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    wchar_t text[64];
    swprintf(text, 64, L"%020llu-%lu", ticks, static_cast<unsigned long>(GetCurrentProcessId()));
    return std::wstring(text) + kOpenSuffix;
}

std::string utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// The whole path as the system names it, in UTF-8.
std::string whole_path(const ShortText& path) {
    std::wstring wide;
    if (path.empty() || !CP850_TO_WIDE_PATH(path.view(), wide)) return std::string();
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return utf8(wide);
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return utf8(full);
}

bool put(Writer& w, const std::string& text) {
    DWORD written = 0;
    return WriteFile(w.file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool start(Writer& w) {
    const std::wstring dir = journal_dir();
    if (dir.empty()) return false;
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    const std::vector<std::wstring> names = journal_names(dir);
    for (size_t i = 0; i + kKeptRuns <= names.size(); ++i)
        DeleteFileW((dir + L"\\" + names[i]).c_str());
    w.path = dir + L"\\" + new_name();
    w.file = CreateFileW(w.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    return w.file != INVALID_HANDLE_VALUE && put(w, kJournalHeader);
}

void give_up(Writer& w) {
    if (w.file != INVALID_HANDLE_VALUE) {
        CloseHandle(w.file);
        DeleteFileW(w.path.c_str());
    }
    w.file = INVALID_HANDLE_VALUE;
    w.state = State::kOff;
    const std::string line = std::string(kJournalUnwritable) + "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
              &written, nullptr);
}

bool read_all(const std::wstring& path, std::string& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buffer[65536];
    DWORD n = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buffer, sizeof buffer, &n, nullptr)) && n > 0) text.append(buffer, n);
    CloseHandle(h);
    return ok;
}

}  // namespace

void JOURNAL(Step step, const ShortText& old_path, const ShortText& new_path, const ItemId& id) {
    Writer& w = g_writer;
    if (w.state == State::kOff) return;
    if (w.state == State::kUnstarted) {
        if (GetEnvironmentVariableW(L"DOLV_NO_JOURNAL", nullptr, 0) > 1) {
            w.state = State::kOff;
            return;
        }
        w.state = State::kOpen;
        if (!start(w)) return give_up(w);
    }
    ItemId identity = id;
    ItemInfo info;
    if (identity.device == 0 && identity.inode == 0 && item_info(old_path, kAskIdentity, info) == 0)
        identity = info.id;
    w.old_native = whole_path(old_path);
    JOURNAL_LINE(w.record, step, identity, w.old_native, whole_path(new_path));
    if (!put(w, w.record)) give_up(w);
}

void JOURNAL_CLOSE() {
    Writer& w = g_writer;
    if (w.state != State::kOpen) return;
    CloseHandle(w.file);
    w.file = INVALID_HANDLE_VALUE;
    w.state = State::kOff;
}

bool JOURNAL_LATEST(JournalRun& run) {
    const std::wstring dir = journal_dir();
    if (dir.empty()) return false;
    const std::vector<std::wstring> names = journal_names(dir);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!ends_with(*it, kOpenSuffix)) continue;
        std::string text;
        if (!read_all(dir + L"\\" + *it, text) || !JOURNAL_HEADER_OK(text)) continue;
        run = JournalRun();
        run.name = ShortText(WIDE_TO_CP850_LOSSY(*it));
        JOURNAL_PARSE(text, run.records);
        return true;
    }
    return false;
}

bool JOURNAL_MARK_UNDONE(const JournalRun& run) {
    const std::wstring dir = journal_dir();
    const std::wstring name = CP850_TO_WIDE(run.name.view());
    if (dir.empty() || !ends_with(name, kOpenSuffix)) return false;
    const std::wstring base = name.substr(0, name.size() - kOpenSuffix.size());
    return MoveFileW((dir + L"\\" + name).c_str(), (dir + L"\\" + base + kUndoneSuffix).c_str());
}

}  // namespace dolv

// The report file: CP850 bytes as the program holds them, CR LF line ends,
// each line written straight through so that a full disk shows at once.
#include <windows.h>

#include <string>

#include "platform/fs.h"
#include "platform/windows/win_fs.h"
#include "platform/windows/win_text.h"

namespace dolv {

namespace {

HANDLE g_report = INVALID_HANDLE_VALUE;

int LastError() {
    DWORD e = GetLastError();
    return e == 0 ? 1 : static_cast<int>(e);
}

void Open(const ShortText& path, DWORD disposition) {
    REPORT_CLOSE();
    std::wstring wide;
    if (path.empty() || !CP850_TO_WIDE_PATH(path.view(), wide)) {
        SET_IORESULT(ERROR_INVALID_NAME);
        return;
    }
    g_report = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_report == INVALID_HANDLE_VALUE) {
        SET_IORESULT(LastError());
        return;
    }
    LARGE_INTEGER zero{};
    if (disposition == OPEN_ALWAYS && !SetFilePointerEx(g_report, zero, nullptr, FILE_END)) {
        SET_IORESULT(LastError());
        CloseHandle(g_report);
        g_report = INVALID_HANDLE_VALUE;
        return;
    }
    SET_IORESULT(0);
}

}  // namespace

void REPORT_CREATE(const ShortText& path) {
    Open(path, CREATE_ALWAYS);
}

void REPORT_APPEND(const ShortText& path) {
    Open(path, OPEN_ALWAYS);
}

void REPORT_WRITE(const ShortText& text, bool line_end) {
    if (g_report == INVALID_HANDLE_VALUE) {
        SET_IORESULT(ERROR_INVALID_HANDLE);
        return;
    }
    std::string bytes = text.str();
    if (line_end) bytes += "\r\n";
    DWORD written = 0;
    if (!bytes.empty()) {
        if (!WriteFile(g_report, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr)) {
            SET_IORESULT(LastError());
            return;
        }
        if (written != bytes.size()) {
            SET_IORESULT(ERROR_DISK_FULL);
            return;
        }
    }
    SET_IORESULT(0);
}

void REPORT_CLOSE() {
    if (g_report == INVALID_HANDLE_VALUE) {
        SET_IORESULT(0);
        return;
    }
    bool ok = CloseHandle(g_report);
    g_report = INVALID_HANDLE_VALUE;
    SET_IORESULT(ok ? 0 : LastError());
}

}  // namespace dolv

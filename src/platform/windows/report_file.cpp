// The report file: CP850 bytes as the program holds them, CR LF line ends,
// written through a buffer that the program pushes out before every rename
// (so the record of an item is in the file before the item changes) and at the end.
#include <windows.h>

#include <string>

#include "platform/fs.h"
#include "platform/windows/win_fs.h"
#include "platform/windows/win_text.h"

namespace dolv {

namespace {

HANDLE g_report = INVALID_HANDLE_VALUE;
std::string g_pending;  // written by the program, not yet by the system
constexpr size_t kBuffer = 1 << 16;

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
        SET_IORESULT(LAST_ERROR_STATUS());
        return;
    }
    LARGE_INTEGER zero{};
    if (disposition == OPEN_ALWAYS && !SetFilePointerEx(g_report, zero, nullptr, FILE_END)) {
        SET_IORESULT(LAST_ERROR_STATUS());
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
    g_pending.append(text.view());
    if (line_end) g_pending += "\r\n";
    if (g_pending.size() >= kBuffer) {
        REPORT_FLUSH();
        return;
    }
    SET_IORESULT(0);
}

void REPORT_FLUSH() {
    if (g_report == INVALID_HANDLE_VALUE) {
        SET_IORESULT(ERROR_INVALID_HANDLE);
        return;
    }
    size_t done = 0;
    while (done < g_pending.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(g_pending.size() - done);
        if (!WriteFile(g_report, g_pending.data() + done, chunk, &written, nullptr)) {
            g_pending.clear();
            SET_IORESULT(LAST_ERROR_STATUS());
            return;
        }
        if (written == 0) {
            g_pending.clear();
            SET_IORESULT(ERROR_DISK_FULL);
            return;
        }
        done += written;
    }
    g_pending.clear();
    SET_IORESULT(0);
}

void REPORT_CLOSE() {
    if (g_report == INVALID_HANDLE_VALUE) {
        SET_IORESULT(0);
        return;
    }
    REPORT_FLUSH();
    int flushed = IORESULT();
    bool ok = CloseHandle(g_report);
    g_report = INVALID_HANDLE_VALUE;
    SET_IORESULT(flushed != 0 ? flushed : ok ? 0 : LAST_ERROR_STATUS());
}

}  // namespace dolv

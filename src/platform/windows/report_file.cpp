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

// The report file's state.
struct ReportFile {
    HANDLE file = INVALID_HANDLE_VALUE;  // open, or INVALID_HANDLE_VALUE
    std::string pending;                 // written by the program, not yet by the system
};
ReportFile g_report_file;
constexpr size_t kBuffer = 1 << 16;

// The identity of the open file; 0 and 0 when the system tells none.
ItemId identity(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return ItemId();
    return ItemId{info.dwVolumeSerialNumber,
                  (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

int Open(const ShortText& path, DWORD disposition, ItemId& id) {
    id = ItemId();
    REPORT_CLOSE();
    std::wstring wide;
    if (path.empty() || !CP850_TO_WIDE_PATH(path.view(), wide)) return ERROR_INVALID_NAME;
    g_report_file.file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_report_file.file == INVALID_HANDLE_VALUE) return LAST_ERROR_STATUS();
    LARGE_INTEGER zero{};
    if (disposition == OPEN_ALWAYS &&
        !SetFilePointerEx(g_report_file.file, zero, nullptr, FILE_END)) {
        const int status = LAST_ERROR_STATUS();
        CloseHandle(g_report_file.file);
        g_report_file.file = INVALID_HANDLE_VALUE;
        return status;
    }
    id = identity(g_report_file.file);
    return 0;
}

}  // namespace

int REPORT_CREATE(const ShortText& path, ItemId& id) {
    return Open(path, CREATE_ALWAYS, id);
}

int REPORT_APPEND(const ShortText& path, ItemId& id) {
    return Open(path, OPEN_ALWAYS, id);
}

int REPORT_WRITE(const ShortText& text, bool line_end) {
    if (g_report_file.file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    g_report_file.pending.append(text.view());
    if (line_end) g_report_file.pending += "\r\n";
    if (g_report_file.pending.size() >= kBuffer) return REPORT_FLUSH();
    return 0;
}

int REPORT_FLUSH() {
    if (g_report_file.file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    size_t done = 0;
    while (done < g_report_file.pending.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(g_report_file.pending.size() - done);
        if (!WriteFile(g_report_file.file, g_report_file.pending.data() + done, chunk, &written,
                       nullptr)) {
            g_report_file.pending.clear();
            return LAST_ERROR_STATUS();
        }
        if (written == 0) {
            g_report_file.pending.clear();
            return ERROR_DISK_FULL;
        }
        done += written;
    }
    g_report_file.pending.clear();
    return 0;
}

int REPORT_CLOSE() {
    if (g_report_file.file == INVALID_HANDLE_VALUE) return 0;
    const int flushed = REPORT_FLUSH();
    const bool ok = CloseHandle(g_report_file.file);
    g_report_file.file = INVALID_HANDLE_VALUE;
    return flushed != 0 ? flushed : ok ? 0 : LAST_ERROR_STATUS();
}

}  // namespace dolv

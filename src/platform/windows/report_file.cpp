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
    report_close();
    std::wstring wide;
    if (path.empty() || !cp850_to_wide_path(path.view(), wide)) return ERROR_INVALID_NAME;
    g_report_file.file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_report_file.file == INVALID_HANDLE_VALUE) return last_error_status();
    LARGE_INTEGER zero{};
    if (disposition == OPEN_ALWAYS &&
        !SetFilePointerEx(g_report_file.file, zero, nullptr, FILE_END)) {
        const int status = last_error_status();
        CloseHandle(g_report_file.file);
        g_report_file.file = INVALID_HANDLE_VALUE;
        return status;
    }
    id = identity(g_report_file.file);
    return 0;
}

}  // namespace

int report_create(const ShortText& path, ItemId& id) {
    return Open(path, CREATE_ALWAYS, id);
}

int report_append(const ShortText& path, ItemId& id) {
    return Open(path, OPEN_ALWAYS, id);
}

int report_write(const ShortText& text, bool line_end) {
    if (g_report_file.file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    g_report_file.pending.append(text.view());
    if (line_end) g_report_file.pending += "\r\n";
    if (g_report_file.pending.size() >= kBuffer) return report_flush();
    return 0;
}

int report_flush() {
    if (g_report_file.file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    size_t done = 0;
    while (done < g_report_file.pending.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(g_report_file.pending.size() - done);
        if (!WriteFile(g_report_file.file, g_report_file.pending.data() + done, chunk, &written,
                       nullptr)) {
            g_report_file.pending.clear();
            return last_error_status();
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

int report_close() {
    if (g_report_file.file == INVALID_HANDLE_VALUE) return 0;
    const int flushed = report_flush();
    const bool ok = CloseHandle(g_report_file.file);
    g_report_file.file = INVALID_HANDLE_VALUE;
    return flushed != 0 ? flushed : ok ? 0 : last_error_status();
}

}  // namespace dolv

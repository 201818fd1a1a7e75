// The report file: text as the console shows it, CR LF line ends, written
// through a buffer that the program pushes out before every rename (so the
// record of an item is in the file before the item changes) and at the end.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "base/hot.h"
#include "platform/cp850.h"
#include "platform/fs.h"
#include "platform/posix/native.h"

namespace dolv {
namespace {

constexpr size_t kBuffer = 1 << 16;

FILE* g_report = nullptr;
std::string g_report_name;  // last component of the open report file's path
struct stat g_report_stat;
std::string g_line;  // one line's bytes; kept, so that a line costs no allocation

void open_report(const ShortText& path, const char* mode) {
    if (g_report) {
        std::fclose(g_report);
        g_report = nullptr;
    }
    std::string native = NATIVE_PATH(path);
    if (native.empty() || !WINDOWS_PATH_CHARS(path.view()) || LAST_COMPONENT(path.view()).empty()) {
        SET_IO_STATUS(kStatusInvalidName);
        return;
    }
    g_report = std::fopen(native.c_str(), mode);
    SET_IO_STATUS(g_report ? 0 : (errno ? errno : EIO));
    if (g_report) std::setvbuf(g_report, nullptr, _IOFBF, kBuffer);
    if (g_report) {
        g_report_name = std::string(LAST_COMPONENT(native));
        if (fstat(fileno(g_report), &g_report_stat) != 0) g_report_name.clear();
    }
}

}  // namespace

DOLV_HOT bool IS_OPEN_REPORT(const char* native_path) {
    // The name is compared first, so that other items cost no lstat.
    if (!g_report || g_report_name.empty() || LAST_COMPONENT(native_path) != g_report_name)
        return false;
    struct stat st;
    return lstat(native_path, &st) == 0 && st.st_dev == g_report_stat.st_dev &&
           st.st_ino == g_report_stat.st_ino;
}

void REPORT_CREATE(const ShortText& path) {
    open_report(path, "wb");
}

void REPORT_APPEND(const ShortText& path) {
    open_report(path, "ab");
}

void REPORT_WRITE(const ShortText& text, bool line_end) {
    if (!g_report) {
        SET_IO_STATUS(kStatusNotOpen);
        return;
    }
    std::string& bytes = g_line;
    bytes.clear();
    CP850_APPEND_UTF8(bytes, text.view());
    if (line_end) bytes += "\r\n";
#ifdef __GLIBC__
    // The program has one thread: the stream's lock is not needed for a line.
    bool ok = fwrite_unlocked(bytes.data(), 1, bytes.size(), g_report) == bytes.size();
    ok = ok && !ferror_unlocked(g_report);
#else
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), g_report) == bytes.size();
    ok = ok && !std::ferror(g_report);
#endif
    SET_IO_STATUS(ok ? 0 : EIO);
}

void REPORT_FLUSH() {
    if (!g_report) {
        SET_IO_STATUS(kStatusNotOpen);
        return;
    }
    bool ok = std::fflush(g_report) == 0 && !std::ferror(g_report);
    SET_IO_STATUS(ok ? 0 : EIO);
}

void REPORT_CLOSE() {
    if (!g_report) {
        SET_IO_STATUS(kStatusNotOpen);
        return;
    }
    bool ok = !std::ferror(g_report);
    ok = std::fclose(g_report) == 0 && ok;
    g_report = nullptr;
    SET_IO_STATUS(ok ? 0 : EIO);
}

}  // namespace dolv

// The report file: text as the console shows it, in UTF-8, LF line ends,
// written through a buffer that the program pushes out before every rename
// (so the record of an item is in the file before the item changes) and at
// the end.
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

// The report file's state.
struct ReportFile {
    FILE* file = nullptr;  // open, or nullptr
    std::string line;      // one line's bytes; kept, so that a line costs no allocation
};
ReportFile g_report_file;

int open_report(const ShortText& path, const char* mode, ItemId& id) {
    id = ItemId();
    if (g_report_file.file) {
        std::fclose(g_report_file.file);
        g_report_file.file = nullptr;
    }
    const std::string native = native_path(path);
    if (native.empty()) return kStatusInvalidName;
    g_report_file.file = std::fopen(native.c_str(), mode);
    if (!g_report_file.file) return errno ? errno : EIO;
    std::setvbuf(g_report_file.file, nullptr, _IOFBF, kBuffer);
    // Its identity as item_info gives it (where inode numbers do not last,
    // the device part names the mount), so that the guard of the open
    // report file knows it again.
    struct stat st;
    if (fstat(fileno(g_report_file.file), &st) != 0) return 0;
    id = ItemId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    ItemInfo info;
    if (item_info(path, kAskIdentity, info) == 0 && info.id.inode == id.inode) id = info.id;
    return 0;
}

// Kept out of report_write: inline, the rare growth of the line would make
// every call save the registers it needs.
[[gnu::noinline]] void append_line_end(std::string& bytes) {
    bytes += '\n';
}

}  // namespace

int report_create(const ShortText& path, ItemId& id) {
    return open_report(path, "wb", id);
}

int report_append(const ShortText& path, ItemId& id) {
    return open_report(path, "ab", id);
}

int report_write(const ShortText& text, bool line_end) {
    if (!g_report_file.file) return kStatusNotOpen;
    std::string& bytes = g_report_file.line;
    bytes.clear();
    cp850_append_utf8(bytes, text.view());
    // A path's `\` as this system writes it.
    for (size_t i = bytes.find('\\'); i != std::string::npos; i = bytes.find('\\', i + 1))
        bytes[i] = '/';
    if (line_end) append_line_end(bytes);
#ifdef __GLIBC__
    // The program has one thread: the stream's lock is not needed for a line.
    bool ok = fwrite_unlocked(bytes.data(), 1, bytes.size(), g_report_file.file) == bytes.size();
    ok = ok && !ferror_unlocked(g_report_file.file);
#else
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), g_report_file.file) == bytes.size();
    ok = ok && !std::ferror(g_report_file.file);
#endif
    return ok ? 0 : EIO;
}

int report_flush() {
    if (!g_report_file.file) return kStatusNotOpen;
    return std::fflush(g_report_file.file) == 0 && !std::ferror(g_report_file.file) ? 0 : EIO;
}

int report_close() {
    if (!g_report_file.file) return kStatusNotOpen;
    bool ok = !std::ferror(g_report_file.file);
    ok = std::fclose(g_report_file.file) == 0 && ok;
    g_report_file.file = nullptr;
    return ok ? 0 : EIO;
}

}  // namespace dolv

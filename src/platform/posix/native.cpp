// The file system's side of a path and of a name.
#include "platform/posix/native.h"

#include "platform/cp850.h"
#include "platform/fs.h"

namespace dolv {
namespace {

int g_io_status = 0;

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

std::string NATIVE_PATH(std::string_view path) {
    bool drive = path.size() >= 2 && path[1] == ':';
    if (drive) path.remove_prefix(2);
    std::string s(path);
    for (char& c : s)
        if (c == '\\') c = '/';
    if (s.empty() && drive) s.push_back('.');
    return CP850_NAME_TO_UTF8(s);
}

std::string NATIVE_PATH(const ShortText& path) {
    return NATIVE_PATH(path.view());
}

bool WINDOWS_NAME_CHARS(std::string_view name) {
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 32) return false;
        switch (c) {
            case '\\':
            case '/':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                return false;
            default:
                break;
        }
    }
    return true;
}

bool WINDOWS_PATH_CHARS(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !is_separator(path[end])) ++end;
        if (!WINDOWS_NAME_CHARS(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

uint8_t ITEM_ATTRIBUTES(const struct stat& st, std::string_view name) {
    uint8_t attr = 0;
    if (S_ISDIR(st.st_mode))
        attr |= FA_DIRECTORY;
    else
        attr |= FA_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) attr |= FA_READONLY;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") attr |= FA_HIDDEN;
    return attr;
}

std::string_view LAST_COMPONENT(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
    while (!path.empty() && is_separator(path.back())) path.remove_suffix(1);
    size_t i = path.size();
    while (i > 0 && !is_separator(path[i - 1])) --i;
    return path.substr(i);
}

void SET_IO_STATUS(int status) {
    g_io_status = status;
}

int IORESULT() {
    int status = g_io_status;
    g_io_status = 0;
    return status;
}

}  // namespace dolv

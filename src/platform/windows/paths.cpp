// Path texts: the split into directory, name and extension, and the
// replacement of an extension. Pure text, no system call.
#include "platform/fs.h"

namespace dolv {

void FSPLIT(const ShortText& path, ShortText& dir, ShortText& name, ShortText& ext) {
    ShortText rest = path;
    for (int i = 1; i <= rest.size(); ++i)
        if (rest.at(i) == '/') rest.set(i, '\\');
    dir = ShortText();
    int colon = rest.find(':');
    if (colon != 0) {
        dir += static_cast<char>(rest.at(1));
        dir += ':';
        rest = rest.sub(colon + 1);
    }
    for (int slash = rest.find('\\'); slash != 0; slash = rest.find('\\')) {
        dir += rest.left(slash);
        rest = rest.sub(slash + 1);
    }
    int dot = 0;
    for (int i = rest.size(); i >= 1 && dot == 0; --i)
        if (rest.at(i) == '.') dot = i;
    if (dot == 0) {
        name = rest;
        ext = ShortText();
    } else {
        name = rest.left(dot - 1);
        ext = rest.sub(dot);
    }
}

ShortText CHANGEFILEEXT(const ShortText& path, const ShortText& ext) {
    int start = 1;
    for (int i = 1; i <= path.size(); ++i) {
        unsigned char c = path.at(i);
        if (c == '\\' || c == '/' || c == ':') start = i + 1;
    }
    for (int i = path.size(); i >= start; --i)
        if (path.at(i) == '.') return path.left(i - 1) + ext;
    return path + ext;
}

}  // namespace dolv

#include "names/path_split.h"

#include <string_view>

namespace dolv {

void FSPLIT(const ShortText& path, ShortText& dir, ShortText& name, ShortText& ext) {
    ShortText whole = path;
    for (int i = 1; i <= whole.size(); ++i)
        if (whole.at(i) == '/') whole.set(i, '\\');
    std::string_view rest = whole.view();
    dir = ShortText();
    // A drive: the first character and a colon, whatever stands before the
    // first colon.
    const size_t colon = rest.find(':');
    if (colon != std::string_view::npos) {
        dir += rest[0];
        dir += ':';
        rest.remove_prefix(colon + 1);
    }
    const size_t slash = rest.rfind('\\');
    if (slash != std::string_view::npos) {
        dir += ShortText(rest.substr(0, slash + 1));
        rest.remove_prefix(slash + 1);
    }
    const size_t dot = rest.rfind('.');
    name = ShortText(rest.substr(0, dot));
    ext = dot == std::string_view::npos ? ShortText() : ShortText(rest.substr(dot));
}

ShortText CHANGEFILEEXT(const ShortText& path, const ShortText& ext) {
    const std::string_view p = path.view();
    const size_t sep = p.find_last_of("\\/:");
    const size_t dot = p.rfind('.');
    if (dot != std::string_view::npos && (sep == std::string_view::npos || dot > sep))
        return ShortText(p.substr(0, dot)) + ext;
    return path + ext;
}

}  // namespace dolv

#include "names/presu.h"

#include "base/hot.h"
#include "names/strings.h"

namespace dolv {

DOLV_HOT ShortText REM_PRESU(const ShortText& name, const ShortText& prefix,
                             const ShortText& suffix) {
    // Nothing to remove: only a final '.' goes (the extension after it is empty).
    if (prefix.empty() && suffix.empty())
        return name.last() == '.' ? name.left(name.size() - 1) : name;
    const int dot = POSRL(".", name, name.size());
    ShortText part = dot ? name.left(dot - 1) : name;
    const ShortText ext = dot ? name.sub(dot + 1) : ShortText();

    if (UPSTR(part.left(prefix.size())) == prefix) part = part.sub(prefix.size() + 1);

    if (UPSTR(part.right(suffix.size())) == suffix) part.truncate(part.size() - suffix.size());

    if (ext.empty()) return part;
    return part + "." + ext;
}

DOLV_HOT ShortText PRESU(const ShortText& name, const ShortText& prefix, const ShortText& suffix) {
    if (prefix.empty() && suffix.empty()) return name;
    const int dot = POSRL(".", name, name.size());
    if (!dot) return prefix + name + suffix;
    return prefix + name.left(dot - 1) + suffix + name.sub(dot);
}

DOLV_HOT ShortText ALLINEA(const ShortText& name, char mode, int32_t length) {
    if (mode != 'L' && mode != 'R') return name;
    const int slash = POSRL("\\", name, name.size());
    const ShortText dir = name.left(slash);
    ShortText rest = name.sub(slash + 1);
    const int dot = POSRL(".", rest, rest.size());
    const ShortText ext = dot ? rest.sub(dot) : ShortText();
    if (dot) rest.truncate(dot - 1);

    const int missing = length - rest.size();
    if (missing > 0) {
        const ShortText fill = ShortText::repeat('_', missing);
        switch (mode) {
            case 'L':
                rest = fill + rest;
                break;
            case 'R':
                rest += fill;
                break;
            default:
                break;
        }
    }
    return dir + rest + ext;
}

}  // namespace dolv

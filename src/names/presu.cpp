#include "names/presu.h"

#include "names/strings.h"
#include "report/settings.h"

namespace dolv {

ShortText REM_PRESU(const ShortText& name) {
    // Nothing to remove: only a final '.' goes (the extension after it is empty).
    if (settings.REM_PREFISSO.empty() && settings.REM_SUFFISSO.empty())
        return name.last() == '.' ? name.left(name.size() - 1) : name;
    const int dot = POSRL(".", name, name.size());
    ShortText part = dot ? name.left(dot - 1) : name;
    const ShortText ext = dot ? name.sub(dot + 1) : ShortText();

    const ShortText& prefix = settings.REM_PREFISSO;
    if (UPSTR(part.left(prefix.size())) == prefix) part = part.sub(prefix.size() + 1);

    const ShortText& suffix = settings.REM_SUFFISSO;
    if (UPSTR(part.right(suffix.size())) == suffix) part.truncate(part.size() - suffix.size());

    if (ext.empty()) return part;
    return part + "." + ext;
}

ShortText PRESU(const ShortText& name) {
    if (settings.PREFISSO.empty() && settings.SUFFISSO.empty()) return name;
    const int dot = POSRL(".", name, name.size());
    if (!dot) return settings.PREFISSO + name + settings.SUFFISSO;
    return settings.PREFISSO + name.left(dot - 1) + settings.SUFFISSO + name.sub(dot);
}

ShortText ALLINEA(const ShortText& name) {
    const char mode = static_cast<char>(settings.GIUSTIFICA & 0xFF);
    if (mode != 'L' && mode != 'R') return name;
    const int slash = POSRL("\\", name, name.size());
    const ShortText dir = name.left(slash);
    ShortText rest = name.sub(slash + 1);
    const int dot = POSRL(".", rest, rest.size());
    const ShortText ext = dot ? rest.sub(dot) : ShortText();
    if (dot) rest.truncate(dot - 1);

    const int missing = settings.NN - rest.size();
    if (missing > 0) {
        const ShortText fill = ShortText::repeat('_', missing);
        switch (static_cast<char>(settings.GIUSTIFICA & 0xFF)) {
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

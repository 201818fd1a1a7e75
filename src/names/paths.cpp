#include "names/paths.h"

#include "names/path_split.h"
#include "names/search.h"
#include "names/strings.h"
#include "platform/fs.h"

namespace dolv {

namespace {

// Replacements of one expansion; a variable that refers to itself, directly
// or through others, reaches the bound and leaves the text unexpanded.
constexpr int kMaxReplacements = 64;

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

ShortText PATHOF(const ShortText& path) {
    ShortText dir, name, ext;
    FSPLIT(path, dir, name, ext);
    return dir;
}

ShortText NAMEOF(const ShortText& path) {
    ShortText dir, name, ext;
    FSPLIT(path, dir, name, ext);
    return name + ext;
}

void split_last(std::string_view path, std::string_view& dir, std::string_view& name) {
    const size_t drive = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    while (path.size() > drive + 1 && is_separator(path.back())) path.remove_suffix(1);
    size_t cut = path.size();
    while (cut > drive && !is_separator(path[cut - 1])) --cut;
    dir = path.substr(0, cut);
    name = path.substr(cut);
}

ShortText ESPANSIONE(const ShortText& text, bool absolute) {
    if (!text.contains('%')) {  // the common case: nothing to replace
        if (!absolute) return text;
        if (!(text.at(1) == '\\' && text.at(2) == '\\')) return FEXPAND(text);
    }
    ShortText s = text;
    int replacements = 0;
    for (;;) {
        const int p1 = s.find('%');
        if (!p1) break;
        const int p2 = s.find('%', p1 + 1);
        if (!p2) break;
        const ShortText value = GETENV(s.sub(p1 + 1, p2 - p1 - 1));
        if (value.empty()) break;
        if (++replacements > kMaxReplacements) return text;
        s = s.left(p1 - 1) + value + s.sub(p2 + 1);
    }
    if (s.contains('%')) return text;
    if (!absolute) return s;
    if (s.at(1) == '\\' && s.at(2) == '\\') {
        const ShortText full = FEXPAND(s);
        const int network = full.find(ShortText("\\\\"));
        return network ? full.sub(network) : full;
    }
    return FEXPAND(s);
}

ShortText FEXPAND2(const ShortText& text) {
    return ESPANSIONE(text, true);
}

int64_t EXIST(const ShortText& path) {
    if (path.empty() || path.last() == '.' || path.contains('*') || path.contains('?')) return -1;
    SearchRec rec;
    FINDFIRST(path, FA_FILES_ONLY, rec);
    int64_t size = -1;
    if (DOSERROR() == 0 && !(rec.attr & FA_DIRECTORY)) size = rec.size < 0 ? 0 : rec.size;
    findclose(rec);
    return size;
}

bool ISDIR(const ShortText& path) {
    if (path == "\\\\" || path.sub(2).find(ShortText("\\\\"))) return false;
    const uint16_t attr = GETFATTR(path);
    if (DOSERROR() != 0) return false;
    return (attr & FA_DIRECTORY) != 0;
}

ShortText ATTR(const ShortText& path) {
    ShortText p = path;
    if (p.last() == '\\') p.truncate(p.size() - 1);
    SearchRec rec;
    FINDFIRST(p, FA_ANYFILE, rec);
    ShortText flags;
    if (DOSERROR() == 0) flags = attr_text(rec.attr);
    findclose(rec);
    return flags;
}

ShortText attr_text(uint8_t attr) {
    ShortText flags;
    flags += (attr & FA_ARCHIVE) ? 'A' : '_';
    flags += (attr & FA_READONLY) ? 'R' : '_';
    flags += (attr & FA_HIDDEN) ? 'H' : '_';
    flags += (attr & FA_SYSFILE) ? 'S' : '_';
    flags += (attr & FA_DIRECTORY) ? 'D' : '_';
    return flags;
}

int32_t CONTATHIS(const ShortText& directory, const ShortText& pattern) {
    ShortText d = FEXPAND2(directory);
    if (!ISDIR(d)) return -1;
    if (d.last() != '\\') d += '\\';
    d += pattern;
    SearchRec rec;
    int32_t count = 0;
    for (FINDFIRST(d, FA_ALL_BUT_LABELS, rec); DOSERROR() == 0; FINDNEXT(rec))
        if (!(rec.name == ".") && !(rec.name == "..")) ++count;
    findclose(rec);
    return count;
}

ShortText TRUNCPATH(const ShortText& path, int width) {
    const ShortText s = FEXPAND2(path);
    const int first = s.find('\\');
    if (s.size() <= width || !first) return s;
    // The head (up to the first `\`), "...\" and the rest after the k-th
    // later `\`: the first k that fits, or the last `\` when none does.
    int cut = s.find('\\', first + 1);
    if (!cut) return s;
    for (;;) {
        const int next = s.find('\\', cut + 1);
        const int length = first + 4 + (s.size() - cut);
        if (!next || (length < ShortText::kMax ? length : ShortText::kMax) <= width) break;
        cut = next;
    }
    ShortText out = s.left(first);
    out += "...\\";
    out += s.sub(cut + 1);
    return out;
}

}  // namespace dolv

// The name checks. VALIDNAMEWIN answers 0 or a position inside the path, and
// a path it accepts really is usable: not empty, no final '.', none of
// / : | < > " or a control byte (a drive colon aside; a network path is
// checked for ':' only), wildcards only in the last component, no doubled
// backslash, no device name as a component. CHARRESERVED points at a
// reserved character or finds none.
// needs: names/validity.h
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "names/validity.h"

namespace {

using dolv::ShortText;

void check(bool ok) {
    if (!ok) std::abort();
}

bool reserved_in_path(unsigned char c) {
    return c < 32 || c == '/' || c == ':' || c == '|' || c == '<' || c == '>' || c == '"';
}

void check_accepted(const std::string& path) {
    check(!path.empty() && path.back() != '.');
    const bool network = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    std::string rest = path;
    if (network) {
        check(path.find(':') == std::string::npos);
    } else {
        for (size_t i = 0; i < path.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(path[i]);
            if (i == 1 && c == ':') continue;
            check(!reserved_in_path(c));
        }
        if (path.size() >= 2 && path[1] == ':') {
            check(dolv::LETTERS(path[0]));
            rest = path.substr(2);
        }
    }
    const size_t last_sep = path.rfind('\\');
    const size_t wild = path.find_first_of("*?");
    if (last_sep != std::string::npos && wild != std::string::npos) check(wild > last_sep);
    if (rest.size() > 1) check(rest.find("\\\\", 1) == std::string::npos);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        const std::string component = rest.substr(start, end - start);
        if (!component.empty()) check(!dolv::NAMERESERVED(ShortText(component)));
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 255) return 0;
    const std::string path(reinterpret_cast<const char*>(data), size);
    const ShortText text(path);

    const int v = dolv::VALIDNAMEWIN(text);
    check(v <= (size ? static_cast<int>(size) : 1));
    if (v == 0) check_accepted(path);

    for (const bool wild : {false, true}) {
        const int r = dolv::CHARRESERVED(text, wild);
        const std::string set = wild ? ",;=\x15+ /:|<>\"?*" : ",;=\x15+ /:|<>\"";
        bool any = false;
        for (const char c : path) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u < 32 || set.find(c) != std::string::npos) any = true;
        }
        check((r != 0) == any);
        if (r != 0) {
            const unsigned char c = text.at(r);
            check(c < 32 || set.find(static_cast<char>(c)) != std::string::npos);
        }
    }
    return 0;
}

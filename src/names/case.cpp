#include "names/case.h"

#include "base/hot.h"
#include "names/paths.h"
#include "names/strings.h"
#include "platform/console.h"

namespace dolv {

namespace {

ShortText lower(const ShortText& text) {
    ShortText result = text;
    for (int i = 1; i <= result.size(); ++i) {
        const unsigned char c = result.at(i);
        if (c >= 'A' && c <= 'Z') result.set(i, static_cast<char>(c - 'A' + 'a'));
    }
    return result;
}

void write_green(const ShortText& text) {
    TEXTCOLOR(kColourNewName);
    WRITE(text);
    TEXTCOLOR(kColourNormal);
    FLUSH();
}

}  // namespace

DOLV_HOT ShortText CONVERSION(const ShortText& name, char mode) {
    switch (mode) {
        case '+':
            return UPSTR(name);
        case '-':
            return lower(name);
        default:
            return name;
    }
}

ShortText CONVERSION2(const ShortText& name) {
    WRITE(" in ");
    write_green(name);
    return ShortText();
}

ShortText CONVERSION3(const ShortText& path) {
    WRITE(ISDIR(path) ? "la directory " : "il file ");
    write_green(FEXPAND2(path));
    return ShortText();
}

}  // namespace dolv

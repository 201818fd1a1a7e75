// The case conversion and the prefix, suffix and padding of new names. The
// input's first bytes choose MAIUSCOLO, GIUSTIFICA and NN; the rest holds, one
// per line, the name, the prefix and suffix to remove and to add. Each step
// keeps to its rules: the case conversion changes only ASCII letters and never
// the length; REM_PRESU only takes away; PRESU puts the prefix first and keeps
// the extension; ALLINEA pads the name part to NN and never shortens it.
// needs: names/case.h
// needs: names/presu.h
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "names/case.h"
#include "names/presu.h"
#include "report/settings.h"

namespace {

using dolv::ShortText;

void check(bool ok) {
    if (!ok) std::abort();
}

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string upper(std::string s) {
    for (char& c : s) c = upper(c);
    return s;
}

// The extension with its dot, empty when the name has no dot.
std::string extension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool ends_with(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    dolv::Settings s;
    s.MAIUSCOLO = "0+-"[data[0] % 3];
    s.GIUSTIFICA = "\0LR"[data[1] % 3];
    s.NN = 2 + data[2] % 254;
    std::vector<std::string> lines(5);
    size_t k = 0;
    for (size_t i = 3; i < size && k < lines.size(); ++i) {
        if (data[i] == '\n')
            ++k;
        else
            lines[k] += static_cast<char>(data[i]);
    }
    const ShortText name(lines[0]);
    s.REM_PREFISSO = upper(ShortText(lines[1]).str());
    s.REM_SUFFISSO = upper(ShortText(lines[2]).str());
    s.PREFISSO = lines[3];
    s.SUFFISSO = lines[4];

    const ShortText converted = dolv::CONVERSION(name, s.MAIUSCOLO);
    check(converted.size() == name.size());
    for (int i = 1; i <= name.size(); ++i) {
        const char a = static_cast<char>(name.at(i)), b = static_cast<char>(converted.at(i));
        check(upper(a) == upper(b));
        if (s.MAIUSCOLO == '0') check(a == b);
        if (s.MAIUSCOLO == '+') check(b == upper(a));
        if (s.MAIUSCOLO == '-') check(!(b >= 'A' && b <= 'Z'));
    }

    const std::string before = converted.str();
    const std::string removed = dolv::REM_PRESU(converted, s.REM_PREFISSO, s.REM_SUFFISSO).str();
    check(removed.size() <= before.size());
    const std::string ext = extension(before);
    if (ext.size() > 1) check(ends_with(removed, ext));

    const std::string added = dolv::PRESU(ShortText(removed), s.PREFISSO, s.SUFFISSO).str();
    const std::string pre = s.PREFISSO.str(), suf = s.SUFFISSO.str();
    if (removed.size() + pre.size() + suf.size() <= 255) {
        check(added.size() == removed.size() + pre.size() + suf.size());
        check(added.compare(0, pre.size(), pre) == 0);
        check(ends_with(added, extension(removed)));
    } else {
        check(added.size() == 255);
    }

    const std::string padded = dolv::ALLINEA(ShortText(added), s.GIUSTIFICA, s.NN).str();
    check(padded.size() >= added.size() || padded.size() == 255);
    if (s.GIUSTIFICA == 0 || added.find('\\') != std::string::npos) return 0;
    const std::string x = extension(added);
    const size_t part = added.size() - x.size();
    const size_t want = part < static_cast<size_t>(s.NN) ? static_cast<size_t>(s.NN) : part;
    if (want + x.size() <= 255) {
        check(padded.size() == want + x.size());
        check(ends_with(padded, x));
        const size_t fill = want - part;
        const std::string underscores(fill, '_');
        if (s.GIUSTIFICA == 'L') check(padded == underscores + added);
        if (s.GIUSTIFICA == 'R') check(padded == added.substr(0, part) + underscores + x);
    } else {
        check(padded.size() == 255);
    }
    return 0;
}

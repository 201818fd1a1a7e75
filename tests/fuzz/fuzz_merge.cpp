// The wildcard merge. The input is a source name and a pattern separated by
// a newline ('*' and '?' are taken out of the source, which never holds
// them). The result never holds '*' or '?', never a byte that is in neither
// argument (the separating '.' aside), and equals a plain model of the merge
// written from its rules: star expansion, source limiting, fill, cut at the
// first hole, length check, assembly.
// needs: names/merge.h
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "names/merge.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

constexpr size_t kFull = 255;

void split(const std::string& s, std::string& name, std::string& ext) {
    const size_t dot = s.rfind('.');
    if (dot == std::string::npos) {
        name = s;
        ext.clear();
    } else {
        name = s.substr(0, dot);
        ext = s.substr(dot + 1);
    }
}

// One part: pattern part p over source part s.
std::string merge_part(std::string p, std::string s) {
    const size_t star = p.find('*');
    if (star != std::string::npos) {
        p.resize(star);
        p.resize(kFull, '?');
    }
    if (s.size() > p.size()) s.resize(p.size());
    p.resize(kFull, '?');
    s.resize(kFull, '?');
    for (size_t i = 0; i < kFull; ++i)
        if (p[i] == '?') p[i] = s[i];
    const size_t hole = p.find('?');
    p.resize(hole == std::string::npos ? kFull - 1 : hole);
    return p;
}

std::string model(const std::string& source, const std::string& pattern) {
    std::string sn, se, pn, pe;
    split(source, sn, se);
    split(pattern, pn, pe);
    const std::string n = merge_part(pn, sn);
    const std::string e = merge_part(pe, se);
    if (n.size() + e.size() + 1 > kFull) return std::string();
    std::string r = n + "." + e;
    while (!r.empty() && r.back() == '.') r.pop_back();
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    const size_t nl = in.find('\n');
    std::string source = in.substr(0, nl);
    const std::string pattern = nl == std::string::npos ? std::string() : in.substr(nl + 1);
    std::erase(source, '*');
    std::erase(source, '?');
    const dolv::ShortText src(source), pat(pattern);

    const dolv::ShortText result = dolv::FUSIONJOLLY(src, pat);
    check(result.size() <= 255);
    check(!result.contains('*') && !result.contains('?'));
    for (int i = 1; i <= result.size(); ++i) {
        const char c = static_cast<char>(result.at(i));
        check(c == '.' || src.contains(c) || pat.contains(c));
    }
    check(result.str() == model(src.str(), pat.str()));
    return 0;
}

// The directory search. A pattern with wildcards lists the directory once
// and keeps the names that the shared matcher accepts, sorted in the shared
// order, so the system's own matching (and its 8.3 short names, through
// which `*.txt` would find `x.txtx`) never takes part. A literal name is one
// attribute query, never a scan.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/wildcard.h"
#include "platform/windows/win_fs.h"
#include "platform/windows/win_text.h"

namespace dolv {

struct SearchState {
    struct Entry {
        std::string name;
        int64_t size = 0;
        uint8_t attr = 0;
    };
    std::vector<Entry> entries;
    size_t next = 0;
};

namespace {

uint8_t DosAttributes(DWORD attributes) {
    return static_cast<uint8_t>(attributes &
                                (FA_READONLY | FA_HIDDEN | FA_SYSFILE | FA_DIRECTORY | FA_ARCHIVE));
}

int64_t Size(DWORD high, DWORD low) {
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

bool HasControlByte(const std::string& name) {
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 32; });
}

void Deliver(SearchRec& rec) {
    SearchState& state = *rec.state;
    if (state.next >= state.entries.size()) {
        SET_DOSERROR(kStatusNoMoreFiles);
        return;
    }
    const SearchState::Entry& entry = state.entries[state.next++];
    rec.name = entry.name;
    rec.size = entry.size;
    rec.attr = entry.attr;
    SET_DOSERROR(0);
}

// Every name of the directory that matches; false when the directory cannot be listed.
bool Scan(const std::string& dir, const std::string& pattern, uint8_t mask, SearchState& state) {
    std::string expression = WILDCARD_EXPRESSION(pattern);
    if (expression.empty()) return true;
    std::wstring wide_dir;
    if (!CP850_TO_WIDE_PATH(dir, wide_dir)) return false;
    wide_dir += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(wide_dir.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    std::string name;
    do {
        // A name CP850 cannot hold is passed over: it could be neither
        // shown nor addressed again without changing it.
        if (!WIDE_TO_CP850(data.cFileName, name) || name.empty() || HasControlByte(name)) continue;
        uint8_t attr = DosAttributes(data.dwFileAttributes);
        if (!MASK_ALLOWS(attr, mask) || !WILDCARD_MATCH_EXPRESSION(expression, name)) continue;
        state.entries.push_back({name, Size(data.nFileSizeHigh, data.nFileSizeLow), attr});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(state.entries.begin(), state.entries.end(),
              [](const SearchState::Entry& a, const SearchState::Entry& b) {
                  return NAME_BEFORE(a.name, b.name);
              });
    return true;
}

// The stored form of a name asked about literally (its letter case on
// disk, the long name behind an 8.3 alias), or the name as written when the
// stored one cannot be had in CP850.
std::string StoredName(const std::wstring& wide_path, const std::string& written) {
    if (written == "." || written == "..") return written;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(wide_path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return written;
    FindClose(find);
    std::string stored;
    if (!WIDE_TO_CP850(data.cFileName, stored) || stored.empty() || HasControlByte(stored))
        return written;
    return stored;
}

bool Literal(const std::string& path, const std::string& name, uint8_t mask, SearchState& state) {
    std::wstring wide;
    if (!CP850_TO_WIDE_PATH(path, wide)) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
    uint8_t attr = DosAttributes(data.dwFileAttributes);
    if (!MASK_ALLOWS(attr, mask)) return true;
    state.entries.push_back(
        {StoredName(wide, name), Size(data.nFileSizeHigh, data.nFileSizeLow), attr});
    return true;
}

}  // namespace

void FINDFIRST(const ShortText& path, uint8_t mask, SearchRec& rec) {
    rec.name = ShortText();
    rec.size = 0;
    rec.attr = 0;
    rec.state = std::make_shared<SearchState>();
    std::string text = path.str();
    std::replace(text.begin(), text.end(), '/', '\\');
    size_t cut = text.find_last_of("\\:");
    std::string dir = cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
    std::string pattern = cut == std::string::npos ? text : text.substr(cut + 1);
    if (pattern.empty()) {
        SET_DOSERROR(kStatusFileNotFound);
        return;
    }
    bool listed = HAS_WILDCARDS(pattern) ? Scan(dir, pattern, mask, *rec.state)
                                         : Literal(text, pattern, mask, *rec.state);
    if (!listed) {
        SET_DOSERROR(HAS_WILDCARDS(pattern) ? kStatusPathNotFound : kStatusFileNotFound);
        return;
    }
    Deliver(rec);
}

// The listing gives every entry's size and attributes: nothing is left for later.
void FINDFIRST_LAZY(const ShortText& path, uint8_t mask, SearchRec& rec) {
    FINDFIRST(path, mask, rec);
}

void FINDDETAILS(SearchRec&) {}

void FINDNEXT(SearchRec& rec) {
    if (!rec.state) {
        SET_DOSERROR(kStatusNoMoreFiles);
        return;
    }
    Deliver(rec);
}

int32_t SEARCH_COUNT(const SearchRec& rec) {
    if (!rec.state) return 0;
    int32_t n = 0;
    for (const SearchState::Entry& e : rec.state->entries)
        if (e.name != "." && e.name != "..") ++n;
    return n;
}

void FINDCLOSE(SearchRec& rec) {
    rec.state.reset();
}

// The volume folds letter case itself: every spelling finds the item.
ShortText SOURCE_PATH(const ShortText& path) {
    return path;
}

}  // namespace dolv

// The journal's text, shared by the platforms: a first line kJournalHeader,
// then one line per step: its kind, the device and the inode in hex ("-"
// when not known), the old and the new path as the system names them
// (UTF-8), separated by tabs; the bytes %, tab, CR, LF and NUL of a path
// written as %XX. A line "P<tab><directory>" (the directory whole, with its
// closing separator) makes the paths that follow it and are not whole
// relative to that directory: a batch writes its directory once, and then
// names only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/journal.h"

namespace dolv {

extern const char kJournalHeader[];

// The room the kind and the identity of a step take at most.
constexpr size_t kJournalHeadMax = 1 + 1 + 16 + 1 + 16 + 1;
// The pieces of a step's line, written at out (room enough: the head, then
// three bytes for each byte of a field and its end); each gives back the
// place after what it wrote. The line is the head, the old path's field
// ending in a tab, the new path's ending in a line end.
char* JOURNAL_PUT_HEAD(char* out, Step step, const ItemId& id);
char* JOURNAL_PUT_FIELD(char* out, std::string_view native, char end);
// A number in hex, then end.
char* JOURNAL_PUT_NUMBER(char* out, uint64_t n, char end);
// The quick field of a name in the program's form whose bytes are all
// printable ASCII but %, \, / and : (the same bytes on disk and in the
// record: no separator, no drive, nothing to escape);
// nullptr, with nothing written, for any other name.
char* JOURNAL_PUT_PLAIN_FIELD(char* out, std::string_view name, char end);
// The line of one step, with its line end, into out (reused).
void JOURNAL_LINE(std::string& out, Step step, const ItemId& id, std::string_view old_native,
                  std::string_view new_native);
// The directory line, with its line end, into out (reused).
void JOURNAL_DIR_LINE(std::string& out, std::string_view dir_native);
bool JOURNAL_HEADER_OK(std::string_view text);
// The records of a journal's text: whole lines only. Zero bytes (room kept
// for records to come, the tail of a run cut short) and a line cut short
// are passed over.
void JOURNAL_PARSE(std::string_view text, std::vector<JournalRecord>& records);

}  // namespace dolv

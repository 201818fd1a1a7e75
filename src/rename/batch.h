// The batch rename: every entry matching FILE1 gets its name from FILE2.
#pragma once

#include "base/short_text.h"
#include "names/merge.h"

namespace dolv {

void RINOMINA(const ShortText& file1, const ShortText& file2);
// What make_new_name does to every entry of a batch, worked out once from the
// destination pattern and the run's settings: the steps after the merge
// that their options ask for. (The small fields first: a batch reads them
// for every entry.)
struct NewNamePlan {
    bool conversion = false;  // MAIUSCOLO
    bool removal = false;     // REM_PREFISSO or REM_SUFFISSO
    bool addition = false;    // PREFISSO or SUFFISSO
    bool fill = false;        // GIUSTIFICA
    MergePattern pattern;
};
NewNamePlan new_name_plan(const ShortText& pattern);

// The new name of an entry: merge, case, removal, addition, fill, in that
// order, with the run's settings.
ShortText make_new_name(const ShortText& name, const NewNamePlan& plan);
// Writes "la directory " or "il file " and the path (35 columns) in red; returns empty.
ShortText F_D(const ShortText& path);
// True when new_name may be the new name of an item in dir: a bare, non-empty
// name that the name checks accept and that keeps the path within 255 characters.
bool acceptable_new_name(const ShortText& dir, const ShortText& new_name);

}  // namespace dolv

// The walk over the entries of one directory search.
#pragma once

#include <cstdint>
#include <functional>

#include "names/search.h"

namespace dolv {

// Hands each entry of the search started in rec (FINDFIRST or
// findfirst_lazy), "." and ".." aside, to each, after counting it in
// counters.TOT; a pending cancel is acted on after each entry. Stops when
// the search runs out or `expected` entries are counted (what the directory
// held when the search started is the bound, whatever the renames add).
// Closes the search; ends the run with kNotFound when nothing was counted.
// An entry whose name the program cannot address (findfirst_walk) is named
// in a report line in its place, counted in counters.non_rappresentabili,
// and not handed on; dir is the directory of the entries, for that line.
void walk_entries(SearchRec& rec, int32_t expected, const ShortText& dir,
                  const std::function<void(SearchRec&)>& each);
// The closing line that counts the names passed over, when there were any.
void write_unshown_count();

}  // namespace dolv

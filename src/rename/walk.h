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
void walk_entries(SearchRec& rec, int32_t expected, const std::function<void(SearchRec&)>& each);

}  // namespace dolv

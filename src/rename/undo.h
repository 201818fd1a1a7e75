// Taking back the latest run that renamed anything (/U).
#pragma once

namespace dolv {

// Takes back the latest run whose journal is not marked undone, last step
// first, each item with the rename that never replaces; an item that is
// gone, that is another item now, or whose old name is taken, is reported
// and left alone. Under /S it only tells what it would do. Closes with its
// counts and marks the journal undone; with no run to take back it says so
// and ends the run with code 1.
void annulla_ultima();

}  // namespace dolv

// Taking back the latest run that renamed anything (/U).
#pragma once

namespace dolv {

// Takes back the latest run not yet undone that renamed an item in the
// current directory or below it, last step first, each item with the
// rename that never replaces; an item that is gone, that is another item
// now, or whose old name is taken, is named once and left alone. Under /S
// it only tells what it would do, with the same lines and counts. Closes
// with its counts, one for each item, and marks the journal undone; with
// no run to take back, or a journal it cannot trust, it says so and ends
// the run with code 1.
void annulla_ultima();

}  // namespace dolv

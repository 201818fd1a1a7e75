// The one way out of the process. Every ending comes here: the normal end,
// an error, a cancel (Ctrl-C and the like), an exchange given up, the help
// screen, nothing to undo, an internal error. It runs the closings the run
// handed in at its start (the report file, the journal: each cut to what
// was written), shows the cursor, gives the console back as it was found,
// and ends the process with the code.
#pragma once

namespace dolv {

[[noreturn]] void end_run(int code);

// A closing for end_run to run first; the last one handed in runs first.
// Handing one in twice runs it once.
using Closing = void (*)();
void close_at_end(Closing closing);
// Forgets every closing (a new run in the same process: the tests).
void forget_closings();

}  // namespace dolv

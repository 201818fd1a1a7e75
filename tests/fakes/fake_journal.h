// The journal of the in-process tests: runs kept in memory in place of the
// platform's journal files, with the same rules (a run's journal starts at
// its first record, DOLV_NO_JOURNAL in the fake environment turns it off,
// the last 20 runs kept, a failure leaves one line on "standard error").
#pragma once

#include <string>

namespace dolv::fake {

class Journal {
  public:
    // No runs; journals can be written.
    static void Reset();
    // The end of a process: the next record starts a new run. RunProgram
    // calls it after every run, however the run ended.
    static void EndRun();
    // Journals cannot be written from now on (a read-only home, a full disk).
    static void Unwritable();
    static int Runs();    // journals kept, undone ones included
    static int Undone();  // journals marked undone
    // The steps of the latest run, "R a.txt>b.txt" joined with blanks (the
    // names only), for a table's column.
    static std::string Steps();
    // What the journal wrote to standard error.
    static const std::string& Errors();
};

}  // namespace dolv::fake

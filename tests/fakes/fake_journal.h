// The journal as the in-process tests see it: the program's own journal
// (report/journal.h) over the in-memory store of fake_store.h, read back
// for a table's columns.
#pragma once

#include <string>

namespace dolv::fake {

class Journal {
  public:
    // No runs; journals can be written.
    static void Reset();
    // The end of a process: the next record starts a new run. RunProgram
    // calls it after every run, however the run ended; a journal the run
    // did not close stays as it is, as a killed process leaves it.
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

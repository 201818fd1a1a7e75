// The report channel: the lines that record what was done go to the
// console, to the report file, to both, or nowhere, by OUTFILE and VISUALIZZA.
#pragma once

#include "base/short_text.h"

namespace dolv {

void WRITE2(const ShortText& text);
void WRITELN2(const ShortText& text = ShortText());

// True when the report lines go nowhere (+NUL): callers may skip building them.
bool report_silent();

// Checks and opens the report file named by settings.OUTFILE (without its
// '+'), acting on ACCODA and asking when the file exists.
void open_report();
// Pushes the buffered report lines to the report file; a failure ends the
// run with kReportWriteFailed. Called before every rename, so that the record of
// an item is in the file before the item changes, and before the closing.
// A console output that has failed (output_failed) ends the run the same
// way; the console is pushed out at the first call, later only as its
// buffer fills.
void commit_report();
// Closes the report file when OUTFILE is not empty; the outcome is ignored.
void close_report();
// True when the path names the report file that is open now (its name as
// opened, and its identity). Cheap for any other name.
bool is_open_report(const ShortText& path);

}  // namespace dolv

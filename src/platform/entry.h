// The program's entry. The platform owns main (wmain on Windows): it opens
// the console and hands the command line to DOLV_MAIN, which the program
// defines. Where the platform has the command line as one text (Windows), it
// passes that text in code page 850 and the program splits it by its own
// rules; elsewhere it passes the arguments already split, in code page 850.
#pragma once

#include <string>
#include <vector>

namespace dolv {

struct CommandLine {
    bool whole = false;              // true: `text` holds the whole line, program name first
    std::string text;                // the whole command line (CP850), when whole
    std::vector<std::string> args;   // the arguments without the program name, otherwise
};

// Defined by the program; returns the process exit code.
int DOLV_MAIN(const CommandLine& command_line);

}  // namespace dolv

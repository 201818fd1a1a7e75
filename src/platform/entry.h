// The program's entry. The platform owns main (wmain on Windows): it hands
// the arguments, in code page 850, to dolv_main, which the program defines.
// Where the platform has the command line as one text (Windows), it splits
// that text with the program's split_command_line while it is still UTF-16,
// and only then turns each argument into CP850: a character CP850 lacks
// becomes the control byte 0x1A, which must stay a character of its
// argument and never split it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dolv {

struct CommandLine {
    std::vector<std::string> args;  // the arguments without the program name (CP850)
};

// Defined by the program: the whole run, from opening the console to the
// end of the process.
[[noreturn]] void dolv_main(const CommandLine& command_line);

// Defined by the program: its version ("1.30.0"), for --version.
const char* program_version();

// Defined by the program: the arguments of a whole command line held as
// UTF-16 units, by the program's quote rules; the first word (the program's
// own name) is dropped.
std::vector<std::wstring> split_command_line(std::wstring_view line);

}  // namespace dolv

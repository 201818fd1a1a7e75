// The console of the fuzz build: output goes to a string, keys come from a
// script, and HALT throws Halted instead of ending the process, so that a
// fuzz target can run code that ends the run through ERR or HELP.
#pragma once

#include <string>

namespace dolv::fuzz {

struct Halted {
    int code;
};

// Everything written since the last RESET_CONSOLE, as the console got it.
const std::string& CONSOLE_OUTPUT();
// How many keys were read since the last RESET_CONSOLE.
int KEYS_READ();
// Clears the output and the cursor; the next keys read are `keys`, then Esc for ever.
void RESET_CONSOLE(const std::string& keys = std::string());

}  // namespace dolv::fuzz

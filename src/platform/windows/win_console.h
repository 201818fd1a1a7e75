// What the console output side shares with the key reader (Windows only).
#pragma once

#include <windows.h>

namespace dolv {

// Standard input, and whether it is a console (else a pipe or a file).
HANDLE WIN_INPUT();
bool WIN_INPUT_IS_CONSOLE();
// Signalled while a cancel (Ctrl-C, Ctrl-Break, closing the window) is pending.
HANDLE WIN_CANCEL_EVENT();
// Brackets a blocking read of piped input, which a cancel breaks off
// (and only that read: never a write in progress).
void WIN_PIPE_READ(bool reading);

}  // namespace dolv

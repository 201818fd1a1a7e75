// The Windows entry: the whole command line, as the system keeps it, turned
// into CP850 for the program to split by its own rules.
#include <windows.h>

#include "platform/console.h"
#include "platform/entry.h"
#include "platform/windows/win_text.h"

int wmain(int, wchar_t**) {
    dolv::CONSOLE_OPEN();
    dolv::CommandLine command_line;
    command_line.whole = true;
    const wchar_t* line = GetCommandLineW();
    command_line.text =
        dolv::WIDE_TO_CP850_LOSSY(line ? std::wstring_view(line) : std::wstring_view());
    int code = dolv::DOLV_MAIN(command_line);
    dolv::HALT(code);
}

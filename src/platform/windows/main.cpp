// The Windows entry: the whole command line, as the system keeps it, split
// by the program's rules while it is UTF-16, then each argument in CP850.
// (Splitting after the CP850 step would take the 0x1A that stands for a
// character CP850 lacks for a separator.)
#include <windows.h>

#include "platform/entry.h"
#include "platform/windows/win_text.h"

int wmain(int, wchar_t**) {
    dolv::CommandLine command_line;
    const wchar_t* line = GetCommandLineW();
    for (const std::wstring& word :
         dolv::split_command_line(line ? std::wstring_view(line) : std::wstring_view()))
        command_line.args.push_back(dolv::wide_to_cp850_lossy(word));
    dolv::dolv_main(command_line);
}

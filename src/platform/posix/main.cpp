// The program's entry on POSIX: the arguments arrive as UTF-8 and go to the
// program in CP850.
#include <string>

#include "platform/console.h"
#include "platform/cp850.h"
#include "platform/entry.h"

int main(int argc, char** argv) {
    dolv::CONSOLE_OPEN();
    dolv::CommandLine command_line;
    for (int i = 1; i < argc; ++i) command_line.args.push_back(dolv::UTF8_TO_CP850_LOSSY(argv[i]));
    int rc = dolv::DOLV_MAIN(command_line);
    dolv::HALT(rc);
}

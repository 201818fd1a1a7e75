// The program's entry on POSIX: the arguments arrive as UTF-8 and go to the
// program in CP850.
#include <string>

#include "platform/cp850.h"
#include "platform/entry.h"

int main(int argc, char** argv) {
    dolv::CommandLine command_line;
    for (int i = 1; i < argc; ++i) command_line.args.push_back(dolv::UTF8_TO_CP850_LOSSY(argv[i]));
    dolv::DOLV_MAIN(command_line);
}

// The program's entry on POSIX: the arguments arrive as UTF-8 and go to the
// program in CP850.
#include <string>

#include "platform/cp850.h"
#include "platform/entry.h"

int main(int argc, char** argv) {
    dolv::CommandLine command_line;
    for (int i = 1; i < argc; ++i) command_line.args.push_back(dolv::utf8_to_cp850_lossy(argv[i]));
    dolv::dolv_main(command_line);
}

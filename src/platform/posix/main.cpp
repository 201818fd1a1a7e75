// The program's entry on POSIX: the arguments arrive as UTF-8 and go to the
// program in CP850.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/console.h"
#include "platform/cp850.h"
#include "platform/entry.h"

namespace {

bool IsHelpRequest(const char* arg) {
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

// The two requests every command on this system answers. An argument that is
// exactly --help or -h stands for /?, and one that is exactly --version
// prints the name and version and ends the run, whichever comes first. Any
// other argument that starts with "-" stays a name, as on Windows.
bool VersionRequested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (IsHelpRequest(argv[i])) return false;
        if (std::strcmp(argv[i], "--version") == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (VersionRequested(argc, argv)) {
        std::printf("dolv %s\n", dolv::PROGRAM_VERSION());
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    dolv::CONSOLE_OPEN();
    dolv::CommandLine command_line;
    for (int i = 1; i < argc; ++i)
        command_line.args.push_back(IsHelpRequest(argv[i]) ? std::string("/?")
                                                           : dolv::UTF8_TO_CP850_LOSSY(argv[i]));
    int rc = dolv::DOLV_MAIN(command_line);
    dolv::HALT(rc);
}

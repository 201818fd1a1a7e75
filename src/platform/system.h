// What the program asks of the system it runs on beyond the console and the
// file system: its name on the help screen, and the habits of its command
// line. The rules that follow from them are the program's own, written once
// above the platform.
#pragma once

namespace dolv {

// The platform variant's name, at most 3 characters.
const char* platform_name();

struct SystemConventions {
    // Every command answers `--help` (or `-h`) and `--version` here.
    bool help_words = false;
    // Paths are written with '/': in an argument, only the trailing
    // segments that are whole options are options.
    bool slash_paths = false;
    // A wildcard never matches the leading '.' of a name: only a pattern
    // that begins with '.' selects such names, as a shell's `*` does.
    bool dot_files = false;
};
const SystemConventions& system_conventions();

}  // namespace dolv

// Test-only program: runs the line editor on the current row and prints what
// it returned.
//
//   editor_probe TEXT LEFT RIGHT OVERWRITE COLUMN POSITION [ROUNDS]
//
// Each round edits the result of the previous one (the first edits TEXT),
// passing the overwrite flag, column and position back in as a caller does,
// then writes on the following lines:
//   ext=E key=K col=C pos=P ovr=O len=L width=W
//   text=<the edited text>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "interactive/editor.h"
#include "platform/console.h"
#include "platform/cp850.h"

namespace {

int number(const char* s) {
    return std::atoi(s);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace dolv;
    if (argc < 7) {
        std::fprintf(stderr,
                     "usage: editor_probe TEXT LEFT RIGHT OVERWRITE COLUMN POSITION [ROUNDS]\n");
        return 2;
    }
    ShortText text = utf8_to_cp850_lossy(argv[1]);
    auto left = static_cast<uint8_t>(number(argv[2]));
    auto right = static_cast<uint8_t>(number(argv[3]));
    bool overwrite = number(argv[4]) != 0;
    auto column = static_cast<uint8_t>(number(argv[5]));
    auto position = static_cast<uint8_t>(number(argv[6]));
    int rounds = argc > 7 ? number(argv[7]) : 1;

    console_open();
    for (int round = 0; round < rounds; ++round) {
        uint8_t extended = 0;
        uint8_t last_key = 0;
        text = READSTRING2(text, left, right, overwrite, extended, last_key, column, position);
        std::string line = "ext=" + std::to_string(extended) + " key=" + std::to_string(last_key) +
                           " col=" + std::to_string(column) + " pos=" + std::to_string(position) +
                           " ovr=" + std::to_string(overwrite ? 1 : 0) +
                           " len=" + std::to_string(text.size()) +
                           " width=" + std::to_string(GETTEXTMAXX());
        WRITELN();
        WRITELN(line);
        WRITE("text=<");
        WRITE(text);
        WRITELN(">");
    }
    HALT(0);
}

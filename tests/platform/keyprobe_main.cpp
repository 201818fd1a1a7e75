// A test program: shows the screen size, then the code of every key read,
// one per line, until 'q' (or five Esc in a row, as at the end of a piped
// input). A cancel (Ctrl-C, SIGTERM, SIGHUP) prints "cancelled" and ends
// with exit code 3.
#include <string>

#include "platform/console.h"

namespace {

void on_cancel() {
    dolv::WRITELN("cancelled");
    dolv::HALT(3);
}

}  // namespace

int main() {
    using namespace dolv;
    console_open();
    set_cancel_action(on_cancel);
    WRITELN(ShortText("size ") + std::to_string(screen_width()) + "x" +
            std::to_string(screen_height()));
    WRITELN("ready");
    int escapes = 0;
    for (;;) {
        unsigned char key = READKEY();
        WRITELN(std::to_string(key));
        if (key == 'q') break;
        escapes = key == 27 ? escapes + 1 : 0;
        if (escapes == 5) {
            WRITELN("end");
            break;
        }
    }
    HALT(0);
}

// A test program: runs the console operations named by its arguments, in
// order, and reports positions and keys on standard error.
//   w:TEXT  WRITE     l:TEXT  WRITELN   (TEXT may hold \xNN for any CP850 byte)
//   c:CH    WRITE of one character      n:COUNT:TEXT  WRITE the text COUNT times
//   g:X,Y   GOTOXY    k  CLREOL   fg:N  TEXTCOLOR   bg:N  TEXTBACKGROUND
//   on / off / big    the cursor shapes
//   pos     "X,Y" of WHEREX, WHEREY on standard error
//   size    "WxH" on standard error
//   key     READKEY, its code on standard error;  pause  READKEY, silent
//   wait    waits until a cancel is pending, says "pending", then check_cancel
//   abort   crashes with abort()
//   halt:N  HALT(N)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/console.h"

namespace {

std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

void on_cancel() {
    dolv::WRITELN("cancelled");
    dolv::HALT(3);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace dolv;
    console_open();
    set_cancel_action(on_cancel);
    for (int i = 1; i < argc; ++i) {
        std::string op = argv[i];
        std::string arg = op.find(':') == std::string::npos ? "" : op.substr(op.find(':') + 1);
        std::string name = op.substr(0, op.find(':'));
        if (name == "w") {
            WRITE(ShortText(unescape(arg)));
        } else if (name == "l") {
            WRITELN(ShortText(unescape(arg)));
        } else if (name == "c") {
            WRITE(unescape(arg)[0]);
        } else if (name == "n") {
            int count = std::atoi(arg.c_str());
            ShortText text(unescape(arg.substr(arg.find(':') + 1)));
            for (int k = 0; k < count; ++k) WRITE(text);
        } else if (name == "g") {
            GOTOXY(std::atoi(arg.c_str()), std::atoi(arg.substr(arg.find(',') + 1).c_str()));
        } else if (name == "k") {
            CLREOL();
        } else if (name == "fg") {
            TEXTCOLOR(std::atoi(arg.c_str()));
        } else if (name == "bg") {
            TEXTBACKGROUND(std::atoi(arg.c_str()));
        } else if (name == "on") {
            CURSORON();
        } else if (name == "off") {
            CURSOROFF();
        } else if (name == "big") {
            CURSORBIG();
        } else if (name == "pos") {
            std::fprintf(stderr, "%d,%d\n", WHEREX(), WHEREY());
        } else if (name == "size") {
            std::fprintf(stderr, "%dx%d\n", screen_width(), screen_height());
        } else if (name == "key") {
            std::fprintf(stderr, "key %d\n", READKEY());
        } else if (name == "pause") {
            READKEY();
        } else if (name == "wait") {
            FLUSH();
            while (!cancel_pending()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::fprintf(stderr, "pending\n");
            check_cancel();
        } else if (name == "abort") {
            FLUSH();
            std::abort();
        } else if (name == "halt") {
            HALT(std::atoi(arg.c_str()));
        }
    }
    HALT(0);
}

#include "fake_console.h"

#include "platform/console.h"

namespace dolv {

namespace {

std::string output;
std::string keys;
size_t next_key = 0;
int keys_read = 0;
int x = 1, y = 1;
int mode = 3;
CancelAction cancel_action = nullptr;

void PUT(char c) {
    output += c;
    ++x;
}

}  // namespace

namespace fuzz {

const std::string& CONSOLE_OUTPUT() {
    return output;
}
int KEYS_READ() {
    return keys_read;
}
void RESET_CONSOLE(const std::string& script) {
    output.clear();
    keys = script;
    next_key = 0;
    keys_read = 0;
    x = y = 1;
}

}  // namespace fuzz

void CONSOLE_OPEN() {}
void CONSOLE_CLOSE() {}
void WRITE(const ShortText& text) {
    for (int i = 1; i <= text.size(); ++i) PUT(static_cast<char>(text.at(i)));
}
void WRITE(char c) {
    PUT(c);
}
void WRITELN(const ShortText& text) {
    WRITE(text);
    output += "\r\n";
    x = 1;
    ++y;
}
void FLUSH() {}
bool OUTPUT_FAILED() {
    return false;
}
void OUTPUT_TO_ERRORS() {}
void TEXTMODE(int m) {
    mode = m;
}
int LASTMODE() {
    return mode;
}
void TEXTCOLOR(int) {}
void TEXTBACKGROUND(int) {}
int WHEREX() {
    return x;
}
int WHEREY() {
    return y;
}
void GOTOXY(int nx, int ny) {
    if (nx >= 1 && nx <= 80 && ny >= 1 && ny <= 25) {
        x = nx;
        y = ny;
    }
}
void CLREOL() {}
int SCREEN_WIDTH() {
    return 80;
}
int SCREEN_HEIGHT() {
    return 25;
}
void CURSORON() {}
void CURSOROFF() {}
void CURSORBIG() {}
unsigned char READKEY() {
    ++keys_read;
    if (next_key < keys.size()) return static_cast<unsigned char>(keys[next_key++]);
    return 27;
}
CancelAction SET_CANCEL_ACTION(CancelAction action) {
    const CancelAction previous = cancel_action;
    cancel_action = action;
    return previous;
}
bool CANCEL_PENDING() {
    return false;
}
void CHECK_CANCEL() {}
void HALT(int code) {
    throw fuzz::Halted{code};
}

}  // namespace dolv

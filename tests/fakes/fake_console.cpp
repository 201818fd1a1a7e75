#include "fakes/fake_console.h"

#include "harness/grid.h"
#include "platform/console.h"

namespace dolv {

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 25;
constexpr int kEvent = -1;

struct State {
    std::string text;
    std::vector<fake::Piece> pieces;
    std::string keys;
    size_t next_key = 0;
    int keys_read = 0;
    int colour = 7;
    int background = 0;
    int mode = 3;
    int shape = 0;
    int cancel_at_key = 0;
    int cancel_at_check = 0;
    int checks = 0;
    bool cancel = false;
    bool in_action = false;
    bool output_failed = false;
    bool to_errors = false;
    std::string errors;  // the lines written to standard error
    CancelAction action = nullptr;
};

State& S() {
    static State s;
    return s;
}

// The screen, apart from State so that a reset clears it in place. Past the
// last column the console goes on at the start of the next line at once, as
// the real one does on a terminal.
Grid& screen() {
    static Grid grid(kWidth, kHeight, Grid::Wrap::kAtOnce, 7, 0);
    return grid;
}

void event(const std::string& what) {
    S().pieces.push_back({what, kEvent});
}

void record(char c) {
    State& s = S();
    s.text += c;
    if (s.pieces.empty() || s.pieces.back().colour != s.colour)
        s.pieces.push_back({std::string(), s.colour});
    s.pieces.back().text += c;
}

// One byte at the cursor.
void put(char c) {
    record(c);
    screen().put(std::string_view(&c, 1));
}

void run_cancel() {
    State& s = S();
    if (!s.cancel || s.in_action) return;
    s.cancel = false;
    s.in_action = true;
    if (!s.action) HALT(1);
    s.action();
    s.in_action = false;
}

}  // namespace

namespace fake {

void Console::Reset(const std::string& keys) {
    State& s = S();
    s = State();
    screen().clear();
    s.keys = keys;
}
void Console::AddKeys(const std::string& keys) {
    S().keys += keys;
}
const std::string& Console::Text() {
    return S().text;
}
std::string Console::Transcript() {
    std::string out;
    int shown = 7;
    for (const Piece& p : S().pieces) {
        if (p.colour != kEvent && p.colour != shown) {
            out += "{" + std::to_string(p.colour) + "}";
            shown = p.colour;
        }
        out += p.text;
    }
    return out;
}
std::vector<std::string> Console::InColour(int colour) {
    std::vector<std::string> out;
    for (const Piece& p : S().pieces)
        if (p.colour == colour) out.push_back(p.text);
    return out;
}
std::string Console::Row(int y) {
    return screen().row(y);
}
int Console::KeysRead() {
    return S().keys_read;
}
int Console::Colour() {
    return S().colour;
}
int Console::CursorShape() {
    return S().shape;
}
void Console::CancelAtKey(int n) {
    S().cancel_at_key = n;
}
void Console::CancelAtCheck(int n) {
    S().cancel_at_check = n;
}
void Console::raise_cancel() {
    S().cancel = true;
}
int Console::Checks() {
    return S().checks;
}
void Console::FailOutput() {
    S().output_failed = true;
}
bool Console::ToErrors() {
    return S().to_errors;
}
const std::string& Console::Errors() {
    return S().errors;
}

}  // namespace fake

void console_open() {}
void console_close() {}

void WRITE(const ShortText& text) {
    for (int i = 1; i <= text.size(); ++i) put(static_cast<char>(text.at(i)));
}
void WRITE(char c) {
    put(c);
}
void WRITELN(const ShortText& text) {
    WRITE(text);
    record('\n');
    screen().move(1, screen().y());
    screen().line_feed();
}
void report_output(bool) {}
void write_error_line(const ShortText& text) {
    S().errors += text.str() + "\n";
}
void FLUSH() {}
bool output_failed() {
    return S().output_failed;
}
void output_to_errors() {
    S().to_errors = true;
}

void TEXTMODE(int mode) {
    S().mode = mode;
}
int LASTMODE() {
    return S().mode;
}
void TEXTCOLOR(int colour) {
    State& s = S();
    s.colour = colour & 15;
    screen().set_colours(s.colour, s.background);
}
void TEXTBACKGROUND(int colour) {
    State& s = S();
    s.background = colour & 15;
    screen().set_colours(s.colour, s.background);
}

int WHEREX() {
    return screen().x();
}
int WHEREY() {
    return screen().y();
}
void GOTOXY(int x, int y) {
    if (x < 1 || y < 1 || x > kWidth || y > kHeight) return;
    screen().move(x, y);
    event("{@" + std::to_string(x) + "," + std::to_string(y) + "}");
}
void CLREOL() {
    screen().erase_in_line(screen().x(), kWidth);
}
int screen_width() {
    return kWidth;
}
int screen_height() {
    return kHeight;
}

void CURSORON() {
    S().shape = 0;
    event("{on}");
}
void CURSOROFF() {
    S().shape = 1;
    event("{off}");
}
void CURSORBIG() {
    S().shape = 2;
    event("{big}");
}

unsigned char READKEY() {
    State& s = S();
    ++s.keys_read;
    if (s.keys_read == s.cancel_at_key) s.cancel = true;
    run_cancel();
    if (s.next_key < s.keys.size()) return static_cast<unsigned char>(s.keys[s.next_key++]);
    return 27;
}

CancelAction set_cancel_action(CancelAction action) {
    const CancelAction previous = S().action;
    S().action = action;
    return previous;
}
bool cancel_pending() {
    return S().cancel;
}
void check_cancel() {
    State& s = S();
    if (++s.checks == s.cancel_at_check) s.cancel = true;
    run_cancel();
}

void HALT(int code) {
    throw fake::Halted{code};
}

}  // namespace dolv

// Console output: CP850 text written as UTF-8 (every byte as its glyph, so
// no control byte of a name ever reaches the terminal), colours and cursor
// moves as VT sequences on a terminal only, and the cursor position tracked
// from what is written. Rows are moved relative to the tracked row and
// columns set absolutely, so nothing depends on where the run started.
#include "platform/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>

#include "base/hot.h"
#include "platform/cp850.h"
#include "platform/posix/terminal.h"

namespace dolv {
namespace {

constexpr size_t kFlushAt = 1 << 16;

// The console's state.
struct Console {
    std::string out;          // written, not yet flushed
    bool open = false;        // console_open has run
    int fd = STDOUT_FILENO;   // where the output goes
    bool out_lost = false;    // the output went away: what follows is dropped
    bool out_failed = false;  // ... and it was a pipe or a file, not a terminal
    bool colours = false;     // colours are written (a terminal, no NO_COLOR)
    int width = 80;           // the terminal's size, at most 255 by 255
    int height = 25;
    // The tracked cursor.
    int x = 1;
    int y = 1;
    int written_x = 1;               // where the written text stands when output is no terminal
    int fg = 7, bg = 0;              // wanted
    int shown_fg = 7, shown_bg = 0;  // last written to the terminal
    int last_mode = 3;               // TEXTMODE's mode, for LASTMODE
    // Where the keyboard is a terminal and standard output is not, the
    // questions and what introduces them go to standard error (as rm -i
    // asks) and only the report lines to standard output. `other` then
    // holds the stream not written now; `reporting` says which is written.
    bool split = false;
    bool reporting = false;
    struct Stream {
        std::string out;
        int fd = STDERR_FILENO;
        bool out_lost = false;
        int x = 1, y = 1, written_x = 1;
    } other;
};
Console g_console;

// Trades the stream written now for the other one (split output only).
void swap_streams() {
    Console& c = g_console;
    std::swap(c.out, c.other.out);
    std::swap(c.fd, c.other.fd);
    std::swap(c.out_lost, c.other.out_lost);
    std::swap(c.x, c.other.x);
    std::swap(c.y, c.other.y);
    std::swap(c.written_x, c.other.written_x);
}

// A path's `\` as the system writes it; the line end of the system.
constexpr char kLineEnd[] = "\n";

// The bytes of text as UTF-8 with each `\` a `/`: the program's paths as
// this system writes them.
void append_shown(std::string& out, std::string_view text) {
    const size_t from = out.size();
    cp850_append_utf8(out, text);
    for (size_t i = out.find('\\', from); i != std::string::npos; i = out.find('\\', i + 1))
        out[i] = '/';
}

void read_size() {
    g_console.width = 80;
    g_console.height = 25;
    struct winsize ws;
    if (output_is_terminal() && ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0) {
        if (ws.ws_col > 0) g_console.width = ws.ws_col;
        if (ws.ws_row > 0) g_console.height = ws.ws_row;
    }
    if (g_console.width > 255) g_console.width = 255;  // coordinates are bytes
    if (g_console.height > 255) g_console.height = 255;
    if (g_console.x > g_console.width) g_console.x = g_console.width;
    if (g_console.y > g_console.height) g_console.y = g_console.height;
}

void check_size() {
    if (take_resize()) read_size();
}

// PC colour numbers to ANSI colour numbers.
int ansi(int pc) {
    static const int map[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    return map[pc & 7];
}

void apply_colours() {
    if (!g_console.colours ||
        (g_console.fg == g_console.shown_fg && g_console.bg == g_console.shown_bg))
        return;
    int fg = g_console.fg == 7 ? 39 : (g_console.fg >= 8 ? 90 : 30) + ansi(g_console.fg);
    int bg = g_console.bg == 0 ? 49 : (g_console.bg >= 8 ? 100 : 40) + ansi(g_console.bg);
    g_console.out += "\x1b[" + std::to_string(fg) + ";" + std::to_string(bg) + "m";
    g_console.shown_fg = g_console.fg;
    g_console.shown_bg = g_console.bg;
    note_colours_used();
}

void new_line() {
    g_console.x = 1;
    if (g_console.y < g_console.height) ++g_console.y;
}

void put(unsigned char b) {
    g_console.out += b == '\\' ? std::string_view("/") : cp850_utf8_glyph(b);
    if (!output_is_terminal()) {
        // A pipe or a file has no width: the line goes on until a line end,
        // and the column keeps saying so (up to the largest byte).
        if (g_console.x < 255) ++g_console.x;
        ++g_console.written_x;
        return;
    }
    if (++g_console.x > g_console.width) {
        // The console moves to the next line after the last column; say so
        // explicitly, so that the terminal's cursor is where we count it.
        g_console.out += "\r\n";
        new_line();
    }
}

void maybe_flush() {
    if (g_console.out.size() >= kFlushAt) FLUSH();
}

void sequence(const char* s) {
    if (output_is_terminal()) g_console.out += s;
}

}  // namespace

void console_open() {
    if (g_console.open) return;
    g_console.open = true;
    terminal_setup();
    const char* no_colour = std::getenv("NO_COLOR");
    g_console.colours = output_is_terminal() && !(no_colour && *no_colour);
    g_console.split = input_is_terminal() && !output_is_terminal();
    if (g_console.split) swap_streams();  // what is written first is no report line
    read_size();
}

void report_output(bool on) {
    if (!g_console.split || g_console.reporting == on) return;
    g_console.reporting = on;
    swap_streams();
}

void write_error_line(const ShortText& text) {
    std::string line;
    append_shown(line, text.view());
    line += kLineEnd;
    for (size_t done = 0; done < line.size();) {
        const ssize_t w = write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        done += static_cast<size_t>(w);
    }
}

void console_close() {
    FLUSH();
    terminal_restore();
}

void console_exit_hook() {
    console_close();
}

namespace {

DOLV_HOT void flush_stream() {
    size_t done = 0;
    while (!g_console.out_lost && done < g_console.out.size()) {
        ssize_t w = write(g_console.fd, g_console.out.data() + done, g_console.out.size() - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
        } else if (w < 0 && errno == EINTR) {
            continue;
        } else if (w < 0 && errno == EAGAIN) {
            usleep(1000);
        } else {
            // Closed pipe, full disk: nobody reads any more. A terminal that
            // goes away sends its hang-up, the user's cancel; a pipe or a
            // file says so only here, and the run asks output_failed.
            g_console.out_lost = true;
            // Only the report lines' stream failing fails the run.
            if (!output_is_terminal() && g_console.fd == STDOUT_FILENO) g_console.out_failed = true;
        }
    }
    g_console.out.clear();
}

}  // namespace

DOLV_HOT void FLUSH() {
    flush_stream();
    if (!g_console.split || g_console.other.out.empty()) return;
    swap_streams();
    flush_stream();
    swap_streams();
}

DOLV_HOT bool output_failed() {
    return g_console.out_failed;
}

void output_to_errors() {
    g_console.out.clear();
    g_console.fd = STDERR_FILENO;
    g_console.out_lost = false;
    // Nothing was written there yet: the text starts a line.
    g_console.x = 1;
    g_console.written_x = 1;
}

void WRITE(const ShortText& text) {
    check_size();
    if (!text.empty()) apply_colours();
    if (output_is_terminal()) {
        for (int i = 1; i <= text.size(); ++i) put(text.at(i));
    } else {
        // No width to wrap at: printable ASCII is its own glyph and goes out
        // as it is; only the other bytes need their UTF-8 form.
        append_shown(g_console.out, text.view());
        g_console.x = g_console.x + text.size() < 255 ? g_console.x + text.size() : 255;
        g_console.written_x += text.size();
    }
    maybe_flush();
}

void WRITE(char c) {
    check_size();
    apply_colours();
    put(static_cast<unsigned char>(c));
    maybe_flush();
}

namespace {

void write_line(const ShortText& text, const char* line_end) {
    WRITE(text);
    g_console.out += line_end;
    g_console.written_x = 1;
    new_line();
    maybe_flush();
}

}  // namespace

void WRITELN(const ShortText& text) {
    write_line(text, kLineEnd);
}

void TEXTMODE(int mode) {
    g_console.last_mode = mode;
}
int LASTMODE() {
    return g_console.last_mode;
}
void TEXTCOLOR(int colour) {
    g_console.fg = colour & 15;
}
void TEXTBACKGROUND(int colour) {
    g_console.bg = colour & 15;
}

int WHEREX() {
    return g_console.x;
}
int WHEREY() {
    return g_console.y;
}

void GOTOXY(int x, int y) {
    check_size();
    if (x < 1 || y < 1 || x > g_console.width || y > g_console.height) return;
    if (!output_is_terminal()) {
        // No moves reach a pipe. Going back to an earlier row means the text
        // that follows belongs on a line of its own: end the written line.
        if (y < g_console.y && g_console.written_x != 1) {
            g_console.out += kLineEnd;
            g_console.written_x = 1;
        }
    } else if (x != g_console.x || y != g_console.y) {
        if (y < g_console.y) g_console.out += "\x1b[" + std::to_string(g_console.y - y) + "A";
        // Downwards by line feeds: at the bottom they scroll as writing does,
        // so the tracked row keeps its meaning.
        for (int i = g_console.y; i < y; ++i) g_console.out += '\n';
        g_console.out += "\x1b[" + std::to_string(x) + "G";
    }
    g_console.x = x;
    g_console.y = y;
}

void CLREOL() {
    if (!output_is_terminal()) return;
    apply_colours();
    g_console.out += "\x1b[K";
}

int screen_width() {
    check_size();
    return g_console.width;
}

int screen_height() {
    check_size();
    return g_console.height;
}

void CURSORON() {
    sequence("\x1b[?25h\x1b[0 q");
    note_cursor_shape(0);
}

void CURSOROFF() {
    sequence("\x1b[?25l");
    note_cursor_shape(1);
}

void CURSORBIG() {
    sequence("\x1b[2 q\x1b[?25h");
    note_cursor_shape(2);
}

void HALT(int code) {
    console_close();
    std::exit(code);
}

}  // namespace dolv

// The Windows console: CP850 text shown through WriteConsoleW as the glyphs
// the console would show for those bytes; colours and cursor through the
// console API. When standard output is redirected the CP850 bytes go out as
// they are, and the cursor position is tracked from what is written.
#include "platform/console.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/cp850.h"
#include "platform/exit.h"
#include "platform/windows/win_console.h"

namespace dolv {

namespace {

constexpr size_t kFlushAt = 8192;
constexpr int kDefaultWidth = 80;
constexpr int kDefaultHeight = 25;

// The console's state. The control handler runs on a thread of its own:
// what it writes while the program runs is std::atomic, which a member of
// the one instance is as well as a loose global was, so it needs no struct
// of its own; the handles it reads are set before it is installed.
struct Console {
    bool open = false;                  // console_open has run
    HANDLE out = INVALID_HANDLE_VALUE;  // standard output (standard error after output_to_errors)
    HANDLE in = INVALID_HANDLE_VALUE;   // standard input
    bool out_console = false;           // standard output is a console
    bool in_console = false;            // standard input is a console
    CONSOLE_SCREEN_BUFFER_INFO orig_screen{};  // the screen as found, with its colours
    CONSOLE_CURSOR_INFO orig_cursor{};         // the cursor as found
    DWORD orig_in_mode = 0;                    // the input mode as found
    DWORD normal_cursor_size = 25;             // the size of CURSORON's cursor

    std::wstring wide;            // pending console output
    std::string bytes;            // pending redirected output
    bool out_lost = false;        // the redirected output went away: what follows is dropped
    bool out_failed = false;      // ... which the run learns through output_failed
    bool errors_console = false;  // the output was sent to standard error, and that is a console

    // The colours wanted.
    int fg = 7;
    int bg = 0;
    int last_mode = 3;  // TEXTMODE's mode, for LASTMODE
    // The tracked cursor when there is no console to ask.
    int x = 1;
    int written_x = 1;  // where the written text stands, without a console
    int y = 1;

    std::atomic<bool> cancel{false};       // a cancel is pending (set by the handler)
    HANDLE cancel_event = nullptr;         // signalled while a cancel is pending
    HANDLE main_thread = nullptr;          // the thread whose piped read a cancel breaks off
    CancelAction cancel_action = nullptr;  // set_cancel_action's action
    bool in_cancel_action = false;         // the action runs: a cancel waits
    std::atomic<bool> pipe_read{false};    // the main thread is in a read of piped input
};
Console g_console;

bool screen_info(CONSOLE_SCREEN_BUFFER_INFO& info) {
    return g_console.out_console && GetConsoleScreenBufferInfo(g_console.out, &info);
}

void write_wide() {
    size_t done = 0;
    while (done < g_console.wide.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(g_console.wide.size() - done, 4096));
        DWORD written = 0;
        if (!WriteConsoleW(g_console.out, g_console.wide.data() + done, chunk, &written, nullptr) ||
            written == 0)
            break;
        done += written;
    }
    g_console.wide.clear();
}

// The pending bytes on the console of standard error, as the glyphs they
// stand for; line ends stay line ends.
void write_bytes_as_glyphs() {
    for (unsigned char b : g_console.bytes)
        g_console.wide +=
            b == '\r' || b == '\n' ? static_cast<wchar_t>(b) : static_cast<wchar_t>(cp850_glyph(b));
    g_console.bytes.clear();
    write_wide();
}

void write_bytes() {
    if (g_console.errors_console) {
        write_bytes_as_glyphs();
        return;
    }
    size_t done = 0;
    while (!g_console.out_lost && done < g_console.bytes.size() &&
           g_console.out != INVALID_HANDLE_VALUE && g_console.out != nullptr) {
        DWORD written = 0;
        if (!WriteFile(g_console.out, g_console.bytes.data() + done,
                       static_cast<DWORD>(g_console.bytes.size() - done), &written, nullptr) ||
            written == 0) {
            // A pipe whose reader has gone, a full disk: nobody reads any more.
            g_console.out_lost = true;
            g_console.out_failed = true;
            break;
        }
        done += written;
    }
    g_console.bytes.clear();
}

// Normal colours (7 on 0) are the console's own colours as found at the
// start, so the program reads well whatever the user's colour scheme; any
// other colour is drawn on that background unless one was asked for.
WORD attribute() {
    WORD orig = g_console.orig_screen.wAttributes;
    WORD fg = g_console.fg == 7 ? (orig & 0x0F) : static_cast<WORD>(g_console.fg & 0x0F);
    WORD bg = g_console.bg == 0 ? (orig & 0xF0) : static_cast<WORD>((g_console.bg & 0x0F) << 4);
    return static_cast<WORD>(fg | bg);
}

void apply_colours() {
    if (!g_console.out_console) return;
    FLUSH();
    SetConsoleTextAttribute(g_console.out, attribute());
}

// Without a console the output is a pipe or a file: it has no width, the
// line goes on until a line end (the column stops at the largest byte).
void track_byte() {
    ++g_console.written_x;
    if (g_console.x < 255) ++g_console.x;
}

void track_line_end() {
    g_console.x = 1;
    g_console.written_x = 1;
    if (g_console.y < kDefaultHeight) ++g_console.y;
}

void put(unsigned char byte) {
    if (g_console.out_console) {
        g_console.wide += static_cast<wchar_t>(cp850_glyph(byte));
        if (g_console.wide.size() >= kFlushAt) write_wide();
    } else {
        g_console.bytes += static_cast<char>(byte);
        track_byte();
        if (g_console.bytes.size() >= kFlushAt) write_bytes();
    }
}

void put_line_end() {
    if (g_console.out_console) {
        g_console.wide += L"\r\n";
    } else {
        g_console.bytes += "\r\n";
        track_line_end();
    }
}

void restore() {
    if (!g_console.open) return;
    FLUSH();
    if (g_console.out_console) {
        SetConsoleTextAttribute(g_console.out, g_console.orig_screen.wAttributes);
        SetConsoleCursorInfo(g_console.out, &g_console.orig_cursor);
    }
    if (g_console.in_console) SetConsoleMode(g_console.in, g_console.orig_in_mode);
}

void raise_cancel() {
    g_console.cancel = true;
    if (g_console.cancel_event) SetEvent(g_console.cancel_event);
    // A read from a pipe cannot wait on the event: break it off instead.
    if (g_console.main_thread && g_console.pipe_read) CancelSynchronousIo(g_console.main_thread);
}

BOOL WINAPI ctrl_handler(DWORD type) {
    switch (type) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            raise_cancel();
            return TRUE;
        case CTRL_CLOSE_EVENT:
            // The window is going away: let the run stop at its next safe
            // point (never inside a rename) before the system ends us.
            raise_cancel();
            Sleep(4000);
            return FALSE;
        default:
            return FALSE;
    }
}

void at_exit() {
    restore();
}

}  // namespace

HANDLE WIN_INPUT() {
    return g_console.in;
}
bool WIN_INPUT_IS_CONSOLE() {
    return g_console.in_console;
}
HANDLE WIN_CANCEL_EVENT() {
    return g_console.cancel_event;
}
void WIN_PIPE_READ(bool reading) {
    g_console.pipe_read = reading;
}

void console_open() {
    if (g_console.open) return;
    g_console.out = GetStdHandle(STD_OUTPUT_HANDLE);
    g_console.in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    g_console.out_console = g_console.out != INVALID_HANDLE_VALUE && g_console.out != nullptr &&
                            GetConsoleMode(g_console.out, &mode) &&
                            GetConsoleScreenBufferInfo(g_console.out, &g_console.orig_screen);
    if (g_console.out_console) {
        if (!GetConsoleCursorInfo(g_console.out, &g_console.orig_cursor)) {
            g_console.orig_cursor.dwSize = 25;
            g_console.orig_cursor.bVisible = TRUE;
        }
        g_console.normal_cursor_size =
            g_console.orig_cursor.dwSize < 100 ? g_console.orig_cursor.dwSize : 25;
    } else {
        g_console.orig_screen.wAttributes = 0x07;
    }
    g_console.in_console = g_console.in != INVALID_HANDLE_VALUE && g_console.in != nullptr &&
                           GetConsoleMode(g_console.in, &g_console.orig_in_mode);
    // Keys one by one, no echo; Ctrl-C stays a signal (processed input).
    if (g_console.in_console) SetConsoleMode(g_console.in, ENABLE_PROCESSED_INPUT);

    g_console.cancel_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(),
                    &g_console.main_thread, 0, FALSE, DUPLICATE_SAME_ACCESS);
    SetConsoleCtrlHandler(ctrl_handler, TRUE);
    g_console.open = true;
    std::atexit(at_exit);
}

void console_close() {
    restore();
}

void WRITE(const ShortText& text) {
    for (int i = 1; i <= text.size(); ++i) put(text.at(i));
}

void WRITE(char c) {
    put(static_cast<unsigned char>(c));
}

void WRITELN(const ShortText& text) {
    WRITE(text);
    put_line_end();
}

// The console of Windows writes every line where the user sees it.
void report_output(bool) {}

void write_error_line(const ShortText& text) {
    const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(errors, &mode)) {
        std::wstring wide;
        for (unsigned char b : text.view()) wide += static_cast<wchar_t>(cp850_glyph(b));
        wide += L"\r\n";
        WriteConsoleW(errors, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::string bytes = text.str() + "\r\n";
    WriteFile(errors, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void FLUSH() {
    if (!g_console.wide.empty()) write_wide();
    if (!g_console.bytes.empty()) write_bytes();
}

bool output_failed() {
    return g_console.out_failed;
}

void output_to_errors() {
    // Only a redirected output fails; a console output stays where it is.
    if (g_console.out_console) return;
    g_console.bytes.clear();
    g_console.out = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    g_console.errors_console = g_console.out != INVALID_HANDLE_VALUE && g_console.out != nullptr &&
                               GetConsoleMode(g_console.out, &mode);
    g_console.out_lost = false;
    // Nothing was written there yet: the text starts a line.
    g_console.x = 1;
    g_console.written_x = 1;
}

void TEXTMODE(int mode) {
    g_console.last_mode = mode;
}
int LASTMODE() {
    return g_console.last_mode;
}

void TEXTCOLOR(int colour) {
    g_console.fg = colour & 0x0F;
    apply_colours();
}

void TEXTBACKGROUND(int colour) {
    g_console.bg = colour & 0x0F;
    apply_colours();
}

int screen_width() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!screen_info(info)) return kDefaultWidth;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

int screen_height() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!screen_info(info)) return kDefaultHeight;
    return info.srWindow.Bottom - info.srWindow.Top + 1;
}

int WHEREX() {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!screen_info(info)) return g_console.x;
    int x = info.dwCursorPosition.X - info.srWindow.Left + 1;
    return x < 1 ? 1 : x;
}

int WHEREY() {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!screen_info(info)) return g_console.y;
    int y = info.dwCursorPosition.Y - info.srWindow.Top + 1;
    int height = info.srWindow.Bottom - info.srWindow.Top + 1;
    return y < 1 ? 1 : (y > height ? height : y);
}

void GOTOXY(int x, int y) {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!screen_info(info)) {
        if (x >= 1 && x <= kDefaultWidth && y >= 1 && y <= kDefaultHeight) {
            // No moves reach a pipe. Going back to an earlier row means the
            // text that follows belongs on a line of its own.
            if (y < g_console.y && g_console.written_x != 1) {
                put_line_end();
            }
            g_console.x = x;
            g_console.y = y;
        }
        return;
    }
    int width = info.srWindow.Right - info.srWindow.Left + 1;
    int height = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (x < 1 || x > width || y < 1 || y > height) return;
    COORD pos{static_cast<SHORT>(info.srWindow.Left + x - 1),
              static_cast<SHORT>(info.srWindow.Top + y - 1)};
    SetConsoleCursorPosition(g_console.out, pos);
}

void CLREOL() {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!screen_info(info)) return;
    int count = info.dwSize.X - info.dwCursorPosition.X;
    if (count <= 0) return;
    DWORD done = 0;
    FillConsoleOutputCharacterW(g_console.out, L' ', static_cast<DWORD>(count),
                                info.dwCursorPosition, &done);
    FillConsoleOutputAttribute(g_console.out, info.wAttributes, static_cast<DWORD>(count),
                               info.dwCursorPosition, &done);
}

void CURSORON() {
    if (!g_console.out_console) return;
    CONSOLE_CURSOR_INFO c{g_console.normal_cursor_size, TRUE};
    SetConsoleCursorInfo(g_console.out, &c);
}

void CURSOROFF() {
    if (!g_console.out_console) return;
    CONSOLE_CURSOR_INFO c{g_console.normal_cursor_size, FALSE};
    SetConsoleCursorInfo(g_console.out, &c);
}

void CURSORBIG() {
    if (!g_console.out_console) return;
    CONSOLE_CURSOR_INFO c{100, TRUE};
    SetConsoleCursorInfo(g_console.out, &c);
}

CancelAction set_cancel_action(CancelAction action) {
    const CancelAction previous = g_console.cancel_action;
    g_console.cancel_action = action;
    return previous;
}

bool cancel_pending() {
    return g_console.cancel;
}

void check_cancel() {
    if (!g_console.cancel || g_console.in_cancel_action) return;
    // Cleared first: the action writes and ends the run, and must not be
    // sent round again by a key read of its own.
    g_console.cancel = false;
    if (g_console.cancel_event) ResetEvent(g_console.cancel_event);
    g_console.in_cancel_action = true;
    if (g_console.cancel_action) g_console.cancel_action();
    g_console.in_cancel_action = false;
    end_run(1);  // an action that returns still ends the run
}

void HALT(int code) {
    restore();
    std::exit(code);
}

}  // namespace dolv

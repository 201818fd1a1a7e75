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
#include "platform/windows/win_console.h"

namespace dolv {

namespace {

constexpr size_t kFlushAt = 8192;
constexpr int kDefaultWidth = 80;
constexpr int kDefaultHeight = 25;

bool g_open = false;
HANDLE g_out = INVALID_HANDLE_VALUE;
HANDLE g_in = INVALID_HANDLE_VALUE;
bool g_out_console = false;
bool g_in_console = false;
CONSOLE_SCREEN_BUFFER_INFO g_orig_screen{};
CONSOLE_CURSOR_INFO g_orig_cursor{};
DWORD g_orig_in_mode = 0;
DWORD g_normal_cursor_size = 25;

std::wstring g_wide;            // pending console output
std::string g_bytes;            // pending redirected output
bool g_out_lost = false;        // the redirected output went away: what follows is dropped
bool g_out_failed = false;      // ... which the run learns through OUTPUT_FAILED
bool g_errors_console = false;  // the output was sent to standard error, and that is a console

int g_fg = 7;
int g_bg = 0;
int g_last_mode = 3;
// The tracked cursor when there is no console to ask.
int g_x = 1;
int g_written_x = 1;  // where the written text stands, without a console
int g_y = 1;

std::atomic<bool> g_cancel{false};
HANDLE g_cancel_event = nullptr;
HANDLE g_main_thread = nullptr;
CancelAction g_cancel_action = nullptr;
bool g_in_cancel_action = false;
std::atomic<bool> g_pipe_read{false};

bool ScreenInfo(CONSOLE_SCREEN_BUFFER_INFO& info) {
    return g_out_console && GetConsoleScreenBufferInfo(g_out, &info);
}

void WriteWide() {
    size_t done = 0;
    while (done < g_wide.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(g_wide.size() - done, 4096));
        DWORD written = 0;
        if (!WriteConsoleW(g_out, g_wide.data() + done, chunk, &written, nullptr) || written == 0)
            break;
        done += written;
    }
    g_wide.clear();
}

// The pending bytes on the console of standard error, as the glyphs they
// stand for; line ends stay line ends.
void WriteBytesAsGlyphs() {
    for (unsigned char b : g_bytes)
        g_wide +=
            b == '\r' || b == '\n' ? static_cast<wchar_t>(b) : static_cast<wchar_t>(CP850_GLYPH(b));
    g_bytes.clear();
    WriteWide();
}

void WriteBytes() {
    if (g_errors_console) {
        WriteBytesAsGlyphs();
        return;
    }
    size_t done = 0;
    while (!g_out_lost && done < g_bytes.size() && g_out != INVALID_HANDLE_VALUE &&
           g_out != nullptr) {
        DWORD written = 0;
        if (!WriteFile(g_out, g_bytes.data() + done, static_cast<DWORD>(g_bytes.size() - done),
                       &written, nullptr) ||
            written == 0) {
            // A pipe whose reader has gone, a full disk: nobody reads any more.
            g_out_lost = true;
            g_out_failed = true;
            break;
        }
        done += written;
    }
    g_bytes.clear();
}

// Normal colours (7 on 0) are the console's own colours as found at the
// start, so the program reads well whatever the user's colour scheme; any
// other colour is drawn on that background unless one was asked for.
WORD Attribute() {
    WORD orig = g_orig_screen.wAttributes;
    WORD fg = g_fg == 7 ? (orig & 0x0F) : static_cast<WORD>(g_fg & 0x0F);
    WORD bg = g_bg == 0 ? (orig & 0xF0) : static_cast<WORD>((g_bg & 0x0F) << 4);
    return static_cast<WORD>(fg | bg);
}

void ApplyColours() {
    if (!g_out_console) return;
    FLUSH();
    SetConsoleTextAttribute(g_out, Attribute());
}

// Without a console the output is a pipe or a file: it has no width, the
// line goes on until a line end (the column stops at the largest byte).
void TrackByte() {
    ++g_written_x;
    if (g_x < 255) ++g_x;
}

void TrackLineEnd() {
    g_x = 1;
    g_written_x = 1;
    if (g_y < kDefaultHeight) ++g_y;
}

void Put(unsigned char byte) {
    if (g_out_console) {
        g_wide += static_cast<wchar_t>(CP850_GLYPH(byte));
        if (g_wide.size() >= kFlushAt) WriteWide();
    } else {
        g_bytes += static_cast<char>(byte);
        TrackByte();
        if (g_bytes.size() >= kFlushAt) WriteBytes();
    }
}

void PutLineEnd() {
    if (g_out_console) {
        g_wide += L"\r\n";
    } else {
        g_bytes += "\r\n";
        TrackLineEnd();
    }
}

void Restore() {
    if (!g_open) return;
    FLUSH();
    if (g_out_console) {
        SetConsoleTextAttribute(g_out, g_orig_screen.wAttributes);
        SetConsoleCursorInfo(g_out, &g_orig_cursor);
    }
    if (g_in_console) SetConsoleMode(g_in, g_orig_in_mode);
}

void RaiseCancel() {
    g_cancel = true;
    if (g_cancel_event) SetEvent(g_cancel_event);
    // A read from a pipe cannot wait on the event: break it off instead.
    if (g_main_thread && g_pipe_read) CancelSynchronousIo(g_main_thread);
}

BOOL WINAPI CtrlHandler(DWORD type) {
    switch (type) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            RaiseCancel();
            return TRUE;
        case CTRL_CLOSE_EVENT:
            // The window is going away: let the run stop at its next safe
            // point (never inside a rename) before the system ends us.
            RaiseCancel();
            Sleep(4000);
            return FALSE;
        default:
            return FALSE;
    }
}

void AtExit() {
    Restore();
}

}  // namespace

HANDLE WIN_INPUT() {
    return g_in;
}
bool WIN_INPUT_IS_CONSOLE() {
    return g_in_console;
}
HANDLE WIN_CANCEL_EVENT() {
    return g_cancel_event;
}
void WIN_PIPE_READ(bool reading) {
    g_pipe_read = reading;
}

void CONSOLE_OPEN() {
    if (g_open) return;
    g_out = GetStdHandle(STD_OUTPUT_HANDLE);
    g_in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    g_out_console = g_out != INVALID_HANDLE_VALUE && g_out != nullptr &&
                    GetConsoleMode(g_out, &mode) &&
                    GetConsoleScreenBufferInfo(g_out, &g_orig_screen);
    if (g_out_console) {
        if (!GetConsoleCursorInfo(g_out, &g_orig_cursor)) {
            g_orig_cursor.dwSize = 25;
            g_orig_cursor.bVisible = TRUE;
        }
        g_normal_cursor_size = g_orig_cursor.dwSize < 100 ? g_orig_cursor.dwSize : 25;
    } else {
        g_orig_screen.wAttributes = 0x07;
    }
    g_in_console =
        g_in != INVALID_HANDLE_VALUE && g_in != nullptr && GetConsoleMode(g_in, &g_orig_in_mode);
    // Keys one by one, no echo; Ctrl-C stays a signal (processed input).
    if (g_in_console) SetConsoleMode(g_in, ENABLE_PROCESSED_INPUT);

    g_cancel_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g_main_thread, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    SetConsoleCtrlHandler(CtrlHandler, TRUE);
    g_open = true;
    std::atexit(AtExit);
}

void CONSOLE_CLOSE() {
    Restore();
}

void WRITE(const ShortText& text) {
    for (int i = 1; i <= text.size(); ++i) Put(text.at(i));
}

void WRITE(char c) {
    Put(static_cast<unsigned char>(c));
}

void WRITELN(const ShortText& text) {
    WRITE(text);
    PutLineEnd();
}

void FLUSH() {
    if (!g_wide.empty()) WriteWide();
    if (!g_bytes.empty()) WriteBytes();
}

bool OUTPUT_FAILED() {
    return g_out_failed;
}

void OUTPUT_TO_ERRORS() {
    // Only a redirected output fails; a console output stays where it is.
    if (g_out_console) return;
    g_bytes.clear();
    g_out = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    g_errors_console =
        g_out != INVALID_HANDLE_VALUE && g_out != nullptr && GetConsoleMode(g_out, &mode);
    g_out_lost = false;
    // Nothing was written there yet: the text starts a line.
    g_x = 1;
    g_written_x = 1;
}

void TEXTMODE(int mode) {
    g_last_mode = mode;
}
int LASTMODE() {
    return g_last_mode;
}

void TEXTCOLOR(int colour) {
    g_fg = colour & 0x0F;
    ApplyColours();
}

void TEXTBACKGROUND(int colour) {
    g_bg = colour & 0x0F;
    ApplyColours();
}

int SCREEN_WIDTH() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!ScreenInfo(info)) return kDefaultWidth;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

int SCREEN_HEIGHT() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!ScreenInfo(info)) return kDefaultHeight;
    return info.srWindow.Bottom - info.srWindow.Top + 1;
}

int WHEREX() {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!ScreenInfo(info)) return g_x;
    int x = info.dwCursorPosition.X - info.srWindow.Left + 1;
    return x < 1 ? 1 : x;
}

int WHEREY() {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!ScreenInfo(info)) return g_y;
    int y = info.dwCursorPosition.Y - info.srWindow.Top + 1;
    int height = info.srWindow.Bottom - info.srWindow.Top + 1;
    return y < 1 ? 1 : (y > height ? height : y);
}

void GOTOXY(int x, int y) {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!ScreenInfo(info)) {
        if (x >= 1 && x <= kDefaultWidth && y >= 1 && y <= kDefaultHeight) {
            // No moves reach a pipe. Going back to an earlier row means the
            // text that follows belongs on a line of its own.
            if (y < g_y && g_written_x != 1) {
                PutLineEnd();
            }
            g_x = x;
            g_y = y;
        }
        return;
    }
    int width = info.srWindow.Right - info.srWindow.Left + 1;
    int height = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (x < 1 || x > width || y < 1 || y > height) return;
    COORD pos{static_cast<SHORT>(info.srWindow.Left + x - 1),
              static_cast<SHORT>(info.srWindow.Top + y - 1)};
    SetConsoleCursorPosition(g_out, pos);
}

void CLREOL() {
    FLUSH();
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!ScreenInfo(info)) return;
    int count = info.dwSize.X - info.dwCursorPosition.X;
    if (count <= 0) return;
    DWORD done = 0;
    FillConsoleOutputCharacterW(g_out, L' ', static_cast<DWORD>(count), info.dwCursorPosition,
                                &done);
    FillConsoleOutputAttribute(g_out, info.wAttributes, static_cast<DWORD>(count),
                               info.dwCursorPosition, &done);
}

void CURSORON() {
    if (!g_out_console) return;
    CONSOLE_CURSOR_INFO c{g_normal_cursor_size, TRUE};
    SetConsoleCursorInfo(g_out, &c);
}

void CURSOROFF() {
    if (!g_out_console) return;
    CONSOLE_CURSOR_INFO c{g_normal_cursor_size, FALSE};
    SetConsoleCursorInfo(g_out, &c);
}

void CURSORBIG() {
    if (!g_out_console) return;
    CONSOLE_CURSOR_INFO c{100, TRUE};
    SetConsoleCursorInfo(g_out, &c);
}

CancelAction SET_CANCEL_ACTION(CancelAction action) {
    const CancelAction previous = g_cancel_action;
    g_cancel_action = action;
    return previous;
}

bool CANCEL_PENDING() {
    return g_cancel;
}

void CHECK_CANCEL() {
    if (!g_cancel || g_in_cancel_action) return;
    // Cleared first: the action writes and ends the run, and must not be
    // sent round again by a key read of its own.
    g_cancel = false;
    if (g_cancel_event) ResetEvent(g_cancel_event);
    g_in_cancel_action = true;
    if (g_cancel_action) g_cancel_action();
    g_in_cancel_action = false;
    HALT(1);  // an action that returns still ends the run
}

void HALT(int code) {
    Restore();
    std::exit(code);
}

}  // namespace dolv

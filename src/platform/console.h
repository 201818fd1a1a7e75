// The text console: output of code page 850 text with colours, a cursor the
// program tracks itself, and key-by-key input with two-step extended keys.
// Coordinates are 1-based (column 1, row 1 is the top-left corner).
#pragma once

#include <cstdint>

#include "base/short_text.h"

namespace dolv {

// Prepares the console for a run: raw keys on a terminal, signal handlers,
// restoration of the terminal on every exit path. Safe to call twice.
void console_open();
// Flushes the output and restores the terminal's modes and cursor.
void console_close();

// Console output, bytes in code page 850. WRITELN ends the line as the
// system does (CR LF on Windows, LF on POSIX).
void WRITE(const ShortText& text);
void WRITE(char c);
void WRITELN(const ShortText& text = ShortText());
// What is written from report_output(true) to report_output(false) is a
// report line (the report channel's). Where the keyboard is a terminal and
// standard output is not (POSIX), the rest (the questions, the lines that
// introduce them, the error messages) goes to standard error, so that it is
// seen; elsewhere this changes nothing.
void report_output(bool on);
// One line on standard error, whatever the console does.
void write_error_line(const ShortText& text);
// Makes everything written so far visible (done before every key read and at exit).
void FLUSH();
// True once writing the output failed while it is no terminal (a full disk,
// a pipe whose reader has gone); from then on what is written is dropped.
// Learnt when the output is pushed out: by FLUSH, or when the buffer fills.
bool output_failed();
// Sends what is written from now on to standard error, as plain text, and
// drops what is pending: the last words of a run whose output failed.
void output_to_errors();

// The colours the program draws with (PC colour numbers).
constexpr int kColourBackground = 0;  // black
constexpr int kColourNormal = 7;      // light grey: ordinary text
constexpr int kColourOldName = 4;     // red: a name as it is
constexpr int kColourNewName = 2;     // green: a name as it becomes

void TEXTMODE(int mode);
int LASTMODE();
void TEXTCOLOR(int colour);
void TEXTBACKGROUND(int colour);

int WHEREX();
int WHEREY();
// Moves the cursor; a column or row of 0 or beyond the screen is ignored.
void GOTOXY(int x, int y);
// Blanks from the cursor to the end of its line; the cursor does not move.
void CLREOL();
// Ends the current line unless the cursor stands in column 1.
inline void freshline() {
    if (WHEREX() != 1) WRITELN();
}
int screen_width();
int screen_height();

void CURSORON();
void CURSOROFF();
void CURSORBIG();

// Waits for a key. A key with a character gives its CP850 byte (Enter 13,
// Esc 27, Backspace 8, Tab 9); a key without one gives 0 and the next call
// its PC scan code. At the end of a piped input every key is Esc (27).
// A pending cancel (Ctrl-C, SIGTERM, SIGHUP) is acted on here.
unsigned char READKEY();

// The user's cancel: raised by Ctrl-C, SIGTERM or SIGHUP (or Ctrl-Break).
// The program installs the action to take (the cancel exit); check_cancel
// runs it when a cancel is pending. READKEY calls it too, and the rename
// loops call it between two items: never in the middle of a rename.
// set_cancel_action gives back the action it replaces.
using CancelAction = void (*)();
CancelAction set_cancel_action(CancelAction action);
bool cancel_pending();
void check_cancel();

// Ends the process: flushes the output, restores the terminal, exits with code.
[[noreturn]] void HALT(int code);

}  // namespace dolv

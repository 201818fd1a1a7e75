// The terminal's modes and the signals: raw keys for the run, and the modes
// and cursor as they were found on every way out (normal end, HALT, exit,
// cancel signals, fatal signals, a stop with Ctrl-Z).
#pragma once

namespace dolv {

// Raw keys when standard input is a terminal, the signal handlers, the exit
// hook. Done once; later calls do nothing.
void terminal_setup();
// Back to the modes and cursor found at the start. Safe inside a signal handler.
void terminal_restore();

bool output_is_terminal();
bool input_is_terminal();

// What the console has changed, so that it can be undone at the end and
// redone after a stop: the cursor shape (0 normal, 1 hidden, 2 block) and
// whether colours were written.
void note_cursor_shape(int shape);
void note_colours_used();

// True once after the terminal window changed its size.
bool take_resize();

// Run at normal exit by the hook: flushes the console's output.
void console_exit_hook();

}  // namespace dolv

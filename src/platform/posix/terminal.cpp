// Terminal modes and signals.
//
// Signals stay on in raw mode (ISIG): Ctrl-C reaches the program as SIGINT
// also while it is busy renaming and not reading keys, so a long batch can
// be stopped. SIGINT, SIGTERM and SIGHUP only raise the cancel flag; the
// program acts on it at its next safe point (READKEY, check_cancel), never
// in the middle of a rename. The handlers are installed without SA_RESTART,
// so a read that waits for a key returns at once with EINTR.
#include "platform/posix/terminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/hot.h"
#include "platform/console.h"
#include "platform/exit.h"

namespace dolv {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT, SIGTRAP};

// The terminal's state, shared with the signal handlers. What a handler
// writes is volatile sig_atomic_t, the type a handler and the program may
// both access; a member of the one statically allocated instance is such an
// object as much as a loose global was, so these flags need no struct of
// their own. What the handlers only read (the terminal tests, the modes,
// the previous handlers) is set before, or as, the handlers are installed.
struct Terminal {
    // Written by the handlers (and by the program).
    volatile sig_atomic_t cancel = 0;          // SIGINT, SIGTERM or SIGHUP came: check_cancel acts
    volatile sig_atomic_t resized = 0;         // SIGWINCH came: take_resize says so once
    volatile sig_atomic_t raw_active = 0;      // the raw modes are in force
    volatile sig_atomic_t cursor_shape = 0;    // 0 normal, 1 hidden, 2 block
    volatile sig_atomic_t cursor_touched = 0;  // the console changed the cursor
    volatile sig_atomic_t colours_used = 0;    // the console wrote colours

    // Written by the program alone.
    bool setup = false;                    // terminal_setup has run
    bool in_tty = false;                   // standard input is a terminal, and its modes were read
    bool out_tty = false;                  // standard output is a terminal
    struct termios saved_modes {};         // the modes as found, for terminal_restore
    struct termios raw_modes {};           // the modes of the run
    CancelAction cancel_action = nullptr;  // set_cancel_action's action
    bool in_cancel_action = false;         // the action runs: a cancel waits
    struct sigaction previous[NSIG] = {};  // the handlers found for kFatalSignals
};
Terminal g_terminal;

void write_all(const char* s) {
    size_t n = std::strlen(s);
    while (n > 0) {
        ssize_t w = write(STDOUT_FILENO, s, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        s += w;
        n -= static_cast<size_t>(w);
    }
}

bool in_foreground() {
    return tcgetpgrp(STDIN_FILENO) == getpgrp();
}

void enter_raw() {
    if (g_terminal.in_tty && tcsetattr(STDIN_FILENO, TCSANOW, &g_terminal.raw_modes) == 0)
        g_terminal.raw_active = 1;
}

void reapply_cursor() {
    if (!g_terminal.out_tty || !g_terminal.cursor_touched) return;
    switch (g_terminal.cursor_shape) {
        case 1:
            write_all("\x1b[?25l");
            break;
        case 2:
            write_all("\x1b[2 q\x1b[?25h");
            break;
        default:
            write_all("\x1b[0 q\x1b[?25h");
            break;
    }
}

void on_cancel(int) {
    g_terminal.cancel = 1;
}

void on_resize(int) {
    g_terminal.resized = 1;
}

void on_continue(int) {
    int saved = errno;
    if (g_terminal.in_tty && !g_terminal.raw_active && in_foreground()) {
        enter_raw();
        reapply_cursor();
    }
    errno = saved;
}

// Ctrl-Z: leave the terminal as found, stop, and take it back on return.
void on_stop(int sig) {
    int saved = errno;
    int shape = g_terminal.cursor_shape;
    terminal_restore();
    g_terminal.cursor_shape = shape;
    g_terminal.cursor_touched = 1;
    signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    // Continued.
    sigprocmask(SIG_BLOCK, &set, nullptr);
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_stop;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
    if (g_terminal.in_tty && in_foreground()) {
        enter_raw();
        reapply_cursor();
    }
    errno = saved;
}

// A crash: give the terminal back, then let the previous handler (or the
// default action) take the signal.
void on_fatal(int sig) {
    terminal_restore();
    sigaction(sig, &g_terminal.previous[sig], nullptr);
    raise(sig);
}

void install(int sig, void (*handler)(int), struct sigaction* previous = nullptr) {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a waiting read returns with EINTR
    sigaction(sig, &sa, previous);
}

void at_exit() {
    console_exit_hook();
}

}  // namespace

void terminal_setup() {
    if (g_terminal.setup) return;
    g_terminal.setup = true;
    g_terminal.out_tty = isatty(STDOUT_FILENO) == 1;
    g_terminal.in_tty =
        isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &g_terminal.saved_modes) == 0;
    if (g_terminal.in_tty) {
        g_terminal.raw_modes = g_terminal.saved_modes;
        g_terminal.raw_modes.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ECHONL | IEXTEN));
        g_terminal.raw_modes.c_lflag |= ISIG;
        g_terminal.raw_modes.c_iflag &=
            static_cast<tcflag_t>(~(IXON | ICRNL | INLCR | IGNCR | ISTRIP));
        g_terminal.raw_modes.c_cc[VMIN] = 1;
        g_terminal.raw_modes.c_cc[VTIME] = 0;
    }
    install(SIGINT, on_cancel);
    install(SIGTERM, on_cancel);
    install(SIGHUP, on_cancel);
    install(SIGWINCH, on_resize);
    install(SIGCONT, on_continue);
    install(SIGTSTP, on_stop);
    signal(SIGPIPE, SIG_IGN);  // output to a closed pipe is dropped, the renames go on
    for (int sig : kFatalSignals) install(sig, on_fatal, &g_terminal.previous[sig]);
    std::atexit(at_exit);
    enter_raw();
}

void terminal_restore() {
    if (g_terminal.raw_active) {
        tcsetattr(STDIN_FILENO, TCSANOW, &g_terminal.saved_modes);
        g_terminal.raw_active = 0;
    }
    if (g_terminal.out_tty) {
        if (g_terminal.colours_used) write_all("\x1b[39;49m");
        if (g_terminal.cursor_touched) write_all("\x1b[0 q\x1b[?25h");
    }
    g_terminal.colours_used = 0;
    g_terminal.cursor_touched = 0;
    g_terminal.cursor_shape = 0;
}

bool output_is_terminal() {
    return g_terminal.out_tty;
}

bool input_is_terminal() {
    return g_terminal.in_tty;
}

void note_cursor_shape(int shape) {
    g_terminal.cursor_shape = shape;
    g_terminal.cursor_touched = 1;
}

void note_colours_used() {
    g_terminal.colours_used = 1;
}

bool take_resize() {
    if (!g_terminal.resized) return false;
    g_terminal.resized = 0;
    return true;
}

CancelAction set_cancel_action(CancelAction action) {
    const CancelAction previous = g_terminal.cancel_action;
    g_terminal.cancel_action = action;
    return previous;
}

bool cancel_pending() {
    return g_terminal.cancel != 0;
}

DOLV_HOT void check_cancel() {
    if (!g_terminal.cancel || g_terminal.in_cancel_action) return;
    g_terminal.cancel = 0;
    g_terminal.in_cancel_action = true;
    if (!g_terminal.cancel_action) end_run(1);
    g_terminal.cancel_action();
    g_terminal.in_cancel_action = false;
}

}  // namespace dolv

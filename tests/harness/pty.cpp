// PtySession: a program on a pseudo-terminal, driven key by key.
#include "pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace dolv {
namespace {

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

int exit_code_of(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

// Shared with RunPiped: the child's side before exec. A program under test
// keeps no journal of its renames (it would go to the user's own state
// folder) unless its options ask for one: "DOLV_NO_JOURNAL" in env (without
// '=') lifts the default, "XDG_STATE_HOME=..." names the folder.
void HarnessChildSetup(const std::vector<std::string>& env, const std::string& cwd) {
    signal(SIGPIPE, SIG_DFL);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    setenv("DOLV_NO_JOURNAL", "1", 1);
    for (const auto& e : env) {
        size_t eq = e.find('=');
        if (eq == std::string::npos)
            unsetenv(e.c_str());
        else
            setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
}

[[noreturn]] void HarnessExec(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

PtySession::PtySession(const std::vector<std::string>& argv, const PtyOptions& options)
    : screen_(options.cols, options.rows) {
    struct winsize ws = {};
    ws.ws_col = static_cast<unsigned short>(options.cols);
    ws.ws_row = static_cast<unsigned short>(options.rows);
    pid_ = forkpty(&master_, nullptr, nullptr, &ws);
    if (pid_ == 0) {
        std::vector<std::string> env = {"TERM=xterm", "NO_COLOR"};
        env.insert(env.end(), options.env.begin(), options.env.end());
        HarnessChildSetup(env, options.cwd);
        HarnessExec(argv);
    }
    if (pid_ > 0) fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtySession::~PtySession() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    if (master_ >= 0) close(master_);
}

bool PtySession::pump(int timeout_ms) {
    if (master_ < 0) return false;
    struct pollfd p = {master_, POLLIN, 0};
    int r = poll(&p, 1, timeout_ms);
    if (r < 0) return errno == EINTR;
    if (r == 0) return true;
    char buf[4096];
    for (;;) {
        ssize_t n = read(master_, buf, sizeof buf);
        if (n > 0) {
            raw_.append(buf, static_cast<size_t>(n));
            screen_.feed(std::string_view(buf, static_cast<size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return true;
        return false;  // EIO: the program's side is closed
    }
}

void PtySession::send(std::string_view bytes, int delay_ms) {
    pump(0);
    mark_ = raw_.size();
    while (!bytes.empty() && master_ >= 0) {
        ssize_t n = write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pump(5);
        } else {
            break;
        }
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(delay_ms);
    while (ms_left(deadline) > 0 && pump(ms_left(deadline))) {
    }
}

void PtySession::send_keys(const std::vector<std::string>& keys, int delay_ms) {
    for (const auto& k : keys) send(k, delay_ms);
}

void PtySession::signal(int sig) {
    if (pid_ > 0 && !exited_) kill(pid_, sig);
}

void PtySession::resize(int cols, int rows) {
    struct winsize ws = {};
    ws.ws_col = static_cast<unsigned short>(cols);
    ws.ws_row = static_cast<unsigned short>(rows);
    ioctl(master_, TIOCSWINSZ, &ws);
    screen_.resize(cols, rows);
}

bool PtySession::wait_for(std::string_view text, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (plain().find(text) != std::string::npos) return true;
        if (ms_left(deadline) == 0) return false;
        if (!pump(ms_left(deadline) < 50 ? ms_left(deadline) : 50)) {
            return plain().find(text) != std::string::npos;
        }
    }
}

bool PtySession::wait_for_new(std::string_view text, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (StripEscapes(raw_since_send()).find(text) != std::string::npos) return true;
        if (ms_left(deadline) == 0) return false;
        if (!pump(ms_left(deadline) < 50 ? ms_left(deadline) : 50))
            return StripEscapes(raw_since_send()).find(text) != std::string::npos;
    }
}

void PtySession::settle(int quiet_ms, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (ms_left(deadline) > 0) {
        size_t before = raw_.size();
        if (!pump(quiet_ms < ms_left(deadline) ? quiet_ms : ms_left(deadline))) return;
        if (raw_.size() == before) return;
    }
}

long PtySession::local_modes() const {
    struct termios t;
    if (master_ < 0 || tcgetattr(master_, &t) != 0) return -1;
    return static_cast<long>(t.c_lflag);
}

void PtySession::reap(bool block) {
    if (exited_ || pid_ <= 0) return;
    if (waitpid(pid_, &status_, block ? 0 : WNOHANG) == pid_) exited_ = true;
}

int PtySession::wait_exit(int timeout_ms) {
    if (pid_ <= 0) return -1;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!exited_ && ms_left(deadline) > 0) {
        if (!pump(20)) {
            // The terminal is closed; the process ends right after.
            while (!exited_ && ms_left(deadline) > 0) {
                reap(false);
                if (!exited_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            break;
        }
        reap(false);
    }
    if (exited_) {
        while (pump(0) && master_ >= 0) {
            struct pollfd p = {master_, POLLIN, 0};
            if (poll(&p, 1, 0) <= 0) break;
        }
        return exit_code_of(status_);
    }
    kill(pid_, SIGKILL);
    reap(true);
    return -1;
}

}  // namespace dolv

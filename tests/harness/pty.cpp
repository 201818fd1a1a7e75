// PtySession: a program on a pseudo-terminal, driven key by key.
#include "pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

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

// Waits until the process pid has ended (without reaping it): true when it
// has, false after the timeout. Shared with RunPiped.
bool WaitForExit(pid_t pid, int timeout_ms) {
    int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return errno == ESRCH;
    struct pollfd p = {fd, POLLIN, 0};
    int r;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while ((r = poll(&p, 1, ms_left(deadline))) < 0 && errno == EINTR) {
    }
    close(fd);
    return r > 0;
}

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

void PtySession::write_all(std::string_view bytes) {
    while (!bytes.empty() && master_ >= 0) {
        ssize_t n = write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pump(5);  // the program's input is full: read its output meanwhile
        } else {
            break;
        }
    }
}

void PtySession::send(std::string_view bytes) {
    pump(0);
    mark_ = raw_.size();
    write_all(bytes);
    pump(0);
}

void PtySession::send_keys(const std::vector<std::string>& keys) {
    std::string run;
    for (const auto& k : keys) {
        const bool lone_esc = k == keys::kEsc;
        if (k == keys::kCtrlC && !run.empty()) {
            send(run);
            run.clear();
            wait_idle();
        }
        run += k;
        if (lone_esc || k == keys::kCtrlC) {
            send(run);
            run.clear();
            wait_idle();
        }
    }
    if (!run.empty()) send(run);
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

bool PtySession::wait_until(const std::function<bool()>& done, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (done()) return true;
        if (ms_left(deadline) == 0) return false;
        if (!pump(ms_left(deadline) < 50 ? ms_left(deadline) : 50)) return done();
    }
}

bool PtySession::wait_for(std::string_view text, int timeout_ms) {
    return wait_until([&] { return plain().find(text) != std::string::npos; }, timeout_ms);
}

bool PtySession::wait_for_new(std::string_view text, int timeout_ms) {
    return wait_until(
        [&] { return StripEscapes(raw_since_send()).find(text) != std::string::npos; }, timeout_ms);
}

bool PtySession::input_pending() const {
    // Polling the program's side pushes on what the kernel still holds
    // between the two sides, so that nothing in transit is missed.
    int slave = open(ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) return false;
    struct pollfd p = {slave, POLLIN, 0};
    bool pending = poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
    close(slave);
    return pending;
}

char PtySession::proc_state() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close_paren = stat.rfind(')');
    return close_paren == std::string::npos || close_paren + 2 >= stat.size()
               ? 0
               : stat[close_paren + 2];
}

bool PtySession::reading_terminal() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/syscall");
    long number = -1;
    std::string fd;
    if (!(in >> number >> fd)) return false;  // "running"
    return number == SYS_read && fd == "0x0";
}

bool PtySession::wait_idle(int timeout_ms) {
    if (pid_ <= 0) return false;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        // Nothing left unread first, then asleep in a read: that read is the
        // one for the next key, and all the output before it is written.
        if (!input_pending() && proc_state() == 'S' && reading_terminal()) return pump(0);
        if (ms_left(deadline) == 0) return false;
        // No event tells when a process goes to sleep: look again soon.
        if (!pump(ms_left(deadline) < 2 ? ms_left(deadline) : 2)) return false;
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
            if (WaitForExit(pid_, ms_left(deadline))) reap(false);
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

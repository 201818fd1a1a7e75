// RunPiped: a program with its standard input from a text, /dev/null or
// nothing, its output captured, never waited for beyond the timeout.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "pty.h"

namespace dolv {

void HarnessChildSetup(const std::vector<std::string>& env, const std::string& cwd);
[[noreturn]] void HarnessExec(const std::vector<std::string>& argv);

PipedResult RunPiped(const std::vector<std::string>& argv, const std::string& input,
                     const PipedOptions& options) {
    using Clock = std::chrono::steady_clock;
    signal(SIGPIPE, SIG_IGN);  // the program may end before it read all its input
    PipedResult result;
    int in[2] = {-1, -1}, out[2], err[2] = {-1, -1};
    if (options.stdin_mode == StdinMode::kBytes && pipe(in) != 0) return result;
    if (pipe(out) != 0) return result;
    if (!options.merge_stderr && pipe(err) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        setsid();  // no controlling terminal: nothing but the pipes
        if (options.stdin_mode == StdinMode::kBytes) {
            dup2(in[0], 0);
            close(in[0]);
            close(in[1]);
        } else if (options.stdin_mode == StdinMode::kDevNull) {
            int fd = open("/dev/null", O_RDONLY);
            dup2(fd, 0);
            close(fd);
        } else {
            close(0);
        }
        if (options.stdout_fd >= 0) {
            dup2(options.stdout_fd, 1);
            if (options.stdout_fd != 1) close(options.stdout_fd);
        } else {
            dup2(out[1], 1);
        }
        dup2(options.merge_stderr ? out[1] : err[1], 2);
        close(out[0]);
        close(out[1]);
        if (err[0] >= 0) {
            close(err[0]);
            close(err[1]);
        }
        HarnessChildSetup(options.env, options.cwd);
        HarnessExec(argv);
    }
    if (in[0] >= 0) close(in[0]);
    close(out[1]);
    if (err[1] >= 0) close(err[1]);
    if (pid < 0) return result;

    size_t written = 0;
    if (in[1] >= 0) {
        fcntl(in[1], F_SETFL, fcntl(in[1], F_GETFL) | O_NONBLOCK);
        if (input.empty()) {
            close(in[1]);
            in[1] = -1;
        }
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(options.timeout_ms);
    int out_fd = out[0], err_fd = err[0];
    while (out_fd >= 0 || err_fd >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timed_out = true;
            break;
        }
        struct pollfd p[3];
        int n = 0, out_i = -1, err_i = -1, in_i = -1;
        if (out_fd >= 0) p[out_i = n++] = {out_fd, POLLIN, 0};
        if (err_fd >= 0) p[err_i = n++] = {err_fd, POLLIN, 0};
        if (in[1] >= 0) p[in_i = n++] = {in[1], POLLOUT, 0};
        int r = poll(p, static_cast<nfds_t>(n), static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) continue;
        char buf[4096];
        auto drain = [&](int& fd, int i, std::string& to) {
            if (i < 0 || !(p[i].revents & (POLLIN | POLLHUP | POLLERR))) return;
            ssize_t got = read(fd, buf, sizeof buf);
            if (got > 0) {
                to.append(buf, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fd);
                fd = -1;
            }
        };
        drain(out_fd, out_i, result.output);
        drain(err_fd, err_i, result.errors);
        if (in_i >= 0 && (p[in_i].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t w = write(in[1], input.data() + written, input.size() - written);
            if (w > 0) written += static_cast<size_t>(w);
            if ((w < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                close(in[1]);
                in[1] = -1;
            }
        }
    }
    if (in[1] >= 0) close(in[1]);
    if (out_fd >= 0) close(out_fd);
    if (err_fd >= 0) close(err_fd);
    int status = 0;
    for (;;) {
        pid_t w = waitpid(pid, &status, WNOHANG);
        if (w == pid) break;
        if (result.timed_out || Clock::now() >= deadline) {
            result.timed_out = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (result.timed_out) return result;
    if (WIFEXITED(status))
        result.exit_code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exit_code = 128 + WTERMSIG(status);
    return result;
}

}  // namespace dolv

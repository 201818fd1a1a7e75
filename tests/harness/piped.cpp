// RunPiped: a program with its standard input from a text, /dev/null or
// nothing, its output captured, never waited for beyond the timeout.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "pty.h"

namespace dolv {

void HarnessChildSetup(const std::vector<std::string>& env, const std::string& cwd);
[[noreturn]] void HarnessExec(const std::vector<std::string>& argv);
bool WaitForExit(pid_t pid, int timeout_ms);

namespace {

using Clock = std::chrono::steady_clock;

// The parent's ends of the pipes; -1 when closed or never opened.
struct Pipes {
    int in = -1;
    int out = -1;
    int err = -1;
};

void close_fd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// The child's side: standard input, output and error, then the program.
[[noreturn]] void exec_child(const std::vector<std::string>& argv, const PipedOptions& options,
                             const int in[2], const int out[2], const int err[2]) {
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

// Starts the program; its pid (-1 when it could not start) and the parent's ends.
pid_t spawn(const std::vector<std::string>& argv, const PipedOptions& options, Pipes& pipes) {
    int in[2] = {-1, -1}, out[2], err[2] = {-1, -1};
    if (options.stdin_mode == StdinMode::kBytes && pipe(in) != 0) return -1;
    if (pipe(out) != 0) return -1;
    if (!options.merge_stderr && pipe(err) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) exec_child(argv, options, in, out, err);
    if (in[0] >= 0) close(in[0]);
    close(out[1]);
    if (err[1] >= 0) close(err[1]);
    pipes = {in[1], out[0], err[0]};
    if (pid < 0) {
        close_fd(pipes.in);
        close_fd(pipes.out);
        close_fd(pipes.err);
    }
    return pid;
}

// Reads what fd has into to; closes fd at its end.
void drain(int& fd, const struct pollfd& p, std::string& to) {
    if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) return;
    char buf[4096];
    ssize_t got = read(fd, buf, sizeof buf);
    if (got > 0) {
        to.append(buf, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
        close_fd(fd);
    }
}

// Writes what of input the pipe takes; closes it when all is written or the
// program closed its end.
void feed(int& fd, const struct pollfd& p, const std::string& input, size_t& written) {
    if (!(p.revents & (POLLOUT | POLLERR | POLLHUP))) return;
    ssize_t w = write(fd, input.data() + written, input.size() - written);
    if (w > 0) written += static_cast<size_t>(w);
    if ((w < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) close_fd(fd);
}

// Feeds the input and collects the output until both output pipes end:
// false when the deadline came first.
bool exchange(Pipes& pipes, const std::string& input, PipedResult& result,
              Clock::time_point deadline) {
    size_t written = 0;
    if (pipes.in >= 0) {
        fcntl(pipes.in, F_SETFL, fcntl(pipes.in, F_GETFL) | O_NONBLOCK);
        if (input.empty()) close_fd(pipes.in);
    }
    while (pipes.out >= 0 || pipes.err >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        struct pollfd p[3];
        int n = 0, out_i = -1, err_i = -1, in_i = -1;
        if (pipes.out >= 0) p[out_i = n++] = {pipes.out, POLLIN, 0};
        if (pipes.err >= 0) p[err_i = n++] = {pipes.err, POLLIN, 0};
        if (pipes.in >= 0) p[in_i = n++] = {pipes.in, POLLOUT, 0};
        if (poll(p, static_cast<nfds_t>(n), static_cast<int>(left.count())) <= 0) continue;
        if (out_i >= 0) drain(pipes.out, p[out_i], result.output);
        if (err_i >= 0) drain(pipes.err, p[err_i], result.errors);
        if (in_i >= 0) feed(pipes.in, p[in_i], input, written);
    }
    return true;
}

// The program's exit code (128 + signal), or -1 when it did not end by the
// deadline (it is then killed).
int wait_end(pid_t pid, Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    int status = 0;
    if (left.count() <= 0 || !WaitForExit(pid, static_cast<int>(left.count()))) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

PipedResult RunPiped(const std::vector<std::string>& argv, const std::string& input,
                     const PipedOptions& options) {
    signal(SIGPIPE, SIG_IGN);  // the program may end before it read all its input
    PipedResult result;
    Pipes pipes;
    pid_t pid = spawn(argv, options, pipes);
    if (pid < 0) return result;
    auto deadline = Clock::now() + std::chrono::milliseconds(options.timeout_ms);
    const bool ended = exchange(pipes, input, result, deadline);
    close_fd(pipes.in);
    close_fd(pipes.out);
    close_fd(pipes.err);
    const int code = wait_end(pid, ended ? deadline : Clock::now());
    result.timed_out = code == -1;
    if (!result.timed_out) result.exit_code = code;
    return result;
}

}  // namespace dolv

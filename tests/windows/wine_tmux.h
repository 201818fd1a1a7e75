// Runs the Windows program under wine inside a detached tmux session, so
// that it meets a real console: keys go in with send-keys, the screen comes
// back with capture-pane. Used by the interactive Windows tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv_test {

// The program under test: set by tests/windows/run.sh.
inline const char* WindowsExe() {
    const char* exe = std::getenv("DOLV_WINDOWS_EXE");
    return exe && *exe ? exe : nullptr;
}

#define DOLV_NEED_WINDOWS_EXE()                                                             \
    do {                                                                                    \
        if (!::dolv_test::WindowsExe())                                                     \
            GTEST_SKIP() << "DOLV_WINDOWS_EXE is not set: tests/windows/run.sh runs these"; \
    } while (0)

using dolv::ShellQuote;

inline void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class WineConsole {
  public:
    // Starts `wine DOLV_WINDOWS_EXE args...` in cwd on an 80x25 console.
    WineConsole(const std::string& cwd, const std::vector<std::string>& args) {
        static int counter = 0;
        socket_ = "dolv-wine-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                  "-" + std::to_string(++counter);
        std::filesystem::path tmp = std::filesystem::temp_directory_path();
        socket_path_ = (tmp / (socket_ + ".tmux")).string();
        status_file_ = (tmp / (socket_ + ".status")).string();
        // No journal of the renames in the wine prefix.
        std::string command = "LC_ALL=C.UTF-8 DOLV_NO_JOURNAL=1 wine " + ShellQuote(WindowsExe());
        for (const std::string& a : args) command += " " + ShellQuote(a);
        // The shell stays after the program so that the screen stays as the
        // program left it; the exit code goes to a file of its own.
        command += "; echo $? >" + ShellQuote(status_file_) + "; exec sleep 600";
        for (int attempt = 0; attempt < 3 && !started_; ++attempt) {
            Tmux("-f /dev/null new-session -d -x 80 -y 25 -c " + ShellQuote(cwd) + " " +
                 ShellQuote(command));
            started_ = Tmux("has-session 2>/dev/null && echo up").find("up") != std::string::npos;
            if (!started_) SleepMs(200);
        }
    }
    ~WineConsole() {
        Tmux("kill-server");
        std::error_code ec;
        std::filesystem::remove(status_file_, ec);
        std::filesystem::remove(socket_path_, ec);
    }
    WineConsole(const WineConsole&) = delete;
    WineConsole& operator=(const WineConsole&) = delete;

    bool started() const { return started_; }

    // Keys by tmux name (Left, Enter, C-c, ...), one send each.
    void Keys(const std::vector<std::string>& keys) {
        for (const std::string& k : keys) {
            Tmux("send-keys -t 0 " + ShellQuote(k));
            SleepMs(60);
        }
    }
    // Bytes as the terminal would send them (ESC[H for Home, ESC[F for End).
    void Bytes(const std::string& bytes) {
        Tmux("send-keys -t 0 -l " + ShellQuote(bytes));
        SleepMs(60);
    }

    // The screen as text, one line per row (trailing blanks dropped by tmux).
    std::vector<std::string> Rows(bool colours = false) {
        std::string text = Tmux(std::string("capture-pane -p ") + (colours ? "-e " : "") + "-t 0");
        std::vector<std::string> rows;
        size_t start = 0;
        for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            rows.push_back(text.substr(start, nl - start));
        return rows;
    }
    std::string Screen() {
        std::string all;
        for (const std::string& r : Rows()) all += r + "\n";
        return all;
    }
    // The row (0-based) holding text, or -1.
    int RowWith(const std::string& text) {
        std::vector<std::string> rows = Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].find(text) != std::string::npos) return static_cast<int>(i);
        return -1;
    }
    // Cursor column and row, 1-based.
    std::pair<int, int> Cursor() {
        std::string out = Tmux("display-message -p -t 0 '#{cursor_x} #{cursor_y}'");
        int x = 0, y = 0;
        std::sscanf(out.c_str(), "%d %d", &x, &y);
        return {x + 1, y + 1};
    }
    // Waits until the screen shows text; false after timeout_ms.
    bool WaitFor(const std::string& text, int timeout_ms = 15000) {
        for (int waited = 0; waited < timeout_ms; waited += 100) {
            if (Screen().find(text) != std::string::npos) return true;
            SleepMs(100);
        }
        return false;
    }
    // Waits for the program to end; its exit code, or -1 after timeout_ms.
    int WaitExit(int timeout_ms = 15000) {
        for (int waited = 0; waited < timeout_ms; waited += 100) {
            std::ifstream in(status_file_);
            int status = -1;
            if (in >> status) {
                SleepMs(300);  // wine's console process may still be drawing
                return status;
            }
            SleepMs(100);
        }
        return -1;
    }
    // Waits until the cursor stands in column x (1-based); false after timeout_ms.
    bool WaitCursorColumn(int x, int timeout_ms = 5000) {
        for (int waited = 0; waited < timeout_ms; waited += 50) {
            if (Cursor().first == x) return true;
            SleepMs(50);
        }
        return false;
    }

  private:
    std::string Tmux(const std::string& args) {
        return dolv::RunShell("tmux -u -S " + ShellQuote(socket_path_) + " " + args +
                              " 2>/dev/null")
            .out;
    }

    std::string socket_;
    std::string socket_path_;
    std::string status_file_;
    bool started_ = false;
};

}  // namespace dolv_test

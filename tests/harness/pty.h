// A harness for end-to-end tests: programs run on a pseudo-terminal with a
// small screen model, or with piped standard input; temporary folders and
// file helpers.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "harness/grid.h"

namespace dolv {

// Keys as a terminal sends them.
namespace keys {
constexpr const char* kEsc = "\x1b";
constexpr const char* kEnter = "\r";
constexpr const char* kBackspace = "\x7f";
constexpr const char* kTab = "\t";
constexpr const char* kUp = "\x1b[A";
constexpr const char* kDown = "\x1b[B";
constexpr const char* kRight = "\x1b[C";
constexpr const char* kLeft = "\x1b[D";
constexpr const char* kHome = "\x1b[H";
constexpr const char* kEnd = "\x1b[F";
constexpr const char* kIns = "\x1b[2~";
constexpr const char* kDel = "\x1b[3~";
constexpr const char* kPgUp = "\x1b[5~";
constexpr const char* kPgDn = "\x1b[6~";
constexpr const char* kF1 = "\x1bOP";
constexpr const char* kF7 = "\x1b[18~";
constexpr const char* kCtrlC = "\x03";
}  // namespace keys

// A tiny terminal: a Grid of UTF-8 cells with colours, the cursor and its
// shape, driven by the output of a program. Understands what the console
// layer writes (text, CR, LF, BS, cursor moves, erase, SGR colours, cursor
// shape and visibility) and scrolls at the bottom. Coordinates are 1-based.
class Screen {
  public:
    explicit Screen(int cols = 80, int rows = 25);
    void feed(std::string_view bytes);
    void resize(int cols, int rows);

    int cols() const { return grid_.cols(); }
    int rows() const { return grid_.rows(); }
    // Row y as UTF-8, trailing blanks removed (full_row keeps them).
    std::string row(int y) const { return grid_.row(y); }
    std::string full_row(int y) const { return grid_.full_row(y); }
    // Every row, trailing blanks and trailing empty rows removed, joined by '\n'.
    std::string text() const { return grid_.text(); }
    // The character in a cell (UTF-8) and its colours as SGR numbers
    // (39/49 for the terminal's default, 31 red, 32 green ...).
    std::string cell(int x, int y) const { return grid_.cell(x, y); }
    int fg(int x, int y) const { return grid_.fg(x, y); }
    int bg(int x, int y) const { return grid_.bg(x, y); }
    int cursor_x() const { return grid_.x(); }
    int cursor_y() const { return grid_.y(); }
    bool cursor_visible() const { return visible_; }
    int cursor_shape() const { return shape_; }        // the last ESC[n q, 0 when never set
    int scrolled() const { return grid_.scrolled(); }  // lines scrolled off the top so far

  private:
    void csi(const std::string& params, char final);

    Grid grid_;
    bool visible_ = true;
    int shape_ = 0;
    std::string partial_;  // an escape sequence or UTF-8 character cut between two feeds
};

// Escape sequences (CSI, SS3, other ESC x) removed from a text.
std::string StripEscapes(std::string_view raw);

// A program on a pseudo-terminal.
struct PtyOptions {
    std::vector<std::string> env;  // "NAME=value" to set, "NAME" to remove
    std::string cwd;               // empty: the test's own
    int cols = 80;
    int rows = 25;
};

class PtySession {
  public:
    explicit PtySession(const std::vector<std::string>& argv, const PtyOptions& options = {});
    ~PtySession();  // kills the program if it still runs
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Writes bytes to the program's terminal and returns at once; the program
    // reads them one at a time, so many keys may go in one write. Marks the
    // output so far as old for wait_for_new.
    void send(std::string_view bytes);
    // Sends a list of keys in as few writes as is safe: after a lone Esc, and
    // before Ctrl-C (whose signal drops what is still unread), it waits until
    // the program has taken every key so far (wait_idle).
    void send_keys(const std::vector<std::string>& keys);
    // Sends a signal to the program.
    void signal(int sig);
    // Changes the terminal size (and sends SIGWINCH).
    void resize(int cols, int rows);

    // Waits until the output (escape sequences stripped) holds text: true
    // when it does, false after the timeout or when the program ended first.
    bool wait_for(std::string_view text, int timeout_ms = 5000);
    // The same, looking only at the output after the last send.
    bool wait_for_new(std::string_view text, int timeout_ms = 5000);
    // Waits until done() holds, reading output meanwhile: true when it does,
    // false after the timeout or when the program ended first.
    bool wait_until(const std::function<bool()>& done, int timeout_ms = 5000);
    // Waits until the program has read every byte sent and sleeps in a read of
    // its terminal for the next key, then takes in all it wrote before: the
    // screen is then what the keys so far made of it. False after the timeout
    // or when the program ended first.
    bool wait_idle(int timeout_ms = 5000);
    // Waits for the program's end and returns its exit code (128 + signal
    // when a signal ended it); after the timeout it is killed and -1 returned.
    int wait_exit(int timeout_ms = 10000);
    bool exited() const { return exited_; }

    // The terminal's local mode flags (termios c_lflag), -1 when unknown:
    // tests see whether the program left echo and line mode as it found them.
    long local_modes() const;

    const std::string& raw() const { return raw_; }
    std::string plain() const { return StripEscapes(raw_); }
    std::string raw_since_send() const { return raw_.substr(mark_); }
    const Screen& screen() const { return screen_; }

  private:
    bool pump(int timeout_ms);  // reads what is there; false when the program's side closed
    void write_all(std::string_view bytes);
    bool input_pending() const;     // bytes sent that the program has not read yet
    char proc_state() const;        // 'S', 'R', 'T' ... as /proc shows it, 0 when unknown
    bool reading_terminal() const;  // asleep in read(2) on its standard input
    void reap(bool block);

    pid_t pid_ = -1;
    int master_ = -1;
    std::string raw_;
    size_t mark_ = 0;
    Screen screen_;
    bool exited_ = false;
    int status_ = 0;
};

// A program with piped standard input.
enum class StdinMode { kBytes, kDevNull, kClosed };
struct PipedOptions {
    StdinMode stdin_mode = StdinMode::kBytes;
    std::vector<std::string> env;  // "NAME=value" to set, "NAME" to remove
    std::string cwd;
    int timeout_ms = 10000;
    bool merge_stderr = true;  // stderr into output; else into errors
    int stdout_fd = -1;        // when set, standard output goes there, not into output
};
struct PipedResult {
    int exit_code = -1;  // 128 + signal when a signal ended it; -1 on timeout
    bool timed_out = false;
    std::string output;
    std::string errors;
};
PipedResult RunPiped(const std::vector<std::string>& argv, const std::string& input = "",
                     const PipedOptions& options = {});

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + rel
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);  // lstat: a dangling link exists
// Waits until path exists, woken by the changes in its folder rather than by
// a clock: true when it does, false after the timeout.
bool WaitForFile(const std::string& path, int timeout_ms = 20000);
// The names in a folder, sorted by byte, without . and ..
std::vector<std::string> ListDir(const std::string& path);

}  // namespace dolv

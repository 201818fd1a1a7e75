// The screen model: just enough of a VT terminal for the console layer's output.
#include <cstdlib>

#include "pty.h"

namespace dolv {

Screen::Screen(int cols, int rows)
    : cols_(cols), rows_(rows), grid_(static_cast<size_t>(cols * rows)) {}

void Screen::resize(int cols, int rows) {
    std::vector<Cell> grid(static_cast<size_t>(cols * rows));
    for (int y = 0; y < rows && y < rows_; ++y)
        for (int x = 0; x < cols && x < cols_; ++x)
            grid[static_cast<size_t>(y * cols + x)] = at(x, y);
    grid_ = std::move(grid);
    cols_ = cols;
    rows_ = rows;
    if (x_ >= cols_) x_ = cols_ - 1;
    if (y_ >= rows_) y_ = rows_ - 1;
    pending_wrap_ = false;
}

void Screen::line_feed() {
    if (y_ < rows_ - 1) {
        ++y_;
        return;
    }
    grid_.erase(grid_.begin(), grid_.begin() + cols_);
    grid_.resize(static_cast<size_t>(cols_ * rows_));
    ++scrolled_;
}

void Screen::put(const std::string& ch) {
    if (pending_wrap_) {
        pending_wrap_ = false;
        x_ = 0;
        line_feed();
    }
    Cell& c = at(x_, y_);
    c.ch = ch;
    c.fg = fg_;
    c.bg = bg_;
    if (x_ == cols_ - 1)
        pending_wrap_ = true;
    else
        ++x_;
}

namespace {

std::vector<int> numbers(const std::string& params) {
    std::vector<int> out;
    std::string cur;
    for (char c : params) {
        if (c == ';') {
            out.push_back(cur.empty() ? 0 : std::atoi(cur.c_str()));
            cur.clear();
        } else if (c >= '0' && c <= '9') {
            cur += c;
        }
    }
    out.push_back(cur.empty() ? 0 : std::atoi(cur.c_str()));
    return out;
}

int clamp(int v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

}  // namespace

void Screen::csi(const std::string& params, char final) {
    std::vector<int> n = numbers(params);
    int n1 = n[0] == 0 ? 1 : n[0];
    bool private_mode = !params.empty() && params[0] == '?';
    bool space = !params.empty() && params.back() == ' ';
    switch (final) {
        case 'A':
            y_ = clamp(y_ - n1, 0, rows_ - 1);
            break;
        case 'B':
            y_ = clamp(y_ + n1, 0, rows_ - 1);
            break;
        case 'C':
            x_ = clamp(x_ + n1, 0, cols_ - 1);
            break;
        case 'D':
            x_ = clamp(x_ - n1, 0, cols_ - 1);
            break;
        case 'G':
            x_ = clamp(n1 - 1, 0, cols_ - 1);
            break;
        case 'H':
        case 'f':
            y_ = clamp((n[0] == 0 ? 1 : n[0]) - 1, 0, rows_ - 1);
            x_ = clamp((n.size() > 1 && n[1] ? n[1] : 1) - 1, 0, cols_ - 1);
            break;
        case 'K': {
            int from = n[0] == 0 ? x_ : 0;
            int to = n[0] == 1 ? x_ : cols_ - 1;
            for (int x = from; x <= to; ++x) at(x, y_) = Cell{" ", fg_, bg_};
            break;
        }
        case 'J':
            if (n[0] == 2)
                for (auto& c : grid_) c = Cell{" ", fg_, bg_};
            break;
        case 'm':
            for (int v : n) {
                if (v == 0)
                    fg_ = 39, bg_ = 49;
                else if ((v >= 30 && v <= 37) || (v >= 90 && v <= 97) || v == 39)
                    fg_ = v;
                else if ((v >= 40 && v <= 47) || (v >= 100 && v <= 107) || v == 49)
                    bg_ = v;
            }
            return;  // colours do not end a pending wrap
        case 'h':
        case 'l':
            if (private_mode && n[0] == 25) visible_ = final == 'h';
            return;
        case 'q':
            if (space) shape_ = n[0];
            return;
        default:
            return;
    }
    pending_wrap_ = false;
}

void Screen::feed(std::string_view bytes) {
    std::string data = partial_ + std::string(bytes);
    partial_.clear();
    size_t i = 0;
    while (i < data.size()) {
        unsigned char b = static_cast<unsigned char>(data[i]);
        if (b == 0x1b) {
            if (i + 1 >= data.size()) {
                partial_ = data.substr(i);
                return;
            }
            char kind = data[i + 1];
            if (kind == '[') {
                size_t j = i + 2;
                while (j < data.size() && !(data[j] >= 0x40 && data[j] <= 0x7E)) ++j;
                if (j >= data.size()) {
                    partial_ = data.substr(i);
                    return;
                }
                csi(data.substr(i + 2, j - i - 2), data[j]);
                i = j + 1;
            } else {
                i += 2;  // ESC x: nothing the console writes
            }
            continue;
        }
        if (b == '\r') {
            x_ = 0;
            pending_wrap_ = false;
            ++i;
        } else if (b == '\n') {
            line_feed();
            pending_wrap_ = false;
            ++i;
        } else if (b == '\b') {
            if (x_ > 0) --x_;
            pending_wrap_ = false;
            ++i;
        } else if (b == '\t') {
            x_ = clamp((x_ / 8 + 1) * 8, 0, cols_ - 1);
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            ++i;  // other control bytes show nothing
        } else {
            size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (i + len > data.size()) {
                partial_ = data.substr(i);
                return;
            }
            put(data.substr(i, len));
            i += len;
        }
    }
}

std::string Screen::full_row(int y) const {
    std::string s;
    if (y < 1 || y > rows_) return s;
    for (int x = 0; x < cols_; ++x) s += at(x, y - 1).ch;
    return s;
}

std::string Screen::row(int y) const {
    std::string s = full_row(y);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string Screen::text() const {
    std::string out;
    int last = rows_;
    while (last > 0 && row(last).empty()) --last;
    for (int y = 1; y <= last; ++y) {
        out += row(y);
        if (y < last) out += '\n';
    }
    return out;
}

std::string Screen::cell(int x, int y) const {
    if (x < 1 || x > cols_ || y < 1 || y > rows_) return "";
    return at(x - 1, y - 1).ch;
}

int Screen::fg(int x, int y) const {
    return (x < 1 || x > cols_ || y < 1 || y > rows_) ? 0 : at(x - 1, y - 1).fg;
}

int Screen::bg(int x, int y) const {
    return (x < 1 || x > cols_ || y < 1 || y > rows_) ? 0 : at(x - 1, y - 1).bg;
}

std::string StripEscapes(std::string_view raw) {
    std::string out;
    size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] != '\x1b') {
            out += raw[i++];
            continue;
        }
        if (i + 1 >= raw.size()) break;
        char kind = raw[i + 1];
        if (kind == '[') {
            size_t j = i + 2;
            while (j < raw.size() && !(raw[j] >= 0x40 && raw[j] <= 0x7E)) ++j;
            i = j + 1;
        } else if (kind == 'O') {
            i += 3;
        } else {
            i += 2;
        }
    }
    return out;
}

}  // namespace dolv

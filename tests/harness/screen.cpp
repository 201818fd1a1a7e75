// The screen model: just enough of a VT terminal for the console layer's output.
#include <cstdlib>

#include "pty.h"

namespace dolv {

Screen::Screen(int cols, int rows) : grid_(cols, rows, Grid::Wrap::kDeferred, 39, 49) {}

void Screen::resize(int cols, int rows) {
    grid_.resize(cols, rows);
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

}  // namespace

void Screen::csi(const std::string& params, char final) {
    std::vector<int> n = numbers(params);
    int n1 = n[0] == 0 ? 1 : n[0];
    bool private_mode = !params.empty() && params[0] == '?';
    bool space = !params.empty() && params.back() == ' ';
    const int x = grid_.x(), y = grid_.y();
    switch (final) {
        case 'A':
            grid_.move(x, y - n1);
            break;
        case 'B':
            grid_.move(x, y + n1);
            break;
        case 'C':
            grid_.move(x + n1, y);
            break;
        case 'D':
            grid_.move(x - n1, y);
            break;
        case 'G':
            grid_.move(n1, y);
            break;
        case 'H':
        case 'f':
            grid_.move(n.size() > 1 && n[1] ? n[1] : 1, n1);
            break;
        case 'K':
            grid_.erase_in_line(n[0] == 0 ? x : 1, n[0] == 1 ? x : grid_.cols());
            break;
        case 'J':
            if (n[0] == 2) grid_.erase_all();
            break;
        case 'm': {
            int fg = grid_.fg(), bg = grid_.bg();
            for (int v : n) {
                if (v == 0)
                    fg = 39, bg = 49;
                else if ((v >= 30 && v <= 37) || (v >= 90 && v <= 97) || v == 39)
                    fg = v;
                else if ((v >= 40 && v <= 47) || (v >= 100 && v <= 107) || v == 49)
                    bg = v;
            }
            grid_.set_colours(fg, bg);  // colours do not end a pending wrap
            break;
        }
        case 'h':
        case 'l':
            if (private_mode && n[0] == 25) visible_ = final == 'h';
            break;
        case 'q':
            if (space) shape_ = n[0];
            break;
        default:
            break;
    }
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
            grid_.move(1, grid_.y());
            ++i;
        } else if (b == '\n') {
            grid_.line_feed();
            ++i;
        } else if (b == '\b') {
            grid_.move(grid_.x() - 1, grid_.y());
            ++i;
        } else if (b == '\t') {
            // The next tab stop, the last column at most; a pending wrap stays.
            if (!grid_.wrap_pending()) grid_.move((grid_.x() - 1) / 8 * 8 + 9, grid_.y());
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            ++i;  // other control bytes show nothing
        } else {
            size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (i + len > data.size()) {
                partial_ = data.substr(i);
                return;
            }
            grid_.put(std::string_view(data).substr(i, len));
            i += len;
        }
    }
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

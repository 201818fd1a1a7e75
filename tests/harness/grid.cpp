#include "harness/grid.h"

#include <algorithm>

namespace dolv {

Grid::Grid(int cols, int rows, Wrap wrap, int blank_fg, int blank_bg)
    : cols_(cols),
      rows_(rows),
      wrap_(wrap),
      blank_fg_(blank_fg),
      blank_bg_(blank_bg),
      cells_(static_cast<size_t>(cols * rows), blank()),
      fg_(blank_fg),
      bg_(blank_bg) {}

void Grid::set_colours(int fg, int bg) {
    fg_ = fg;
    bg_ = bg;
}

void Grid::put(std::string_view ch) {
    if (pending_wrap_) {
        x_ = 1;
        line_feed();
    }
    Cell& c = at(x_, y_);
    c.size = static_cast<unsigned char>(std::min(ch.size(), sizeof c.ch));
    std::copy_n(ch.begin(), c.size, c.ch);
    c.fg = fg_;
    c.bg = bg_;
    if (x_ < cols_) {
        ++x_;
    } else if (wrap_ == Wrap::kDeferred) {
        pending_wrap_ = true;
    } else {
        x_ = 1;
        line_feed();
    }
}

void Grid::line_feed() {
    pending_wrap_ = false;
    if (y_ < rows_) {
        ++y_;
        return;
    }
    std::copy(cells_.begin() + cols_, cells_.end(), cells_.begin());
    std::fill(cells_.end() - cols_, cells_.end(), blank());
    ++scrolled_;
}

void Grid::move(int x, int y) {
    pending_wrap_ = false;
    x_ = std::clamp(x, 1, cols_);
    y_ = std::clamp(y, 1, rows_);
}

void Grid::erase_in_line(int from, int to) {
    pending_wrap_ = false;
    for (int x = std::max(from, 1); x <= to && x <= cols_; ++x)
        at(x, y_) = Cell{{' '}, 1, fg_, bg_};
}

void Grid::erase_all() {
    pending_wrap_ = false;
    std::fill(cells_.begin(), cells_.end(), Cell{{' '}, 1, fg_, bg_});
}

void Grid::resize(int cols, int rows) {
    std::vector<Cell> cells(static_cast<size_t>(cols * rows), blank());
    for (int y = 1; y <= rows && y <= rows_; ++y)
        for (int x = 1; x <= cols && x <= cols_; ++x)
            cells[static_cast<size_t>((y - 1) * cols + x - 1)] = at(x, y);
    cells_ = std::move(cells);
    cols_ = cols;
    rows_ = rows;
    x_ = std::min(x_, cols_);
    y_ = std::min(y_, rows_);
    pending_wrap_ = false;
}

void Grid::clear() {
    std::fill(cells_.begin(), cells_.end(), blank());
    x_ = y_ = 1;
    fg_ = blank_fg_;
    bg_ = blank_bg_;
    pending_wrap_ = false;
    scrolled_ = 0;
}

std::string Grid::full_row(int y) const {
    std::string s;
    if (y < 1 || y > rows_) return s;
    for (int x = 1; x <= cols_; ++x) s += cell(x, y);
    return s;
}

std::string Grid::row(int y) const {
    std::string s = full_row(y);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

std::string Grid::text() const {
    std::string out;
    int last = rows_;
    while (last > 0 && row(last).empty()) --last;
    for (int y = 1; y <= last; ++y) {
        out += row(y);
        if (y < last) out += '\n';
    }
    return out;
}

std::string Grid::cell(int x, int y) const {
    if (!inside(x, y)) return "";
    const Cell& c = at(x, y);
    return std::string(c.ch, c.size);
}

int Grid::fg(int x, int y) const {
    return inside(x, y) ? at(x, y).fg : 0;
}

int Grid::bg(int x, int y) const {
    return inside(x, y) ? at(x, y).bg : 0;
}

}  // namespace dolv

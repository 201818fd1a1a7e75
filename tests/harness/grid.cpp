#include "harness/grid.h"

#include <algorithm>

namespace dolv {

Grid::Grid(int cols, int rows, Wrap wrap, int blank_fg, int blank_bg)
    : cols_(cols),
      rows_(rows),
      wrap_(wrap),
      blank_fg_(blank_fg),
      blank_bg_(blank_bg),
      lines_(static_cast<size_t>(rows), blank_line()),
      fg_(blank_fg),
      bg_(blank_bg) {}

Grid::Line Grid::blank_line() const {
    return Line(static_cast<size_t>(cols_), Cell{" ", blank_fg_, blank_bg_});
}

void Grid::set_colours(int fg, int bg) {
    fg_ = fg;
    bg_ = bg;
}

void Grid::put(const std::string& ch) {
    if (pending_wrap_) {
        x_ = 1;
        line_feed();
    }
    lines_[static_cast<size_t>(y_ - 1)][static_cast<size_t>(x_ - 1)] = Cell{ch, fg_, bg_};
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
    lines_.erase(lines_.begin());
    lines_.push_back(blank_line());
    ++scrolled_;
}

void Grid::move(int x, int y) {
    pending_wrap_ = false;
    x_ = std::clamp(x, 1, cols_);
    y_ = std::clamp(y, 1, rows_);
}

void Grid::erase_in_line(int from, int to) {
    pending_wrap_ = false;
    Line& line = lines_[static_cast<size_t>(y_ - 1)];
    for (int x = std::max(from, 1); x <= to && x <= cols_; ++x)
        line[static_cast<size_t>(x - 1)] = Cell{" ", fg_, bg_};
}

void Grid::erase_all() {
    pending_wrap_ = false;
    for (Line& line : lines_)
        for (Cell& c : line) c = Cell{" ", fg_, bg_};
}

void Grid::resize(int cols, int rows) {
    cols_ = cols;
    rows_ = rows;
    lines_.resize(static_cast<size_t>(rows), blank_line());
    for (Line& line : lines_) line.resize(static_cast<size_t>(cols), Cell{" ", blank_fg_, blank_bg_});
    x_ = std::min(x_, cols_);
    y_ = std::min(y_, rows_);
    pending_wrap_ = false;
}

std::string Grid::full_row(int y) const {
    std::string s;
    if (y < 1 || y > rows_) return s;
    for (const Cell& c : lines_[static_cast<size_t>(y - 1)]) s += c.ch;
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
    return inside(x, y) ? lines_[static_cast<size_t>(y - 1)][static_cast<size_t>(x - 1)].ch : "";
}

int Grid::fg(int x, int y) const {
    return inside(x, y) ? lines_[static_cast<size_t>(y - 1)][static_cast<size_t>(x - 1)].fg : 0;
}

int Grid::bg(int x, int y) const {
    return inside(x, y) ? lines_[static_cast<size_t>(y - 1)][static_cast<size_t>(x - 1)].bg : 0;
}

}  // namespace dolv

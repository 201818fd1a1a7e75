// A grid of character cells with colours and a cursor: the screen that the
// terminal model (Screen, driven by escape sequences) and the in-process
// console (fakes/fake_console.cpp, driven by the console calls) draw on.
// A cell holds what the caller put there (one UTF-8 character, or one CP850
// byte: at most 4 bytes) and two colours in the caller's own numbering.
// Coordinates are 1-based.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dolv {

class Grid {
  public:
    // How a character put in the last column goes on.
    enum class Wrap {
        kAtOnce,    // the cursor goes to the start of the next line at once
        kDeferred,  // it stays; the next character put goes to the next line
    };
    // Blank cells are " " in the colours blank_fg, blank_bg; the cursor is
    // at 1,1 and writes in those colours.
    Grid(int cols, int rows, Wrap wrap, int blank_fg, int blank_bg);

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    int x() const { return x_; }
    int y() const { return y_; }
    int scrolled() const { return scrolled_; }  // lines scrolled off the top so far
    bool wrap_pending() const { return pending_wrap_; }

    // The colours of what is put and erased from now on.
    void set_colours(int fg, int bg);
    int fg() const { return fg_; }
    int bg() const { return bg_; }

    // Each change below but put ends a pending wrap.
    // The character at the cursor, which then moves right.
    void put(std::string_view ch);
    // The cursor one line down, the grid scrolling up a line at the bottom.
    void line_feed();
    // The cursor to x,y, each held inside the grid.
    void move(int x, int y);
    // Columns from..to of the cursor's line blanked in the current colours.
    void erase_in_line(int from, int to);
    // Every cell blanked in the current colours.
    void erase_all();
    // A new size: what fits stays, the cursor is held inside.
    void resize(int cols, int rows);
    // Back to how the grid started: blank, the cursor at 1,1 writing in the
    // blank colours, nothing scrolled. Keeps its room (a test's reset is cheap).
    void clear();

    // Row y, trailing blanks removed (full_row keeps them); "" outside.
    std::string row(int y) const;
    std::string full_row(int y) const;
    // Every row, trailing blanks and trailing empty rows removed, joined by '\n'.
    std::string text() const;
    // A cell's character and colours; "" and 0 outside the grid.
    std::string cell(int x, int y) const;
    int fg(int x, int y) const;
    int bg(int x, int y) const;

  private:
    // Plain data, so that a new grid or a scroll is a block copy.
    struct Cell {
        char ch[4];
        unsigned char size;
        int fg;
        int bg;
    };
    Cell blank() const { return Cell{{' '}, 1, blank_fg_, blank_bg_}; }
    Cell& at(int x, int y) { return cells_[static_cast<size_t>((y - 1) * cols_ + x - 1)]; }
    const Cell& at(int x, int y) const {
        return cells_[static_cast<size_t>((y - 1) * cols_ + x - 1)];
    }
    bool inside(int x, int y) const { return x >= 1 && x <= cols_ && y >= 1 && y <= rows_; }

    int cols_, rows_;
    Wrap wrap_;
    int blank_fg_, blank_bg_;
    std::vector<Cell> cells_;  // row by row
    int x_ = 1, y_ = 1;
    int fg_, bg_;
    bool pending_wrap_ = false;
    int scrolled_ = 0;
};

}  // namespace dolv

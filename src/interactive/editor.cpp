// The line editor: one line of text edited in a bracketed field on the
// current row, scrolled sideways when the text is wider than the field.
//
// The field occupies columns left - 1 to right: the left marker, right - left
// text columns, and the right marker. x is the cursor's column, pos the index
// of the character under it (length + 1 = after the end); the first visible
// character is pos - (x - left).
#include "interactive/editor.h"

#include "platform/console.h"
#include "platform/key_codes.h"

namespace dolv {

namespace {

constexpr unsigned char kLeftMore = 0x10;   // text hidden before the field
constexpr unsigned char kRightMore = 0x11;  // text hidden after the field
constexpr int kTypedMax = 254;              // typing never makes a longer text

struct Field {
    ShortText text;
    int left = 0;
    int right = 0;
    int row = 0;
    int x = 0;
    int pos = 1;
    bool drawn = true;  // false when the console is too narrow for a field
};

// The highest position: after the end, except that a text of 255 bytes has
// no position after its end and stops on its last character.
int max_pos(const Field& f) {
    return f.text.size() < ShortText::kMax ? f.text.size() + 1 : ShortText::kMax;
}

// On a full 255-byte text the cursor may stand on its last character; keep
// that character in view rather than under the right marker.
void keep_last_in_view(Field& f) {
    if (f.text.size() == ShortText::kMax && f.pos == ShortText::kMax && f.x == f.right &&
        f.right - 1 >= f.left)
        --f.x;
}

ShortText field_text(const Field& f) {
    int width = f.right - f.left;
    int start = f.pos - (f.x - f.left);
    ShortText visible = f.text.sub(start, width);
    bool rest_fits = f.text.size() - start + 1 <= visible.size();
    ShortText out;
    out += start == 1 ? '[' : static_cast<char>(kLeftMore);
    out += visible;
    out += ShortText::repeat(' ', width - visible.size());
    out += rest_fits ? ']' : static_cast<char>(kRightMore);
    return out;
}

void show_cursor(bool overwrite) {
    if (overwrite)
        CURSORBIG();
    else
        CURSORON();
}

void enter_char(Field& f, bool overwrite, char c) {
    if (overwrite && f.pos <= f.text.size()) {
        f.text.set(f.pos, c);
    } else if (f.text.size() < kTypedMax) {
        f.text.insert(f.pos, ShortText(std::string_view(&c, 1)));
    } else {
        return;
    }
    if (f.pos >= max_pos(f)) return;  // the last byte of a full text
    ++f.pos;
    if (f.x < f.right) ++f.x;
}

void key_end(Field& f) {
    f.pos = max_pos(f);
    int len = f.text.size();
    f.x = f.pos > f.right - f.left ? f.right : f.left + len;
}

}  // namespace

int GETTEXTMAXX() {
    int saved_x = WHEREX();
    int saved_y = WHEREY();
    int result = 255;
    for (int i = 1; i < 255; ++i) {
        GOTOXY(i, 1);
        if (WHEREX() != i) {
            result = WHEREX();
            break;
        }
    }
    GOTOXY(saved_x, saved_y);
    return result;
}

ShortText READSTRING2(const ShortText& initial, uint8_t left, uint8_t right, bool& overwrite,
                      uint8_t& extended, uint8_t& last_key, uint8_t& column, uint8_t& position) {
    Field f;
    f.text = initial;
    int max_x = GETTEXTMAXX();
    // The left marker needs a column of its own.
    f.left = left < 2 ? 2 : left;
    f.right = right;
    if (f.left > max_x - 1) f.left = max_x - 1;
    if (f.right > max_x - 1) f.right = max_x - 1;
    // Too narrow for a field (a console under 6 columns): the keys still
    // edit the text, but nothing is drawn and the cursor is not moved.
    if (f.right - f.left < 3) {
        f.drawn = false;
        if (f.right < f.left) f.right = f.left;
    }

    f.pos = position;
    if (f.pos > max_pos(f)) f.pos = max_pos(f);
    if (f.pos == 0) f.pos = 1;
    f.row = WHEREY();

    int rel = column;
    if (rel > f.right - f.left + 1) rel = f.right - f.left + 1;
    if (rel > f.text.size()) rel = f.text.size() + 1;
    if (rel == 0) rel = 1;
    if (rel > f.pos) rel = f.pos;
    f.x = f.left + rel - 1;
    if (f.x > f.right) f.x = f.right;
    keep_last_in_view(f);

    ShortText drawn_text = field_text(f);
    int placed_pos = f.pos;
    int placed_x = f.x;
    if (f.drawn) {
        GOTOXY(f.left - 1, f.row);
        WRITE(drawn_text);
        GOTOXY(f.x, f.row);
        if (overwrite) CURSORBIG();
    }

    bool done = false;
    while (!done) {
        unsigned char key = READKEY();
        bool redraw = true;
        if (key != 0) {
            extended = 0;
            last_key = key;
            switch (key) {
                case kKeyBackspace:
                    if (f.pos > 1) {
                        f.text.erase(f.pos - 1, 1);
                        --f.pos;
                        if (f.x > f.left) --f.x;
                    }
                    break;
                case kKeyEnter:
                    done = true;
                    break;
                case kKeyEsc:
                    if (f.text.empty()) {
                        done = true;
                    } else {
                        if (f.drawn) GOTOXY(f.left, f.row);
                        f.text = ShortText();
                        f.x = f.left;
                        f.pos = 1;
                    }
                    break;
                default:
                    if (key >= 32) enter_char(f, overwrite, static_cast<char>(key));
                    break;
            }
        } else {
            unsigned char scan = READKEY();
            switch (scan) {
                case kScanHome:
                    f.x = f.left;
                    f.pos = 1;
                    break;
                case kScanUp:
                case kScanPgUp:
                case kScanDown:
                case kScanPgDn:
                    redraw = false;
                    break;
                case kScanLeft:
                    if (f.x > f.left) --f.x;
                    if (f.pos > 1) --f.pos;
                    break;
                case kScanRight:
                    if (f.pos <= f.text.size() && f.pos < max_pos(f)) {
                        ++f.pos;
                        if (f.x < f.right) ++f.x;
                    }
                    break;
                case kScanEnd:
                    key_end(f);
                    break;
                case kScanIns:
                    overwrite = !overwrite;
                    if (f.drawn) show_cursor(overwrite);
                    redraw = false;
                    break;
                case kScanDel:
                    if (f.pos <= f.text.size()) f.text.erase(f.pos, 1);
                    break;
                default:
                    extended = 255;
                    last_key = scan;
                    done = true;
                    break;
            }
        }
        if (!redraw || !f.drawn) continue;
        keep_last_in_view(f);

        ShortText now = field_text(f);
        if (!(now == drawn_text)) {
            drawn_text = now;
            CURSOROFF();
            GOTOXY(f.left - 1, f.row);
            WRITE(drawn_text);
            GOTOXY(f.x, f.row);
            show_cursor(overwrite);
            placed_pos = f.pos;
            placed_x = f.x;
        }
        if (f.pos != placed_pos || f.x != placed_x) {
            GOTOXY(f.x, f.row);
            placed_pos = f.pos;
            placed_x = f.x;
        }
    }

    column = static_cast<uint8_t>(f.x - f.left + 1);
    position = static_cast<uint8_t>(f.pos);
    return f.text;
}

}  // namespace dolv

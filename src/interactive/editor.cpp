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

// The field for READSTRING2's arguments: its columns cut to the console,
// and the cursor's position and column made to fit the text.
Field open_field(const ShortText& initial, int left, int right, int column, int position) {
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
    return f;
}

// What the console shows of the field: its text and where the cursor was put.
struct Shown {
    ShortText text;
    int pos = 0;
    int x = 0;
};

Shown draw_field(const Field& f, bool overwrite) {
    Shown shown{field_text(f), f.pos, f.x};
    if (f.drawn) {
        GOTOXY(f.left - 1, f.row);
        WRITE(shown.text);
        GOTOXY(f.x, f.row);
        if (overwrite) CURSORBIG();
    }
    return shown;
}

// Writes the field again where its text changed, and moves the cursor where
// it moved.
void redraw_field(Field& f, Shown& shown, bool overwrite) {
    keep_last_in_view(f);
    ShortText now = field_text(f);
    if (!(now == shown.text)) {
        shown.text = now;
        CURSOROFF();
        GOTOXY(f.left - 1, f.row);
        WRITE(shown.text);
        GOTOXY(f.x, f.row);
        show_cursor(overwrite);
        shown.pos = f.pos;
        shown.x = f.x;
    }
    if (f.pos != shown.pos || f.x != shown.x) {
        GOTOXY(f.x, f.row);
        shown.pos = f.pos;
        shown.x = f.x;
    }
}

// What a key did: whether the field is to be shown again, whether the edit ended.
struct KeyResult {
    bool redraw = true;
    bool done = false;
};

void key_backspace(Field& f) {
    if (f.pos > 1) {
        f.text.erase(f.pos - 1, 1);
        --f.pos;
        if (f.x > f.left) --f.x;
    }
}

// Esc on a text empties it; Esc on an empty text ends the edit.
KeyResult key_esc(Field& f) {
    if (f.text.empty()) return {true, true};
    if (f.drawn) GOTOXY(f.left, f.row);
    f.text = ShortText();
    f.x = f.left;
    f.pos = 1;
    return {};
}

void key_home(Field& f) {
    f.x = f.left;
    f.pos = 1;
}

void key_left(Field& f) {
    if (f.x > f.left) --f.x;
    if (f.pos > 1) --f.pos;
}

void key_right(Field& f) {
    if (f.pos <= f.text.size() && f.pos < max_pos(f)) {
        ++f.pos;
        if (f.x < f.right) ++f.x;
    }
}

void key_del(Field& f) {
    if (f.pos <= f.text.size()) f.text.erase(f.pos, 1);
}

// A key with a character.
KeyResult character_key(Field& f, bool overwrite, unsigned char key, uint8_t& extended,
                        uint8_t& last_key) {
    extended = 0;
    last_key = key;
    switch (key) {
        case kKeyBackspace:
            key_backspace(f);
            return {};
        case kKeyEnter:
            return {true, true};
        case kKeyEsc:
            return key_esc(f);
        default:
            if (key >= 32) enter_char(f, overwrite, static_cast<char>(key));
            return {};
    }
}

// A key without a character: its scan code is read now. A key the editor
// does not know ends the edit, with extended 255 and the scan code.
KeyResult extended_key(Field& f, bool& overwrite, uint8_t& extended, uint8_t& last_key) {
    const unsigned char scan = READKEY();
    switch (scan) {
        case kScanHome:
            key_home(f);
            return {};
        case kScanUp:
        case kScanPgUp:
        case kScanDown:
        case kScanPgDn:
            return {false, false};
        case kScanLeft:
            key_left(f);
            return {};
        case kScanRight:
            key_right(f);
            return {};
        case kScanEnd:
            key_end(f);
            return {};
        case kScanIns:
            overwrite = !overwrite;
            if (f.drawn) show_cursor(overwrite);
            return {false, false};
        case kScanDel:
            key_del(f);
            return {};
        default:
            extended = 255;
            last_key = scan;
            return {true, true};
    }
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
    Field f = open_field(initial, left, right, column, position);
    Shown shown = draw_field(f, overwrite);
    for (bool done = false; !done;) {
        const unsigned char key = READKEY();
        const KeyResult result = key != 0 ? character_key(f, overwrite, key, extended, last_key)
                                          : extended_key(f, overwrite, extended, last_key);
        done = result.done;
        if (result.redraw && f.drawn) redraw_field(f, shown, overwrite);
    }
    column = static_cast<uint8_t>(f.x - f.left + 1);
    position = static_cast<uint8_t>(f.pos);
    return f.text;
}

}  // namespace dolv

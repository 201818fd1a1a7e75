// The line editor on a pseudo-terminal: the editor probe edits one field on
// row 1, the screen is read after each key, and the probe's closing lines
// give what the editor returned.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

const std::string kProbe = std::string(DOLV_TEST_BIN_DIR) + "/editor_probe";
const std::string kLeftMore = "\u25BA";   // ►
const std::string kRightMore = "\u25C4";  // ◄

class Editor {
  public:
    // Edits text in columns 2 to 79 with the cursor at column/position pos.
    Editor(const std::string& text, bool overwrite, int pos, int cols = 80, int rounds = 1)
        : s_({kProbe, text, "2", "79", overwrite ? "1" : "0", std::to_string(pos),
              std::to_string(pos), std::to_string(rounds)},
             options(cols)) {
        EXPECT_TRUE(s_.wait_idle()) << s_.plain();
    }

    // Sends one key and reads the output it caused, once the editor waits
    // for the next one.
    void key(const std::string& k) {
        s_.send(k);
        EXPECT_TRUE(s_.wait_idle()) << s_.plain();
    }
    // Sends a key n times in one write.
    void repeat(const std::string& k, int n) {
        std::string all;
        for (int i = 0; i < n; ++i) all += k;
        key(all);
    }
    void type(const std::string& text) {
        for (char c : text) key(std::string(1, c));
    }
    std::string since_key() const { return s_.raw_since_send(); }

    // The field on row 1: the marker cells and the text between them.
    std::string cell(int x) const { return s_.screen().cell(x, 1); }
    std::string inner() const {
        std::string s;
        for (int x = 2; x <= 78; ++x) s += cell(x);
        return s;
    }
    int cursor() const { return s_.screen().cursor_x(); }
    bool block() const { return s_.screen().cursor_shape() == 2; }

    // Ends the editing with key k; the probe's report of what came back.
    std::string finish(const std::string& k) {
        s_.send(k);
        EXPECT_EQ(s_.wait_exit(), 0);
        std::string out = s_.plain();
        size_t at = out.rfind("\next=");
        return at == std::string::npos ? out : out.substr(at + 1, out.find('\r', at) - at - 1);
    }
    // The edited text, without the line ends of its wrapping.
    std::string text() const {
        std::string out = s_.plain();
        size_t at = out.rfind("text=<");
        if (at == std::string::npos) return "";
        return WithoutLineEnds(out.substr(at + 6, out.rfind('>') - at - 6));
    }
    PtySession& session() { return s_; }

  private:
    static PtyOptions options(int cols) {
        PtyOptions o;
        o.cols = cols;
        return o;
    }
    PtySession s_;
};

std::string spaces(int n) {
    return std::string(static_cast<size_t>(n), ' ');
}

TEST(LineEditor, FieldCursorAndResult) {
    Editor e("abc", true, 4);
    EXPECT_EQ(e.session().screen().full_row(1), "[abc" + spaces(74) + "] ");
    EXPECT_EQ(e.cursor(), 5);
    EXPECT_EQ(e.session().screen().cursor_y(), 1);
    EXPECT_TRUE(e.block());
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=4 pos=4 ovr=1 len=3 width=80");
    EXPECT_EQ(e.text(), "abc");
}

TEST(LineEditor, OverwriteAppendsAtTheEndAndReplacesInTheMiddle) {
    Editor e("abc", true, 4);
    e.type("d");
    EXPECT_EQ(e.inner(), "abcd" + spaces(73));
    EXPECT_EQ(e.cursor(), 6);
    e.key(keys::kLeft);
    e.key(keys::kLeft);
    e.type("X");
    EXPECT_EQ(e.inner(), "abXd" + spaces(73));
    EXPECT_EQ(e.cursor(), 5);
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=4 pos=4 ovr=1 len=4 width=80");
    EXPECT_EQ(e.text(), "abXd");
}

TEST(LineEditor, InsertModeInsertsWithTheNormalCursor) {
    Editor e("abc", false, 4);
    EXPECT_FALSE(e.block());
    e.key(keys::kHome);
    EXPECT_EQ(e.cursor(), 2);
    e.type("X");
    EXPECT_EQ(e.inner(), "Xabc" + spaces(73));
    e.key(keys::kDel);
    EXPECT_EQ(e.inner(), "Xbc" + spaces(74));
    e.key(keys::kBackspace);
    EXPECT_EQ(e.inner(), "bc" + spaces(75));
    EXPECT_EQ(e.cursor(), 2);
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=1 pos=1 ovr=0 len=2 width=80");
}

TEST(LineEditor, InsSwitchesTheCursorWithoutRedrawAndTheModeCarriesOver) {
    Editor e("abc", true, 4, 80, 2);
    e.key(keys::kIns);
    EXPECT_FALSE(e.block());
    EXPECT_TRUE(e.session().screen().cursor_visible());
    EXPECT_EQ(e.since_key().find("abc"), std::string::npos) << e.since_key();
    e.key(keys::kIns);
    EXPECT_TRUE(e.block());
    EXPECT_EQ(e.since_key().find("abc"), std::string::npos) << e.since_key();
    e.key(keys::kIns);
    e.key("\r");
    // The second round starts in insert mode, where the first one ended.
    e.key(keys::kHome);
    e.type("X");
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=2 pos=2 ovr=0 len=4 width=80");
    EXPECT_EQ(e.text(), "Xabc");
}

TEST(LineEditor, TypingStopsAt254CharactersOverwriteStillWorks) {
    Editor e(std::string(253, 'x'), false, 254);
    e.type("1");
    EXPECT_EQ(e.cell(78), "1");
    e.type("2");
    EXPECT_EQ(e.since_key(), "");
    e.key(keys::kIns);
    e.key(keys::kLeft);
    e.type("Z");
    EXPECT_EQ(e.cell(78), "Z");
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=78 pos=255 ovr=1 len=254 width=80");
    EXPECT_EQ(e.text(), std::string(253, 'x') + "Z");
}

TEST(LineEditor, KeysThatChangeNothingWriteNothing) {
    Editor e("abc", true, 4);
    for (const char* k : {keys::kUp, keys::kDown, keys::kPgUp, keys::kPgDn, keys::kTab, keys::kDel,
                          keys::kRight, keys::kEnd}) {
        e.key(k);
        EXPECT_EQ(e.since_key(), "") << "key " << k + 1;
    }
    e.key(keys::kHome);
    for (const char* k : {keys::kBackspace, keys::kLeft, keys::kHome, "\x01"}) {
        e.key(k);
        EXPECT_EQ(e.since_key(), "") << "key " << k + 1;
    }
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=1 pos=1 ovr=1 len=3 width=80");
    EXPECT_EQ(e.text(), "abc");
}

TEST(LineEditor, FirstEscClearsSecondEscEnds) {
    Editor e("abc", true, 4);
    e.key(keys::kEsc);
    EXPECT_EQ(e.session().screen().full_row(1), "[" + spaces(77) + "] ");
    EXPECT_EQ(e.cursor(), 2);
    EXPECT_EQ(e.finish(keys::kEsc), "ext=0 key=27 col=1 pos=1 ovr=1 len=0 width=80");
    EXPECT_EQ(e.text(), "");
}

TEST(LineEditor, FunctionKeyEndsWithTheTextSoFar) {
    Editor e("abc", true, 4);
    e.type("d");
    EXPECT_EQ(e.finish(keys::kF1), "ext=255 key=59 col=5 pos=5 ovr=1 len=4 width=80");
    EXPECT_EQ(e.text(), "abcd");
}

TEST(LineEditor, LongTextScrollsWithMarkers) {
    std::string text;
    for (int i = 0; i < 10; ++i) text += "0123456789";
    Editor e(text, true, 101);
    // The last 77 characters, with more text before them.
    EXPECT_EQ(e.cell(1), kLeftMore);
    EXPECT_EQ(e.inner(), text.substr(23));
    EXPECT_EQ(e.cell(79), "]");
    EXPECT_EQ(e.cursor(), 79);
    e.key(keys::kHome);
    EXPECT_EQ(e.cell(1), "[");
    EXPECT_EQ(e.inner(), text.substr(0, 77));
    EXPECT_EQ(e.cell(79), kRightMore);
    EXPECT_EQ(e.cursor(), 2);
    e.key(keys::kEnd);
    EXPECT_EQ(e.cell(1), kLeftMore);
    EXPECT_EQ(e.cell(79), "]");
    EXPECT_EQ(e.cursor(), 79);
    // Walking left to the first column, then one more, scrolls by one.
    e.repeat(keys::kLeft, 78);
    EXPECT_EQ(e.cursor(), 2);
    EXPECT_EQ(e.inner(), text.substr(22, 77));
    EXPECT_EQ(e.cell(79), kRightMore);
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=1 pos=23 ovr=1 len=100 width=80");
}

TEST(LineEditor, FullTextOf255StaysOnItsLastCharacter) {
    Editor e(std::string(254, 'a') + "z", true, 255);
    // The cursor starts on the last character, which stays in view.
    EXPECT_EQ(e.cursor(), 78);
    EXPECT_EQ(e.cell(78), "z");
    EXPECT_EQ(e.cell(79), "]");
    EXPECT_EQ(e.cell(1), kLeftMore);
    e.key(keys::kRight);
    EXPECT_EQ(e.since_key(), "");
    e.key(keys::kHome);
    e.key(keys::kEnd);
    EXPECT_EQ(e.cursor(), 78);
    e.type("Q");
    EXPECT_EQ(e.cell(78), "Q");
    EXPECT_EQ(e.cursor(), 78);
    e.key(keys::kIns);
    e.type("R");  // insert mode: the text is full
    EXPECT_EQ(e.since_key(), "");
    EXPECT_EQ(e.finish("\r"), "ext=0 key=13 col=77 pos=255 ovr=0 len=255 width=80");
    EXPECT_EQ(e.text(), std::string(254, 'a') + "Q");
}

TEST(LineEditor, NarrowConsoleEditsWithoutAField) {
    Editor e("abc", true, 4, 5);
    e.type("d");
    e.key(keys::kLeft);
    e.key(keys::kBackspace);
    e.finish("\r");
    // The closing lines wrap at 5 columns: read them without the line ends.
    const std::string out = WithoutLineEnds(e.session().plain());
    EXPECT_NE(out.find("ext=0 key=13 col=1 pos=3 ovr=1 len=3 width=5"), std::string::npos) << out;
    EXPECT_NE(out.find("text=<abd>"), std::string::npos) << out;
    EXPECT_EQ(out.substr(0, out.find("ext=")).find('['), std::string::npos) << out;
}

}  // namespace
}  // namespace dolv

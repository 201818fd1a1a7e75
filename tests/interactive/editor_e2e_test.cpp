// The line editor on a pseudo-terminal (its keys one by one are tested in
// process, tests/logic/editor_test.cpp): the editor probe edits one field on
// row 1, the screen is read after each key, and the probe's closing lines
// give what the editor returned.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/dolv_run.h"

namespace dolv {
namespace {

const std::string kProbe = std::string(DOLV_TEST_BIN_DIR) + "/editor_probe";

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

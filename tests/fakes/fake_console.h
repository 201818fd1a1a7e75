// The console of the in-process tests and of the fuzz build. It stands in
// for the platform's console at link time: what the program writes is
// recorded (as plain text, as a transcript with its colour changes, cursor
// moves and cursor shapes, and on an 80x25 screen), keys come from a script
// (then Esc for ever, as at the end of a piped input), HALT throws Halted,
// and a cancel can be raised at a chosen key or at a chosen check_cancel.
#pragma once

#include <string>
#include <vector>

namespace dolv::fake {

// Thrown by HALT in place of ending the process.
struct Halted {
    int code;
};

// A piece of the transcript: text written in one colour, or an event.
//   text   "abc"           written text, colour in `colour`
//   "\n"                   a line end (WRITELN)
//   "{@x,y}"               a cursor move that took effect
//   "{big}" "{on}" "{off}" a cursor shape
struct Piece {
    std::string text;
    int colour = 7;
};

class Console {
  public:
    // Clears everything: output, screen (cursor at 1,1, colour 7), keys, cancels.
    static void Reset(const std::string& keys = std::string());
    // Keys still to read after the current ones: appended to the script.
    static void AddKeys(const std::string& keys);

    // Everything written, line ends as "\n", no colours or moves.
    static const std::string& Text();
    // The transcript: text with "{4}" in front of a piece written in a colour
    // other than 7, "{7}" when it goes back, and the events above.
    static std::string Transcript();
    // The pieces written in one colour, each in its own string.
    static std::vector<std::string> InColour(int colour);
    // One row of the screen (1-based), trailing blanks dropped.
    static std::string Row(int y);
    static int KeysRead();
    // The colour the console writes in now.
    static int Colour();
    static int CursorShape();  // 0 normal, 1 hidden, 2 block

    // A cancel (as from Ctrl-C) raised just before the nth key is read
    // (1-based), or just before the nth explicit check_cancel call acts.
    static void CancelAtKey(int n);
    static void CancelAtCheck(int n);
    // Raises a cancel now (from a file-system hook, say).
    static void raise_cancel();
    static int Checks();  // check_cancel calls so far
    // Makes the output fail as a full disk or a pipe without reader does;
    // ToErrors tells whether the program then turned to standard error.
    static void FailOutput();
    static bool ToErrors();
    // The lines written to standard error (write_error_line), each with "\n".
    static const std::string& Errors();
};

}  // namespace dolv::fake

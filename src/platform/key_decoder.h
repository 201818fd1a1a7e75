// Turns the bytes a terminal (or a pipe) sends into the keys READKEY hands
// out: a character key as its CP850 byte, a key without a character as 0
// followed by its PC scan code. Pure: the reader feeds bytes and tells the
// decoder when the short wait after an Esc ran out; no clock inside.
#pragma once

#include <string>

namespace dolv {

// How long a reader waits after an ESC for the rest of a sequence.
constexpr int kEscWaitMs = 50;

struct KeyDecoder {
    enum class State { kIdle, kEsc, kCsi, kSs3, kCsiBracket, kUtf8 };
    State state = State::kIdle;
    std::string pending;  // bytes of the sequence being read (after the ESC)
    int utf8_missing = 0;
    bool after_cr = false;  // the last byte was CR: a following LF is the same Enter
    std::string keys;       // decoded key codes not yet taken
    size_t next_key = 0;
};

// Feeds one byte.
void key_feed(KeyDecoder& d, unsigned char byte);
// No byte arrived within kEscWaitMs of the last one (or the input ended):
// a lone ESC becomes the Esc key, an incomplete sequence is dropped.
void key_timeout(KeyDecoder& d);
// True while the decoder holds part of a sequence: the reader should wait
// at most kEscWaitMs for the next byte and then call key_timeout.
bool key_incomplete(const KeyDecoder& d);
// Takes the next decoded key code; false when none is waiting.
bool key_take(KeyDecoder& d, unsigned char& key);

}  // namespace dolv

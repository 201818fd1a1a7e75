// Escape sequences of the usual terminals (xterm, VT220, the Linux console)
// into the two-step form of PC keys. A sequence that is not one of the
// keys below is read to its end and thrown away: it is no key at all.
#include "platform/key_decoder.h"

#include <cstdlib>
#include <cstring>

#include "platform/cp850.h"
#include "platform/key_codes.h"

namespace dolv {
namespace {

using State = KeyDecoder::State;

void emit(KeyDecoder& d, unsigned char key) {
    if (d.next_key == d.keys.size()) {  // everything taken: start the queue afresh
        d.keys.clear();
        d.next_key = 0;
    }
    d.keys += static_cast<char>(key);
}

void emit_extended(KeyDecoder& d, unsigned char scan) {
    emit(d, 0);
    emit(d, scan);
}

void reset(KeyDecoder& d) {
    d.state = State::kIdle;
    d.pending.clear();
    d.utf8_missing = 0;
}

// The letter that ends ESC [ or ESC O without parameters.
unsigned char letter_key(unsigned char final) {
    switch (final) {
        case 'A':
            return kScanUp;
        case 'B':
            return kScanDown;
        case 'C':
            return kScanRight;
        case 'D':
            return kScanLeft;
        case 'H':
            return kScanHome;
        case 'F':
            return kScanEnd;
        default:
            return 0;
    }
}

// ESC [ <number> ~
unsigned char tilde_key(int n) {
    switch (n) {
        case 1:
        case 7:
            return kScanHome;
        case 4:
        case 8:
            return kScanEnd;
        case 2:
            return kScanIns;
        case 3:
            return kScanDel;
        case 5:
            return kScanPgUp;
        case 6:
            return kScanPgDn;
        case 11:
        case 12:
        case 13:
        case 14:
            return static_cast<unsigned char>(kScanF1 + n - 11);
        case 15:
            return kScanF1 + 4;
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
            return static_cast<unsigned char>(kScanF1 + n - 12);
        case 23:
            return kScanF11;
        case 24:
            return kScanF12;
        default:
            return 0;
    }
}

// A complete CSI sequence: params holds the bytes between ESC [ and the final byte.
void finish_csi(KeyDecoder& d, const std::string& params, unsigned char final) {
    unsigned char scan = 0;
    if (params.empty()) {
        scan = letter_key(final);
    } else if (final == '~' && params.size() <= 2 &&
               params.find_first_not_of("0123456789") == std::string::npos) {
        scan = tilde_key(std::atoi(params.c_str()));
    }
    if (scan) emit_extended(d, scan);
}

void feed_idle(KeyDecoder& d, unsigned char b) {
    const bool after_cr = d.after_cr;
    d.after_cr = false;
    if (b == kKeyEsc) {
        d.state = State::kEsc;
    } else if (b == '\r') {
        emit(d, kKeyEnter);
        d.after_cr = true;
    } else if (b == '\n') {
        if (!after_cr) emit(d, kKeyEnter);  // CR LF is one Enter
    } else if (b == 0x7F || b == 0x08) {
        emit(d, kKeyBackspace);
    } else if (b == 0) {
        // Ctrl-Space and the like: a 0 would be read as the start of an extended key.
    } else if (b < 0x80) {
        emit(d, b);
    } else if (b >= 0xC2 && b <= 0xF4) {
        d.state = State::kUtf8;
        d.pending.assign(1, static_cast<char>(b));
        d.utf8_missing = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    }
    // Other bytes of 0x80 and above start no UTF-8 character: dropped.
}

// After an ESC.
void feed_esc(KeyDecoder& d, unsigned char b) {
    if (b == '[') {
        d.state = State::kCsi;
        d.pending.clear();
    } else if (b == 'O') {
        d.state = State::kSs3;
        d.pending.clear();
    } else {
        // Not the start of a key sequence: the ESC was the Esc key.
        reset(d);
        emit(d, kKeyEsc);
        feed_idle(d, b);
    }
}

// After ESC O.
void feed_ss3(KeyDecoder& d, unsigned char b) {
    if (b >= 0x20 && b <= 0x3F) {  // a modifier (ESC O 2 P): read on, then drop
        if (d.pending.size() < 32) d.pending += static_cast<char>(b);
        return;
    }
    if (b >= 0x40 && b <= 0x7E && !d.pending.empty()) {
        reset(d);
        return;
    }
    reset(d);
    if (b >= 0x40 && b <= 0x7E) {
        if (b >= 'P' && b <= 'S')
            emit_extended(d, static_cast<unsigned char>(kScanF1 + (b - 'P')));
        else if (unsigned char scan = letter_key(b))
            emit_extended(d, scan);
    } else {
        feed_idle(d, b);  // a broken sequence: drop it, keep the byte
    }
}

// After ESC [.
void feed_csi(KeyDecoder& d, unsigned char b) {
    if (b >= 0x20 && b <= 0x3F) {  // parameter and intermediate bytes
        if (d.pending.size() < 32)
            d.pending += static_cast<char>(b);
        else
            d.pending = "?";  // too long for any key: keep reading, then drop
    } else if (b == '[' && d.pending.empty()) {
        d.state = State::kCsiBracket;
    } else if (b >= 0x40 && b <= 0x7E) {
        std::string params = d.pending;
        reset(d);
        finish_csi(d, params, b);
    } else {
        reset(d);
        feed_idle(d, b);
    }
}

// Within a UTF-8 character.
void feed_utf8(KeyDecoder& d, unsigned char b) {
    if ((b & 0xC0) != 0x80) {  // broken character: drop it, keep the byte
        reset(d);
        feed_idle(d, b);
        return;
    }
    d.pending += static_cast<char>(b);
    if (--d.utf8_missing == 0) {
        std::string cp850;
        // A character maps to a byte of the upper half or is ignored:
        // the glyphs of the control bytes (such as the arrow that
        // stands for ESC) are no keys.
        if (utf8_to_cp850(d.pending, cp850) && cp850.size() == 1 &&
            static_cast<unsigned char>(cp850[0]) >= 0x80)
            emit(d, static_cast<unsigned char>(cp850[0]));
        reset(d);
    }
}
}  // namespace

void key_feed(KeyDecoder& d, unsigned char b) {
    switch (d.state) {
        case State::kIdle:
            feed_idle(d, b);
            return;
        case State::kEsc:
            feed_esc(d, b);
            return;
        case State::kSs3:
            feed_ss3(d, b);
            return;
        case State::kCsiBracket:  // ESC [ [ x: the Linux console's F1-F5, not ours
            reset(d);
            if (b < 0x40 || b > 0x7E) feed_idle(d, b);
            return;
        case State::kCsi:
            feed_csi(d, b);
            return;
        case State::kUtf8:
            feed_utf8(d, b);
            return;
    }
}

void key_timeout(KeyDecoder& d) {
    if (d.state == State::kEsc) emit(d, kKeyEsc);
    reset(d);
}

bool key_incomplete(const KeyDecoder& d) {
    return d.state != State::kIdle;
}

bool key_take(KeyDecoder& d, unsigned char& key) {
    if (d.next_key >= d.keys.size()) return false;
    key = static_cast<unsigned char>(d.keys[d.next_key++]);
    return true;
}

}  // namespace dolv

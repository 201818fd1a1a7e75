// READKEY: bytes from standard input, one read(2) of one byte at a time (no
// buffering that could swallow answers meant for a later program), decoded
// into keys. At the end of the input every key is Esc.
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/console.h"
#include "platform/key_codes.h"
#include "platform/key_decoder.h"

namespace dolv {
namespace {

// The key reader's state.
struct Keys {
    KeyDecoder decoder;        // the bytes read so far, as keys
    bool input_ended = false;  // standard input has ended: every key is Esc
};
Keys g_keys;

void end_of_input() {
    key_timeout(g_keys.decoder);
    g_keys.input_ended = true;
}

// Waits up to the Esc wait for a byte; false when none came.
bool byte_within_wait() {
    struct pollfd p = {STDIN_FILENO, POLLIN, 0};
    for (;;) {
        int r = poll(&p, 1, kEscWaitMs);
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) return true;  // let the read report it
        check_cancel();
    }
}

}  // namespace

unsigned char READKEY() {
    FLUSH();
    check_cancel();
    unsigned char key;
    for (;;) {
        if (key_take(g_keys.decoder, key)) return key;
        if (g_keys.input_ended) return kKeyEsc;
        if (key_incomplete(g_keys.decoder) && !byte_within_wait()) {
            key_timeout(g_keys.decoder);
            continue;
        }
        unsigned char byte;
        ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n == 1) {
            key_feed(g_keys.decoder, byte);
        } else if (n < 0 && errno == EINTR) {
            check_cancel();
        } else if (n < 0 && errno == EAGAIN) {
            struct pollfd p = {STDIN_FILENO, POLLIN, 0};
            poll(&p, 1, -1);
        } else {
            end_of_input();
        }
    }
}

}  // namespace dolv

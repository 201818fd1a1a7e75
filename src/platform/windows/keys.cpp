// Keys. From the console: key-down events, a character as its CP850 byte,
// a key without one as 0 and then its scan code. From a pipe or a file: the
// bytes are the keys, decoded like a terminal's; once the input has ended
// every key is Esc.
#include <windows.h>

#include "platform/console.h"
#include "platform/cp850.h"
#include "platform/key_codes.h"
#include "platform/key_decoder.h"
#include "platform/windows/win_console.h"

namespace dolv {

namespace {

// The key reader's state.
struct Keys {
    // Console side.
    int pending_scan = -1;      // the scan code that follows a 0 key, -1 when none
    KEY_EVENT_RECORD repeat{};  // a key event held down: its repeats are keys
    int repeat_left = 0;        // ... this many still to hand out

    // Pipe side.
    KeyDecoder decoder;     // the bytes read so far, as keys
    bool ended = false;     // the input has ended: every key is Esc
    char buffer[4096];      // the bytes of the last read
    DWORD buffer_size = 0;  // ... how many it brought
    DWORD buffer_next = 0;  // ... and the next one to decode
};
Keys g_keys;

bool is_modifier(WORD vk) {
    switch (vk) {
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_LSHIFT:
        case VK_RSHIFT:
        case VK_LCONTROL:
        case VK_RCONTROL:
        case VK_LMENU:
        case VK_RMENU:
        case VK_CAPITAL:
        case VK_NUMLOCK:
        case VK_SCROLL:
        case VK_LWIN:
        case VK_RWIN:
            return true;
        default:
            return false;
    }
}

// The key code of one key event; false for events that are no key of ours.
bool Translate(const KEY_EVENT_RECORD& k, unsigned char& key) {
    wchar_t ch = k.uChar.UnicodeChar;
    // A character composed with Alt and the keypad arrives as Alt goes up.
    if (!k.bKeyDown && !(k.wVirtualKeyCode == VK_MENU && ch != 0)) return false;
    if (ch != 0) return cp850_from_unicode(static_cast<char32_t>(ch), key);
    // Esc is a character (27) even where the console gives it none.
    if (k.wVirtualKeyCode == VK_ESCAPE) {
        key = kKeyEsc;
        return true;
    }
    if (is_modifier(k.wVirtualKeyCode)) return false;
    int scan = k.wVirtualScanCode;
    if (k.wVirtualKeyCode == VK_F11) scan = kScanF11;
    if (k.wVirtualKeyCode == VK_F12) scan = kScanF12;
    if (scan <= 0 || scan > 255) return false;
    g_keys.pending_scan = scan;
    key = 0;
    return true;
}

// One key from the console; false when nothing usable came (or a cancel).
bool console_key(unsigned char& key) {
    if (g_keys.pending_scan >= 0) {
        key = static_cast<unsigned char>(g_keys.pending_scan);
        g_keys.pending_scan = -1;
        return true;
    }
    if (g_keys.repeat_left > 0) {
        --g_keys.repeat_left;
        return Translate(g_keys.repeat, key);
    }
    HANDLE handles[2] = {WIN_INPUT(), WIN_CANCEL_EVENT()};
    DWORD count = handles[1] ? 2 : 1;
    DWORD woke = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0 + 1) return false;
    INPUT_RECORD record;
    DWORD read = 0;
    if (woke != WAIT_OBJECT_0 || !ReadConsoleInputW(WIN_INPUT(), &record, 1, &read) || read == 0) {
        // The console is gone: nobody can answer any more.
        key = kKeyEsc;
        return true;
    }
    if (record.EventType != KEY_EVENT) return false;
    const KEY_EVENT_RECORD& k = record.Event.KeyEvent;
    if (k.bKeyDown && k.wRepeatCount > 1) {
        g_keys.repeat = k;
        g_keys.repeat_left = k.wRepeatCount - 1;
    }
    return Translate(k, key);
}

// Waits at most ms for a byte of the pipe to be readable; true when one
// is, or when the wait cannot be measured (a file, a device).
bool readable_within(DWORD ms) {
    HANDLE in = WIN_INPUT();
    if (GetFileType(in) != FILE_TYPE_PIPE) return true;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(in, nullptr, 0, nullptr, &available, nullptr)) return true;
        if (available > 0) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(1);
    }
}

enum class Byte { kGot, kEnded, kInterrupted };

Byte read_byte(unsigned char& byte) {
    if (g_keys.buffer_next >= g_keys.buffer_size) {
        g_keys.buffer_next = g_keys.buffer_size = 0;
        HANDLE in = WIN_INPUT();
        if (in == nullptr || in == INVALID_HANDLE_VALUE) return Byte::kEnded;
        DWORD got = 0;
        WIN_PIPE_READ(true);
        bool ok =
            !cancel_pending() && ReadFile(in, g_keys.buffer, sizeof g_keys.buffer, &got, nullptr);
        DWORD error = ok ? 0 : GetLastError();
        WIN_PIPE_READ(false);
        if (!ok) {
            return cancel_pending() || error == ERROR_OPERATION_ABORTED ? Byte::kInterrupted
                                                                        : Byte::kEnded;
        }
        if (got == 0) return Byte::kEnded;
        g_keys.buffer_size = got;
    }
    byte = static_cast<unsigned char>(g_keys.buffer[g_keys.buffer_next++]);
    return Byte::kGot;
}

// One key from a pipe or file; false when a byte was taken but no key is
// complete yet (or a cancel broke the read off).
bool pipe_key(unsigned char& key) {
    if (key_take(g_keys.decoder, key)) return true;
    if (g_keys.ended) {
        key = kKeyEsc;
        return true;
    }
    if (key_incomplete(g_keys.decoder) && g_keys.buffer_next >= g_keys.buffer_size &&
        !readable_within(kEscWaitMs)) {
        key_timeout(g_keys.decoder);
        return false;
    }
    unsigned char byte = 0;
    switch (read_byte(byte)) {
        case Byte::kGot:
            key_feed(g_keys.decoder, byte);
            break;
        case Byte::kEnded:
            key_timeout(g_keys.decoder);
            g_keys.ended = true;
            break;
        case Byte::kInterrupted:
            break;
    }
    return false;
}

}  // namespace

unsigned char READKEY() {
    FLUSH();
    for (;;) {
        check_cancel();
        unsigned char key = 0;
        if (WIN_INPUT_IS_CONSOLE() ? console_key(key) : pipe_key(key)) return key;
    }
}

}  // namespace dolv

// The codes READKEY hands out: the byte of a key with a character, and the
// PC scan code that follows the 0 of a key without one.
#pragma once

namespace dolv {

// Keys with a character of their own.
constexpr unsigned char kKeyBackspace = 8;
constexpr unsigned char kKeyEnter = 13;
constexpr unsigned char kKeyEsc = 27;

// Scan codes of the keys without a character.
constexpr unsigned char kScanF1 = 59;  // F2 to F10 follow it
constexpr unsigned char kScanHome = 71;
constexpr unsigned char kScanUp = 72;
constexpr unsigned char kScanPgUp = 73;
constexpr unsigned char kScanLeft = 75;
constexpr unsigned char kScanRight = 77;
constexpr unsigned char kScanEnd = 79;
constexpr unsigned char kScanDown = 80;
constexpr unsigned char kScanPgDn = 81;
constexpr unsigned char kScanIns = 82;
constexpr unsigned char kScanDel = 83;
constexpr unsigned char kScanF11 = 133;
constexpr unsigned char kScanF12 = 134;

}  // namespace dolv

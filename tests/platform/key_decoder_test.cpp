#include "platform/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dolv {
namespace {

// Feeds the bytes, then (when idle_after) lets the Esc wait run out; returns every key.
std::vector<int> decode(const std::string& bytes, bool idle_after = true) {
    KeyDecoder d;
    std::vector<int> keys;
    unsigned char k;
    for (char c : bytes) {
        key_feed(d, static_cast<unsigned char>(c));
        while (key_take(d, k)) keys.push_back(k);
    }
    if (idle_after) key_timeout(d);
    while (key_take(d, k)) keys.push_back(k);
    return keys;
}

using Keys = std::vector<int>;

TEST(KeyDecoder, EveryTerminalSequenceGivesItsScanCode) {
    struct Case {
        const char* bytes;
        int scan;
    };
    const Case cases[] = {
        {"\x1b[A", 72},    {"\x1bOA", 72},   {"\x1b[B", 80},   {"\x1bOB", 80},   {"\x1b[C", 77},
        {"\x1bOC", 77},    {"\x1b[D", 75},   {"\x1bOD", 75},   {"\x1b[H", 71},   {"\x1bOH", 71},
        {"\x1b[1~", 71},   {"\x1b[7~", 71},  {"\x1b[F", 79},   {"\x1bOF", 79},   {"\x1b[4~", 79},
        {"\x1b[8~", 79},   {"\x1b[2~", 82},  {"\x1b[3~", 83},  {"\x1b[5~", 73},  {"\x1b[6~", 81},
        {"\x1bOP", 59},    {"\x1bOQ", 60},   {"\x1bOR", 61},   {"\x1bOS", 62},   {"\x1b[11~", 59},
        {"\x1b[12~", 60},  {"\x1b[13~", 61}, {"\x1b[14~", 62}, {"\x1b[15~", 63}, {"\x1b[17~", 64},
        {"\x1b[18~", 65},  {"\x1b[19~", 66}, {"\x1b[20~", 67}, {"\x1b[21~", 68}, {"\x1b[23~", 133},
        {"\x1b[24~", 134},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode(c.bytes, false), (Keys{0, c.scan})) << c.bytes + 1;
        // Back to back with a letter on each side: no byte lost or invented.
        EXPECT_EQ(decode(std::string("a") + c.bytes + "b"), (Keys{'a', 0, c.scan, 'b'}))
            << c.bytes + 1;
    }
}

TEST(KeyDecoder, UnknownSequencesAreDroppedWhole) {
    EXPECT_EQ(decode("\x1b[1;5Ax"), (Keys{'x'}));  // Ctrl-Up
    EXPECT_EQ(decode("\x1b[99~x"), (Keys{'x'}));
    EXPECT_EQ(decode("\x1b[200~y"), (Keys{'y'}));  // bracketed paste start
    EXPECT_EQ(decode("\x1b[[Az"), (Keys{'z'}));    // Linux console F1
    EXPECT_EQ(decode("\x1bOZq"), (Keys{'q'}));
    EXPECT_EQ(decode("\x1bO2Pq"), (Keys{'q'}));  // Shift-F1 of some terminals
    EXPECT_EQ(decode("\x1b[" + std::string(100, '1') + "~k"), (Keys{'k'}));
    // A sequence broken by a control byte: the sequence goes, the byte stays.
    EXPECT_EQ(decode("\x1b[1\rq"), (Keys{13, 'q'}));
}

TEST(KeyDecoder, LoneEscIsEscOnlyAfterTheWait) {
    KeyDecoder d;
    unsigned char k;
    key_feed(d, 27);
    EXPECT_FALSE(key_take(d, k));
    EXPECT_TRUE(key_incomplete(d));
    key_timeout(d);
    ASSERT_TRUE(key_take(d, k));
    EXPECT_EQ(k, 27);
    EXPECT_FALSE(key_incomplete(d));
    // Two Esc keys in a row, and an Esc followed by an ordinary letter.
    EXPECT_EQ(decode("\x1b\x1b"), (Keys{27, 27}));
    EXPECT_EQ(decode("\x1bS"), (Keys{27, 'S'}));
    EXPECT_EQ(decode("\x1b\x1b[A"), (Keys{27, 0, 72}));
    // An incomplete sequence when the wait runs out is dropped.
    EXPECT_EQ(decode("\x1b[1"), (Keys{}));
    EXPECT_EQ(decode("\x1bO"), (Keys{}));
}

TEST(KeyDecoder, EnterBackspaceAndControlBytes) {
    EXPECT_EQ(decode("\r"), (Keys{13}));
    EXPECT_EQ(decode("\n"), (Keys{13}));
    EXPECT_EQ(decode("s\r\nn\r\n"), (Keys{'s', 13, 'n', 13}));  // Windows-style answer file
    EXPECT_EQ(decode("\n\n"), (Keys{13, 13}));
    EXPECT_EQ(decode("\r\r"), (Keys{13, 13}));
    EXPECT_EQ(decode("\r\n\n"), (Keys{13, 13}));
    EXPECT_EQ(decode("\x7f\x08\t"), (Keys{8, 8, 9}));
    EXPECT_EQ(decode(std::string("a\0b", 3)), (Keys{'a', 'b'}));  // a 0 would start an extended key
}

TEST(KeyDecoder, TypedCharactersBecomeCp850) {
    EXPECT_EQ(decode("\xC3\xA8\xC3\xB2"), (Keys{0x8A, 0x95}));  // è ò
    EXPECT_EQ(decode("\xC2\xA3"), (Keys{0x9C}));                // £
    EXPECT_EQ(decode("a\xE2\x82\xAC"
                     "b"),
              (Keys{'a', 'b'}));                                  // euro: not in CP850
    EXPECT_EQ(decode("\xE2\x86\x90"), (Keys{}));                  // the glyph of ESC is no Esc
    EXPECT_EQ(decode("\xF0\x9F\x98\x80x"), (Keys{'x'}));          // emoji
    EXPECT_EQ(decode("\xC3x\xFFy\x80z"), (Keys{'x', 'y', 'z'}));  // broken UTF-8
}

}  // namespace
}  // namespace dolv

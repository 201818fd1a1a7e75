#include "base/byte_kinds.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace dolv {
namespace {

// The four-at-a-time OR against a plain byte-by-byte one, for every length
// up to a little past a name and every position of a marked byte.
TEST(ByteKinds, AgreesWithOneByteAtATime) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        ByteKinds kinds;
        for (int marked = 0; marked < 3; ++marked) kinds.of[rng() % 256] |= 1u << (rng() % 8);
        for (size_t length = 0; length <= 20; ++length) {
            std::string text(length, ' ');
            for (char& c : text) c = static_cast<char>(rng() % 256);
            uint8_t plain = 0;
            for (char c : text) plain |= kinds.of[static_cast<unsigned char>(c)];
            ASSERT_EQ(kinds_in(text, kinds), plain) << "round " << round << " length " << length;
        }
    }
    // Each position alone, so that no byte of a group of four is left out.
    ByteKinds x;
    x.of[static_cast<unsigned char>('x')] = 4;
    for (size_t length = 1; length <= 13; ++length)
        for (size_t at = 0; at < length; ++at) {
            std::string text(length, 'a');
            text[at] = 'x';
            EXPECT_EQ(kinds_in(text, x), 4) << length << " " << at;
        }
    EXPECT_EQ(kinds_in("", x), 0);
}

}  // namespace
}  // namespace dolv

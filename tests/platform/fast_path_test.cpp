// The word-at-a-time paths of the POSIX platform against plain byte-by-byte
// versions of the same rules, on random inputs from fixed seeds.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "names/sort_key.h"
#include "names/wildcard.h"
#include "platform/cp850.h"
#include "platform/posix/native.h"

namespace dolv {
namespace {

// native_path one byte at a time: the drive dropped, `\` as `/`, bytes below
// 0x7F as they are, the others through CP850 (0x7F being U+2302), and a bare
// drive as ".".
std::string plain_native_path(std::string_view path) {
    const bool drive = path.size() >= 2 && path[1] == ':';
    if (drive) path.remove_prefix(2);
    std::string out;
    for (char c : path) {
        if (c == '\\')
            out += '/';
        else if (static_cast<unsigned char>(c) < 0x7F)
            out += c;
        else
            out += cp850_name_to_utf8(std::string_view(&c, 1));
    }
    if (out.empty() && drive) out = ".";
    return out;
}

// Random paths: runs of plain ASCII (the fast case) with, at a rate drawn
// per path, separators, DEL and bytes of the upper half; sometimes a drive.
std::string random_path(std::mt19937& rng, size_t max_len) {
    std::uniform_int_distribution<int> percent(0, 99);
    const int odd_rate = std::array<int, 4>{0, 2, 15, 60}[rng() % 4];
    const size_t length = rng() % (max_len + 1);
    std::string path;
    if (percent(rng) < 30) path = std::string(1, static_cast<char>('A' + rng() % 26)) + ":";
    while (path.size() < length) {
        const int roll = percent(rng);
        if (roll < odd_rate)
            path += static_cast<char>(0x7F + rng() % 0x81);  // 0x7F..0xFF
        else if (roll < odd_rate + 10)
            path += '\\';
        else
            path += static_cast<char>(1 + rng() % 0x7E);  // 0x01..0x7E, '/' and '\' among them
    }
    return path;
}

TEST(FastPath, NativePathAgreesWithTheByteByByteConversion) {
    EXPECT_EQ(native_path(std::string_view("C:")), ".");
    EXPECT_EQ(native_path(std::string_view("a\x7F\\b")), "a\xE2\x8C\x82/b");
    std::mt19937 rng(20240611);
    char buffer[kNativePathSize];
    for (int i = 0; i < 12000; ++i) {
        const std::string path = random_path(rng, i % 8 == 0 ? 300 : 257);
        const std::string expected = plain_native_path(path);
        ASSERT_EQ(native_path(std::string_view(path)), expected) << "case " << i;
        // The buffer form cuts the path after its drive to 255 bytes.
        std::string_view cut(path);
        const size_t drive = cut.size() >= 2 && cut[1] == ':' ? 2 : 0;
        if (cut.size() > drive + 255) cut = cut.substr(0, drive + 255);
        native_path_into(path, buffer);
        ASSERT_EQ(std::string(buffer), plain_native_path(cut)) << "case " << i;
    }
}

// sort_key one byte at a time: the first 8 bytes, ASCII letters raised,
// missing bytes as 0, the first byte the most significant.
uint64_t plain_sort_key(std::string_view name) {
    uint64_t key = 0;
    for (size_t i = 0; i < 8; ++i) {
        unsigned char c = i < name.size() ? static_cast<unsigned char>(name[i]) : 0;
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        key = key << 8 | c;
    }
    return key;
}

std::string ascii_upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

int sign(int64_t v) {
    return (v > 0) - (v < 0);
}

TEST(FastPath, SortKeyOrdersAsNameCompareOnTheFirstEightBytes) {
    // Letters and the bytes around them ('@', '[', '`', '{'), high bytes, and
    // short names, so that padding, folding and the upper half all meet.
    const std::string alphabet = "aAzZbB@[`{_0\x7F\x80\x82\x90\xE1\xFF";
    std::mt19937 rng(7);
    for (int i = 0; i < 100000; ++i) {
        std::string names[2];
        for (std::string& name : names) {
            const size_t length = 1 + rng() % 11;
            while (name.size() < length) name += alphabet[rng() % alphabet.size()];
        }
        if (i % 3 == 0) names[1] = names[0].substr(0, rng() % (names[0].size() + 1)) + names[1];
        uint64_t keys[2];
        for (int k = 0; k < 2; ++k) {
            std::string padded = names[k] + std::string(8, '\x55');  // bytes past the name
            keys[k] = sort_key(padded.data(), names[k].size());
            ASSERT_EQ(keys[k], plain_sort_key(names[k])) << names[k];
        }
        const int by_keys = keys[0] < keys[1] ? -1 : keys[0] > keys[1];
        const std::string_view a = std::string_view(names[0]).substr(0, 8);
        const std::string_view b = std::string_view(names[1]).substr(0, 8);
        // Keys that differ order the names as name_compare does; equal keys
        // are names whose first 8 bytes differ at most in letter case.
        if (by_keys != 0)
            ASSERT_EQ(by_keys, sign(name_compare(a, b))) << names[0] << " " << names[1];
        else
            ASSERT_EQ(name_compare(ascii_upper(a), ascii_upper(b)), 0)
                << names[0] << " " << names[1];
    }
}

}  // namespace
}  // namespace dolv

// Random texts for the tests that hold a quick path against its plain twin.
#pragma once

#include <random>
#include <string>
#include <string_view>

namespace dolv {

// A text of 0 to `most` bytes, each drawn from `alphabet`.
inline std::string RandomText(std::mt19937& rng, std::string_view alphabet, size_t most) {
    std::string t(rng() % (most + 1), ' ');
    for (char& c : t) c = alphabet[rng() % alphabet.size()];
    return t;
}

}  // namespace dolv

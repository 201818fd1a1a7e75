#include <cstdint>

#include "report/err.h"

namespace dolv {

ShortText FREVERSE(const ShortText& text) {
    ShortText reversed = text;
    const int n = text.size();
    for (int i = 1; i <= n; ++i) reversed.set(i, static_cast<char>(text.at(n - i + 1)));
    return reversed;
}

ShortText DIM_PUNTO(int64_t value) {
    const bool negative = value < 0;
    // The magnitude as unsigned, so that the most negative value has one too.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    ShortText reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) reversed += '.';
        reversed += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    ShortText result = FREVERSE(reversed);
    return negative ? "-" + result : result;
}

}  // namespace dolv

// Test failure messages show a ShortText as its text in quotes.
#pragma once

#include <ostream>

#include "base/short_text.h"

namespace dolv {

inline void PrintTo(const ShortText& t, std::ostream* os) {
    *os << '"' << t.view() << '"';
}

}  // namespace dolv

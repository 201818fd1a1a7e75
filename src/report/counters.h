// The run's counters, printed in the closing lines.
#pragma once

#include <cstdint>

namespace dolv {

struct RunCounters {
    int32_t TOT = 0;                  // entries examined
    int32_t APPLY = 0;                // items renamed
    int32_t NEGATI = 0;               // items given up after a refusal
    int32_t SALTATI = 0;              // items skipped as unchanged
    int32_t simulati = 0;             // items a preview (/S) would rename
    int32_t domande = 0;              // items where a preview met a question
    int32_t non_rappresentabili = 0;  // entries passed over: names the program cannot address
};

extern RunCounters counters;

}  // namespace dolv

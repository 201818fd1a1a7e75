#include "report/counters.h"

namespace dolv {

RunCounters counters;

}  // namespace dolv

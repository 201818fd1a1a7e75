// Taking back the latest run that renamed anything (/U).
#pragma once

namespace dolv {

void ANNULLA_ULTIMA();

}  // namespace dolv

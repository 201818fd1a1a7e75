#include "rename/undo.h"

namespace dolv {

// Nothing to take back yet: no run keeps a journal.
void ANNULLA_ULTIMA() {}

}  // namespace dolv

#include "run/settings.h"

namespace dolv {

Settings settings;

}  // namespace dolv

#include "report/settings.h"

namespace dolv {

Settings settings;

}  // namespace dolv

// The platform variant's name for the help screen.
#include "platform/os_name.h"

namespace dolv {

const char* PLATFORM_NAME() {
    return "LNX";
}

}  // namespace dolv

#include "platform/os_name.h"

namespace dolv {

const char* PLATFORM_NAME() {
    return "WIN";
}

}  // namespace dolv

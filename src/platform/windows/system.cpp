#include "platform/system.h"

namespace dolv {

const char* platform_name() {
    return "WIN";
}

// A Windows command takes `/?`; `--help` and `--version` are names there.
const SystemConventions& system_conventions() {
    static const SystemConventions conventions;
    return conventions;
}

}  // namespace dolv

#include "platform/system.h"

namespace dolv {

const char* platform_name() {
    return "LNX";
}

const SystemConventions& system_conventions() {
    static const SystemConventions conventions{
        .help_words = true, .slash_paths = true, .dot_files = true};
    return conventions;
}

}  // namespace dolv

// The name of the platform variant, at most 3 characters, shown on the help screen.
#pragma once

namespace dolv {

const char* PLATFORM_NAME();

}  // namespace dolv

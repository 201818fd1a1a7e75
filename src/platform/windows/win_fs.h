// What the Windows file-system units share.
#pragma once

namespace dolv {

// The system's last error as a status: never 0, so that it always fails.
int last_error_status();

}  // namespace dolv

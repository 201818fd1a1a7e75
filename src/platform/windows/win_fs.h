// Status words shared by the Windows file-system units.
#pragma once

namespace dolv {

// The IORESULT status of the last rename or report-file operation.
void SET_IORESULT(int code);
// The system's last error as a status: never 0, so that it always fails.
int LAST_ERROR_STATUS();

}  // namespace dolv

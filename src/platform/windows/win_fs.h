// Status words shared by the Windows file-system units.
#pragma once

namespace dolv {

// The DOSERROR status of the last search step or attribute query.
void SET_DOSERROR(int code);
// The IORESULT status of the last rename or report-file operation.
void SET_IORESULT(int code);
// The system's last error as a status: never 0, so that it always fails.
int LAST_ERROR_STATUS();

}  // namespace dolv

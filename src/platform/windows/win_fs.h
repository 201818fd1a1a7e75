// Status words shared by the Windows file-system units.
#pragma once

namespace dolv {

// The DOSERROR status of the last search step or attribute query.
void SET_DOSERROR(int code);
// The IORESULT status of the last rename or report-file operation.
void SET_IORESULT(int code);

}  // namespace dolv

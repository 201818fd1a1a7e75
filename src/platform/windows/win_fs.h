// What the Windows file-system units share.
#pragma once

#include <string>

namespace dolv {

// GetFullPathNameW of a wide path; empty on failure.
std::wstring full_path(const std::wstring& path);

// The system's last error as a status: never 0, so that it always fails.
int last_error_status();

}  // namespace dolv

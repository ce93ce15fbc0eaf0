// Failure lines from Win32 error codes, in the form io_error_line gives for
// errno values. Windows builds only.
#pragma once

#include <string>

namespace kessra {

// "<file>: <what> failed: <reason>" with the reason the system gives for
// `error_code` (a GetLastError value).
std::string win32_error_line(const std::string& file, const char* what, unsigned long error_code);

// The system's text for a GetLastError value, without the closing period
// and line end; "error N" when the system has none.
std::string win32_error_text(unsigned long error_code);

} // namespace kessra

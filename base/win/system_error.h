// The system's text for an error code.
#pragma once
#include <windows.h>

#include <string>

namespace base {

// FormatMessageA's text for code, trimmed; empty when the system has
// none.
std::string SystemErrorText(DWORD code);

}  // namespace base

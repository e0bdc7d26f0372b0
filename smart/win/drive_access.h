// The disk driver as the Windows API offers it.
#pragma once
#include <cstdint>
#include <string>

#include "smart/smartapi.h"

// The system's message for an error code, trailing blanks and full stops
// removed; empty when the system has none.
std::string SystemErrorText(std::uint32_t code);

// CreateFileA, DeviceIoControl and CloseHandle, nothing more.
DriveAccess& Win32DriveAccess();

// Win32 side of the launcher: the shell request and the list's collation.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "launcher/launcher.h"

namespace launcher {

// A zeroed request with the given fields; the texts point into r, so r must
// outlive info.
void FillShellExecuteInfo(const ShellPlatform::Request& r, SHELLEXECUTEINFOA& info);

// Case-insensitive comparison in the user locale's collation: <0, 0, >0.
int CompareNamesInUserLocale(const std::string& a, const std::string& b);

}  // namespace launcher

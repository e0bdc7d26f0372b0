#include "base/win/system_library.h"

#include <string>

#include "base/text.h"
#include "base/win/late_bound.h"

namespace base {

void RestrictLibrarySearch() {
  // kernel32 is always loaded, and always from the system folder: this
  // runs first of all, from the stack guard's initializer.
  constexpr DWORD kSearchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32: 8, updated 7 and Vista
  auto dirs = LateBound<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
  if (dirs && dirs(kSearchSystem32)) return;
  // XP SP1 and later: "" takes the current folder out of the search.
  if (auto dir = LateBound<BOOL(WINAPI*)(LPCSTR)>("kernel32.dll", "SetDllDirectoryA")) dir("");
}

HMODULE LoadSystemLibrary(const char* name) {
  char folder[MAX_PATH];
  const UINT n = GetSystemDirectoryA(folder, sizeof folder);
  if (n == 0 || n >= sizeof folder) return nullptr;
  const std::string path = JoinPath(std::string(folder, n), name);
  // A full path with the altered search: the library's own imports are
  // looked for in its folder first, not beside the program.
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace base

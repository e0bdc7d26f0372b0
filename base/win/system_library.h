// Libraries we load ourselves, taken from the system folder only. A bare
// name would be looked for beside the program and in the current folder
// first, where anyone can leave a file of that name.
#pragma once
#include <windows.h>

namespace base {

// Start-up, before anything is loaded: from here on, libraries that the
// system loads for us (and their own imports) come from the system folder
// only where Windows can be told so, else at least not from the current
// folder. Both functions are younger than the oldest Windows we start on.
void RestrictLibrarySearch();

// "<system folder>\name" loaded with its imports looked for there first;
// null when missing. The caller frees it.
HMODULE LoadSystemLibrary(const char* name);

// One load of a system library, freed with the object.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name) : h_(LoadSystemLibrary(name)) {}
  // Keeps the caller's last error: it may still have to read a call's.
  ~SystemLibrary() {
    const DWORD error = GetLastError();
    if (h_) FreeLibrary(h_);
    SetLastError(error);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  explicit operator bool() const { return h_ != nullptr; }

  // The function `name`, nullptr when the library or the function is missing.
  template <class Fn>
  Fn Find(const char* name) const {
    return h_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h_, name))) : nullptr;
  }

 private:
  HMODULE h_;
};

}  // namespace base

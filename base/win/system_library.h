// Libraries we load ourselves, taken from the system folder only. A bare
// name would be looked for beside the program and in the current folder
// first, where anyone can leave a file of that name.
//
// The same holds for a library the system loads for us when it resolves a
// forwarded function (advapi32's SystemFunction036 goes to cryptbase on 7
// and later, icmp.dll's functions to iphlpapi on Vista and 7): it is loaded
// by bare name, and where the search cannot be limited to the system folder
// the program's own folder comes first. So before resolving a function that
// a system library may forward, load the forwarder's target by full path;
// the forwarder then binds to the module already loaded.
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

// One load of a system library, freed with the object; forwardsTo, where
// given, is the library its functions may forward to, loaded first and
// held as long.
class SystemLibrary {
 public:
  explicit SystemLibrary(const char* name, const char* forwardsTo = nullptr)
      : target_(forwardsTo ? LoadSystemLibrary(forwardsTo) : nullptr), h_(LoadSystemLibrary(name)) {}
  // Keeps the caller's last error: it may still have to read a call's.
  ~SystemLibrary() {
    const DWORD error = GetLastError();
    if (h_) FreeLibrary(h_);
    if (target_) FreeLibrary(target_);
    SetLastError(error);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;
  explicit operator bool() const { return h_ != nullptr; }
  // For base::LateBound; null when the library is missing.
  HMODULE get() const { return h_; }

 private:
  HMODULE target_;
  HMODULE h_;
};

}  // namespace base

// Functions looked up by name at run time: those the oldest supported
// Windows lack, and those of libraries loaded when needed. Every unit looks
// them up here; each caller has its own way on without them.
#pragma once
#include <windows.h>

namespace base {

// The function `name` of a loaded module; nullptr when the module is null
// or lacks the function.
template <class Fn>
Fn LateBound(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The same in a library the program imports (so it is loaded and no
// reference needs holding).
template <class Fn>
Fn LateBound(const char* module, const char* name) {
  return LateBound<Fn>(GetModuleHandleA(module), name);
}

}  // namespace base

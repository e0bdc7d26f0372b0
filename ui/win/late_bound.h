// Functions that the oldest supported Windows lack, looked up by name when
// needed so that the program still starts there; each caller has its own
// way on without them.
#pragma once
#include <windows.h>

namespace ui {

// The function `name` of `module`, a library the program already imports
// (so it is loaded and no reference needs holding); nullptr when missing.
template <class Fn>
Fn LateBound(const char* module, const char* name) {
  HMODULE m = GetModuleHandleA(module);
  return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

}  // namespace ui

// The compiler's stack protector, without the runtime library that would
// otherwise supply it: that library seeds its guard through CryptoAPI
// imports, which Windows 95 lacks. The guard is set from the system's
// random source where there is one, else from values that differ per run.
#include <windows.h>

#include <cstdint>

#include "base/win/late_bound.h"
#include "base/win/system_library.h"

extern "C" {

std::uintptr_t __stack_chk_guard = 0x2A4B5C6D;  // replaced before any of our code runs

// A corrupted frame: end at once, without unwinding or running handlers
// through the damaged stack.
__attribute__((noreturn)) void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), 0xC0000409);  // STATUS_STACK_BUFFER_OVERRUN
  for (;;) {
  }
}

}  // extern "C"

namespace {

std::uintptr_t RunVariableSeed() {
  LARGE_INTEGER counter = {};
  QueryPerformanceCounter(&counter);
  std::uintptr_t seed = static_cast<std::uintptr_t>(counter.QuadPart);
  seed ^= static_cast<std::uintptr_t>(GetTickCount()) << 7;
  seed ^= static_cast<std::uintptr_t>(GetCurrentProcessId()) << 16;
  seed ^= static_cast<std::uintptr_t>(GetCurrentThreadId()) << 3;
  seed ^= reinterpret_cast<std::uintptr_t>(&counter);  // where the stack is, this run
  return seed;
}

// Runs from the start-up code's initializer table, before main or WinMain
// and before any static constructor, so no frame of ours is live. It is the
// first of our code to run, so the library search is limited here.
__attribute__((no_stack_protector)) void SeedStackGuard() {
  base::RestrictLibrarySearch();
  std::uintptr_t guard = 0;
  {
    // RtlGenRandom, exported by name as SystemFunction036 (XP and later);
    // 7 and later forward it to cryptbase.
    const base::SystemLibrary advapi("advapi32.dll", "cryptbase.dll");
    auto gen = base::LateBound<BOOLEAN(WINAPI*)(void*, ULONG)>(advapi.get(), "SystemFunction036");
    if (!gen || !gen(&guard, sizeof guard)) guard = RunVariableSeed();
  }
  // A zero byte first: a string copy that runs over the guard stops there.
  __stack_chk_guard = guard & ~static_cast<std::uintptr_t>(0xFF);
  if (!__stack_chk_guard) __stack_chk_guard = 0x2A4B5C00;
}

__attribute__((used, section(".CRT$XCB"))) void (*const seedStackGuard)() = SeedStackGuard;

}  // namespace

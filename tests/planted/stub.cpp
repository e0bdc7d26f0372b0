// A file of a system name planted beside the program: it only records, in
// "<its own path>.planted", that it was loaded or started.
#include <windows.h>

static void Record(HMODULE self) {
  char path[MAX_PATH + 8] = {};
  const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  lstrcatA(path, ".planted");
  CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

#ifdef PLANTED_PROGRAM
int main() { Record(nullptr); }
#else
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Record(self);
  return TRUE;
}
#endif

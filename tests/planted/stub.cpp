// A file of a system name planted beside the program: it only records, in
// "<its own path>.planted", that it was loaded or started.
#include <windows.h>

#include <string>

static void Record(HMODULE self) {
  std::string path(MAX_PATH, '\0');
  path.resize(GetModuleFileNameA(self, &path[0], MAX_PATH));
  CloseHandle(CreateFileA((path + ".planted").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

#ifdef PLANTED_PROGRAM
int main() { Record(nullptr); }
#else
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Record(self);
  return TRUE;
}
#endif

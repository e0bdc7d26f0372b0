// Windows Sockets 1.1 from the system folder's wsock32.dll, bound at run
// time, so that the program imports no library Windows would look for
// beside it.
#pragma once
#include <winsock2.h>

#include "base/win/system_library.h"

namespace base {

// One load of wsock32.dll and the functions the program calls; each is null
// when the library or the function is missing.
struct Wsock32 {
  Wsock32();
  SystemLibrary lib;
  int(WINAPI* startup)(WORD, LPWSADATA);
  int(WINAPI* cleanup)();
  unsigned long(WINAPI* inetAddr)(const char*);
  char*(WINAPI* inetNtoa)(in_addr);
  hostent*(WINAPI* getHostByName)(const char*);
  hostent*(WINAPI* getHostByAddr)(const char*, int, int);
};

// WSAStartup with a load of the library held until the matching
// WinsockCleanup; start-ups nest, process-wide, as Windows Sockets counts
// them. WSASYSNOTREADY when the library cannot be loaded.
int WinsockStartup(WORD version);
// WSACleanup of the latest start-up, then its load is released.
void WinsockCleanup();

}  // namespace base

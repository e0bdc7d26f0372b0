#include "base/win/system_error.h"

#include "base/text.h"

namespace base {

std::string SystemErrorText(DWORD code) {
  char* buf = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
  const std::string text = n && buf ? std::string(buf, n) : std::string();
  if (buf) LocalFree(buf);
  return Trim(text);
}

}  // namespace base

#include "smart/win/drive_access.h"

#include <windows.h>

std::string SystemErrorText(std::uint32_t code) {
  char buf[256] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                               FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           nullptr, code, 0, buf, sizeof buf, nullptr);
  if (n == 0) return std::string();
  return CleanSystemErrorText(std::string(buf, n < sizeof buf ? n : sizeof buf));
}

namespace {

class Win32Drives final : public DriveAccess {
 public:
  std::uint32_t PlatformId() override {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(&v)) return 0;
    return v.dwPlatformId;
  }

  Handle Open(const std::string& path, std::uint32_t access, std::uint32_t share,
              std::uint32_t disposition) override {
    HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return kInvalidHandle;
    return reinterpret_cast<Handle>(h);
  }

  bool Control(Handle h, std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen,
               std::uint8_t* out, std::uint32_t outLen) override {
    DWORD returned = 0;
    return DeviceIoControl(reinterpret_cast<HANDLE>(h), code, const_cast<std::uint8_t*>(in), inLen,
                           out, outLen, &returned, nullptr) != FALSE;
  }

  void Close(Handle h) override { CloseHandle(reinterpret_cast<HANDLE>(h)); }

  std::uint32_t LastError() override { return GetLastError(); }

  std::string ErrorText(std::uint32_t code) override { return SystemErrorText(code); }
};

}  // namespace

DriveAccess& Win32DriveAccess() {
  static Win32Drives drives;
  return drives;
}

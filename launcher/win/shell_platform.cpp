#include "launcher/win/shell.h"

#include <cstddef>
#include <cstring>

#include "ui/win/app.h"

namespace launcher {

// The shell request the launcher fills, pinned on both builds.
constexpr bool kWide = sizeof(void*) == 8;
static_assert(sizeof(SHELLEXECUTEINFOA) == (kWide ? 112 : 60), "");
static_assert(offsetof(SHELLEXECUTEINFOA, fMask) == 4 && offsetof(SHELLEXECUTEINFOA, hwnd) == 8, "");
static_assert(offsetof(SHELLEXECUTEINFOA, lpVerb) == (kWide ? 16 : 12) &&
                  offsetof(SHELLEXECUTEINFOA, lpFile) == (kWide ? 24 : 16) &&
                  offsetof(SHELLEXECUTEINFOA, lpParameters) == (kWide ? 32 : 20) &&
                  offsetof(SHELLEXECUTEINFOA, nShow) == (kWide ? 48 : 28) &&
                  offsetof(SHELLEXECUTEINFOA, hInstApp) == (kWide ? 56 : 32),
              "");

void FillShellExecuteInfo(const ShellPlatform::Request& r, SHELLEXECUTEINFOA& info) {
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  info.fMask = r.mask;
  info.hwnd = static_cast<HWND>(r.owner);
  // c_str() of an empty text is "", never null: the shell gets empty texts.
  info.lpVerb = r.verb.c_str();
  info.lpFile = r.file.c_str();
  info.lpParameters = r.parameters.c_str();
  info.nShow = r.show;
}

int CompareNamesInUserLocale(const std::string& a, const std::string& b) {
  const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                               b.data(), static_cast<int>(b.size()));
  if (r == 0) return a.compare(b);  // no collation available: keep a stable byte order
  return r - CSTR_EQUAL;
}

namespace {

class Win32Shell final : public ShellPlatform {
 public:
  unsigned ExpandStrings(const char* source, char* buffer, unsigned size) override {
    return ExpandEnvironmentStringsA(source, buffer, size);
  }

  std::uintptr_t StartShell(const Request& r) override {
    SHELLEXECUTEINFOA info;
    FillShellExecuteInfo(r, info);
    ShellExecuteExA(&info);  // the instance code tells success from failure
    return reinterpret_cast<std::uintptr_t>(info.hInstApp);
  }

  void ShowBox(const std::string& text, const std::string& caption, unsigned flags) override {
    // Owned by the hidden application window, not by the form: the box
    // stays with the program and the form stays usable.
    MessageBoxA(ui::ApplicationWindow(), text.c_str(), caption.c_str(), flags);
  }

  void RunPendingMessages() override { ui::ProcessMessages(); }

  unsigned RunCommand(const std::string& commandLine, int show) override {
    return WinExec(commandLine.c_str(), static_cast<UINT>(show));
  }

  ProgramFolders Folders() override {
    ProgramFolders f;
    f.system = Text([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
    f.windows = Text([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
    f.path = Text([](char* b, UINT n) { return GetEnvironmentVariableA("PATH", b, n); });
    return f;
  }

  bool FileExists(const std::string& path) override {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }

 private:
  // A text that a call writes into a buffer, returning its length, or the
  // size it needs when the buffer is too small; empty on failure.
  template <class Call>
  static std::string Text(Call call) {
    std::string buf(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
      const UINT n = call(&buf[0], static_cast<UINT>(buf.size()));
      if (n < buf.size()) return buf.substr(0, n);
      buf.assign(n, '\0');  // it may grow again before the next call
    }
    return std::string();
  }
};

}  // namespace

}  // namespace launcher

ShellPlatform& Win32ShellPlatform() {
  static launcher::Win32Shell shell;
  return shell;
}

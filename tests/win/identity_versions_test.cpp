// The edition text under other Windows versions. Each version runs in a
// child copy of this test program, so nothing else sharing the prefix sees
// a different Windows: Wine's per-program version setting where it reports
// the version faithfully, and a prefix of its own for Server 2008 R2, whose
// per-program setting reports a workstation.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "probes/win/hardinfo_win.h"
#include "tests/win/harness.h"

using namespace hardinfo;

namespace {

const char* const kReportVariable = "VESK_IDENTITY_REPORT";
const char* const kChildFilter = "--gtest_filter=IdentityChild.DISABLED_Report --gtest_also_run_disabled_tests";

std::string OwnPath() {
  char buf[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, buf, sizeof buf);
  return buf;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Removes the files it was given, and the per-program settings key.
class Cleanup {
 public:
  ~Cleanup() {
    for (const std::string& f : files_) DeleteFileA(f.c_str());
    if (!appKey_.empty()) RegDeleteTreeA(HKEY_CURRENT_USER, appKey_.c_str());
  }
  void File(const std::string& f) { files_.push_back(f); }
  void AppKey(const std::string& k) { appKey_ = k; }

 private:
  std::vector<std::string> files_;
  std::string appKey_;
};

struct Report {
  std::string name;
  int number = 0;
};

Report Parse(const std::string& text) {
  Report r;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 3, "OS=") == 0) r.name = line.substr(3);
    if (line.compare(0, 4, "VER=") == 0) r.number = std::atoi(line.c_str() + 4);
  }
  return r;
}

std::string Bits() { return sizeof(void*) == 8 ? "64" : "32"; }

// Runs a copy of this program with Wine's per-program version setting.
Report RunWithAppVersion(const std::string& version) {
  Cleanup cleanup;
  TempDir dir;
  const std::string exeName = base::Format("vesk_identity_%s_%s_%lu.exe", version.c_str(), Bits().c_str(),
                                         GetCurrentProcessId());
  const std::string exe = dir.Path() + "\\" + exeName;
  const std::string report = dir.Path() + "\\report.txt";
  cleanup.File(exe);
  cleanup.File(report);
  if (!CopyFileA(OwnPath().c_str(), exe.c_str(), FALSE)) return {};

  const std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return {};
  cleanup.AppKey(key);
  RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                 static_cast<DWORD>(version.size() + 1));
  RegCloseKey(k);

  SetEnvironmentVariableA(kReportVariable, report.c_str());
  std::string cmd = "\"" + exe + "\" " + kChildFilter;
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  const BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                      nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kReportVariable, nullptr);
  if (!started) return {};
  WaitForSingleObject(pi.hProcess, 120000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return Parse(ReadFile(report));
}

// Z:\a\b -> /a/b; empty when the path is not on Wine's Unix drive.
std::string UnixPath(const std::string& p) {
  if (p.size() < 3 || (p[0] != 'Z' && p[0] != 'z') || p[1] != ':') return "";
  std::string u = p.substr(2);
  for (char& c : u)
    if (c == '\\') c = '/';
  return u;
}

// Runs a copy of this program in a Wine prefix of its own, switched once
// to the version as a whole. The prefix sits beside the test prefix and is
// made on first use.
Report RunInOwnPrefix(const std::string& version, std::string& why) {
  const std::string prefix = std::getenv("WINEPREFIX") ? std::getenv("WINEPREFIX") : "";
  const std::string own = OwnPath();
  const std::string dir = own.substr(0, own.rfind('\\'));
  const std::string unixDir = UnixPath(dir);
  if (prefix.empty() || unixDir.empty()) {
    why = "not running under Wine with the program on the Unix drive";
    return {};
  }
  Cleanup cleanup;
  const std::string tag = base::Format("%s_%s_%lu", version.c_str(), Bits().c_str(), GetCurrentProcessId());
  const std::string exe = dir + "\\vesk_identity_" + tag + ".exe";
  const std::string report = dir + "\\vesk_identity_" + tag + ".txt";
  const std::string done = dir + "\\vesk_identity_" + tag + ".done";
  const std::string script = dir + "\\vesk_identity_" + tag + ".sh";
  for (const std::string& f : {exe, report, done, script}) cleanup.File(f);
  if (!CopyFileA(own.c_str(), exe.c_str(), FALSE)) return {};

  const std::string alt = prefix + "-" + version;
  const std::string loader = Bits() == "64" ? "/usr/lib/wine/wine64" : "/usr/lib/wine/wine";
  std::ostringstream sh;
  // Made again when its 32-bit half, checked once, does not start.
  sh << "alt='" << alt << "'\nw32() { WINEPREFIX=\"$alt\" /usr/lib/wine/wine \"$@\" >/dev/null 2>&1; }\n"
     << "(\n  flock 9\n  if [ ! -f \"$alt/.vesk-version\" ] || { [ ! -f \"$alt/.vesk-i386\" ] && w32 --version &&"
     << " ! w32 cmd /c exit; }; then\n    WINEPREFIX=\"$alt\" wineserver -k; rm -rf \"$alt\"\n"
     << "    WINEPREFIX=\"$alt\" /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1\n"
     << "    WINEPREFIX=\"$alt\" /usr/lib/wine/wine64 winecfg -v " << version << " >/dev/null 2>&1\n"
     << "    WINEPREFIX=\"$alt\" wineserver -w\n"
     << "    echo " << version << " > \"$alt/.vesk-version\"\n  fi\n"
     << "  [ -f \"$alt/.vesk-i386\" ] || ! w32 cmd /c exit || touch \"$alt/.vesk-i386\"\n"
     << ") 9>\"$alt.lock\"\n"
     << "WINEPREFIX=\"$alt\" " << kReportVariable << "='" << report << "' " << loader << " '"
     << UnixPath(exe) << "' " << kChildFilter << " >/dev/null 2>&1\n"
     << "touch '" << UnixPath(done) << "'\n";
  {
    std::ofstream out(script, std::ios::binary);
    out << sh.str();
  }
  // Wine starts a Unix program directly; its handle cannot be waited on,
  // so the script leaves a mark when it is done.
  std::string cmd = "/bin/sh " + UnixPath(script);
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    why = "the Unix shell could not be started";
    return {};
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int waited = 0; !Exists(done) && waited < 300000; waited += 200) Sleep(200);
  return Parse(ReadFile(report));
}

}  // namespace

// Not run by itself: the child's side of the tests below.
TEST(IdentityChild, DISABLED_Report) {
  const char* path = std::getenv(kReportVariable);
  ASSERT_NE(nullptr, path);
  Win32HardInfo p;
  std::ofstream out(path, std::ios::binary);
  out << "OS=" << GetOSName(p) << "\nVER=" << GetOSVersionNumber(p) << "\n";
}

TEST(IdentityVersions, PerProgramVersions) {
  struct Case {
    const char* version;
    const char* name;
    int number;
  };
  const Case cases[] = {
      {"winxp64", "WindowsXP Professional x64 Edition [Service Pack 2]", 5023790},
      {"winxp", "WindowsXP Professional [Service Pack 3]", 5012600},
      {"win2003", "WindowsServer 2003 Standard x64 Edition [Service Pack 2]", 5023790},
      {"vista", "Windows Vista (x64) [Service Pack 2]", 6006002},
      {"win2008", "WindowsServer 2008 Standard Edition(x64) [Service Pack 2]", 6006002},
      // Told the true version because the manifest names 8.1 and 10.
      {"win81", "WindowsNT6.3 WorkStation", 6039600},
      {"win10", "WindowsNT10.0 WorkStation", 10018362},
  };
  for (const Case& c : cases) {
    const Report r = RunWithAppVersion(c.version);
    EXPECT_EQ(c.name, r.name) << c.version;
    EXPECT_EQ(c.number, r.number) << c.version;
  }
}

TEST(IdentityVersions, Server2008R2InAPrefixOfItsOwn) {
  std::string why;
  const Report r = RunInOwnPrefix("win2008r2", why);
  if (!why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ("WindowsServer 2008 R2 Standard Edition(x64) [Service Pack 1]", r.name);
  EXPECT_EQ(6017601, r.number);
}

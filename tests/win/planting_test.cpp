// Files of system names left beside the program and in its current folder
// are never loaded or started. The shipped program runs among them, used as
// a person would use it, from this process through window messages.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/win/cups.h"
#include "tests/win/harness.h"

namespace {

// Built into planted/ beside this program; each records a load or a start.
const char* const kPlanted[] = {"wsock32.dll",  "netapi32.dll", "icmp.dll",      "iphlpapi.dll",
                                "riched20.dll", "winspool.drv", "cryptbase.dll", "taskmgr.exe"};

// The first window of a class under root, with that caption when one is given.
HWND Find(HWND root, const char* cls, const char* text = nullptr) {
  HWND h = FindWindowExA(root, nullptr, cls, text);
  for (HWND c = nullptr; !h && (c = FindWindowExA(root, c, nullptr, nullptr));) h = Find(c, cls, text);
  return h;
}

// Returns once the program has handled the click.
bool Click(HWND form, const char* caption) {
  DWORD_PTR r;
  return SendMessageTimeoutA(Find(form, "Button", caption), BM_CLICK, 0, 0, SMTO_NORMAL, 120000, &r);
}

// The image of a Task Manager that parent started, which is then ended.
std::string EndTaskManager(DWORD parent) {
  PROCESSENTRY32 e = {};
  e.dwSize = sizeof e;
  char path[MAX_PATH] = {};
  DWORD n = MAX_PATH;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  for (BOOL ok = Process32First(snap, &e); ok && !path[0]; ok = Process32Next(snap, &e))
    if (e.th32ParentProcessID == parent && !lstrcmpiA(e.szExeFile, "taskmgr.exe")) {
      HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, e.th32ProcessID);
      QueryFullProcessImageNameA(p, 0, path, &n);
      TerminateProcess(p, 0);
      CloseHandle(p);
    }
  CloseHandle(snap);
  return path;
}

// Every tab that loads a library or starts a program, used as a person would.
void Drive(DWORD pid) {
  HWND form = nullptr;
  for (int waited = 0; !(form && IsWindowVisible(form)) && waited < 60000; waited += 100, Sleep(100))
    form = FindWindowA("TForm1", nullptr);
  ASSERT_TRUE(form && IsWindowVisible(form)) << "the program did not start";
  // A sweep of 127.0.0.0/24, never of the octets filled in from this machine.
  const HWND panel = GetParent(Find(form, "Button", "IP検索"));
  std::vector<HWND> octets;
  for (HWND e = nullptr; (e = FindWindowExA(panel, e, "Edit", nullptr));) octets.push_back(e);
  std::sort(octets.begin(), octets.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    return GetWindowRect(a, &ra) && GetWindowRect(b, &rb) && ra.left < rb.left;
  });
  ASSERT_EQ(4u, octets.size());
  for (int i = 0; i < 3; ++i) SendMessageA(octets[i], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(i ? "0" : "127"));
  EXPECT_TRUE(Click(form, "IP検索"));
  // Printed through the list's one menu item.
  const HWND list = Find(form, "RichEdit20A");
  PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  HWND menu = nullptr;
  for (int waited = 0; !menu && waited < 10000; waited += 50, Sleep(50)) menu = FindWindowA("#32768", nullptr);
  PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  for (int waited = 0; IsWindowVisible(menu) && waited < 10000; waited += 50) Sleep(50);
  EXPECT_TRUE(Click(form, "Get Info"));
  EXPECT_TRUE(Click(form, "Info"));
  // The system's own Task Manager (the 32-bit one for a 32-bit program).
  EXPECT_TRUE(Click(form, "タスクマネージャの起動"));
  std::string started;
  for (int waited = 0; started.empty() && waited < 15000; waited += 100, Sleep(100)) started = EndTaskManager(pid);
  char sys[MAX_PATH] = {}, wow[MAX_PATH] = {};
  GetSystemDirectoryA(sys, MAX_PATH);
  GetSystemWow64DirectoryA(wow, MAX_PATH);
  EXPECT_TRUE(!lstrcmpiA(started.c_str(), (std::string(sys) + "\\taskmgr.exe").c_str()) ||
              !lstrcmpiA(started.c_str(), (std::string(wow) + "\\taskmgr.exe").c_str())) << started;
  PostMessageA(form, WM_CLOSE, 0, 0);
}

// The child's part: the shipped program copied among the planted files and
// started there, with the private queue as its default printer.
void UseTheProgramAmongPlantedFiles() {
  const std::string program = EnvVar("VESK_PROGRAM"), readme = program.substr(0, program.size() - 3) + "txt";
  char self[MAX_PATH] = {};
  std::string stubs(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  stubs.replace(stubs.rfind('\\'), std::string::npos, "\\planted\\");
  TempDir home, cwd;
  const std::string exe = home.Path() + "\\VeskInfo.exe";
  ASSERT_TRUE(CopyFileA(program.c_str(), exe.c_str(), FALSE)) << "VESK_PROGRAM: " << program;
  // Without its read-me in the current folder it would stop at a box.
  ASSERT_TRUE(CopyFileA(readme.c_str(), (cwd.Path() + "\\VeskInfo.txt").c_str(), FALSE));
  for (const char* name : kPlanted)
    for (const TempDir* d : {&home, &cwd})
      ASSERT_TRUE(CopyFileA((stubs + name).c_str(), (d->Path() + "\\" + name).c_str(), FALSE)) << name;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, cwd.Path().c_str(), &si, &pi));
  Drive(pi.dwProcessId);
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // Once more, its start-up's calls logged to this run's output, which the
  // parent reads (the registry is this run's own copy).
  const char relayed[] = "KERNEL32.SetDefaultDllDirectories;KERNEL32.SetDllDirectoryA;KERNEL32.GetProcAddress";
  RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\Debug", "RelayInclude", REG_SZ, relayed, sizeof relayed);
  SetEnvironmentVariableA("WINEDEBUG", "+relay");
  ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, cwd.Path().c_str(), &si, &pi));
  if (WaitForInputIdle(pi.hProcess, 60000) == 0) PostMessageA(FindWindowA("TForm1", nullptr), WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (const char* name : kPlanted)
    for (const TempDir* d : {&home, &cwd})
      EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((d->Path() + "\\" + name + ".planted").c_str()))
          << name << " was loaded or started from " << d->Path();
}

TEST(PlantingBesideTheProgram, NothingPlantedIsLoadedOrStarted) {
  if (IsCupsChild()) return UseTheProgramAmongPlantedFiles();
  // The child and the program it starts take these from beside the program
  // before Wine's own, as Windows does.
  SetEnvironmentVariableA("WINEDLLOVERRIDES", (EnvVar("WINEDLLOVERRIDES") +
                                               ";wsock32,netapi32,icmp,iphlpapi,riched20,winspool.drv,cryptbase=n,b").c_str());
  Workspace ws;
  const Workspace::PdfRun run = ws.PrintToPdf("PlantingBesideTheProgram.*", 30);
  if (!run.skip.empty()) GTEST_SKIP() << run.skip;
  ASSERT_TRUE(run.failure.empty()) << run.failure;
  EXPECT_NE(std::string::npos, ReadAll(ws.Dir() + "/pdfinfo.txt").find("Find IP List"));
  // The search is limited before the random source is looked up, which on
  // Windows may load cryptbase by name.
  const std::string log = ws.Log("child");
  const size_t lookup = log.find("\"SystemFunction036\")");
  ASSERT_NE(std::string::npos, lookup) << log;
  EXPECT_LT(std::min(log.find("SetDefaultDllDirectories("), log.find("SetDllDirectoryA(")), lookup);
  ws.Shell("unlink", "rm -f '" + run.pdf + "'", 10000);
}

}  // namespace

// Files of system names left beside the program and in its current folder
// are never loaded or started. The shipped program runs among them, used as
// a person would use it, from this process through window messages.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/win/cups.h"
#include "tests/win/harness.h"

namespace {

// Built into planted/ beside this program; each records a load or a start.
const char* const kPlanted[] = {"wsock32.dll", "netapi32.dll", "icmp.dll",    "iphlpapi.dll",
                                "riched20.dll", "winspool.drv", "taskmgr.exe"};

struct Search {
  const char *cls, *text;
  std::vector<HWND> found;
};

BOOL CALLBACK Match(HWND h, LPARAM l) {
  auto* s = reinterpret_cast<Search*>(l);
  char cls[64] = {}, text[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  GetWindowTextA(h, text, sizeof text);
  if (!lstrcmpiA(cls, s->cls) && (!s->text || !lstrcmpA(text, s->text))) s->found.push_back(h);
  return TRUE;
}

// The windows of a class under root (with that caption, when given).
std::vector<HWND> Find(HWND root, const char* cls, const char* text = nullptr) {
  Search s{cls, text, {}};
  EnumChildWindows(root, Match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Returns once the program has handled the click.
bool Click(HWND form, const char* caption) {
  const std::vector<HWND> b = Find(form, "Button", caption);
  DWORD_PTR r;
  return b.size() == 1 && SendMessageTimeoutA(b[0], BM_CLICK, 0, 0, SMTO_NORMAL, 120000, &r);
}

BOOL CALLBACK MatchForm(HWND h, LPARAM l) {
  auto* s = reinterpret_cast<std::pair<DWORD, HWND>*>(l);
  DWORD owner = 0;
  char cls[16] = {};
  GetWindowThreadProcessId(h, &owner);
  GetClassNameA(h, cls, sizeof cls);
  if (owner == s->first && IsWindowVisible(h) && !lstrcmpA(cls, "TForm1")) s->second = h;
  return TRUE;
}

HWND ShownForm(DWORD pid) {
  std::pair<DWORD, HWND> s(pid, nullptr);
  for (int waited = 0; !s.second && waited < 60000; waited += 100, Sleep(100))
    EnumWindows(MatchForm, reinterpret_cast<LPARAM>(&s));
  return s.second;
}

// Ends the Task Managers that parent started; their image paths.
std::vector<std::string> EndTaskManagers(DWORD parent) {
  std::vector<std::string> images;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e = {};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e)) {
    if (e.th32ParentProcessID != parent || lstrcmpiA(e.szExeFile, "taskmgr.exe")) continue;
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, e.th32ProcessID);
    char path[MAX_PATH] = {};
    DWORD n = MAX_PATH;
    if (p && QueryFullProcessImageNameA(p, 0, path, &n)) images.emplace_back(path, n);
    if (p && TerminateProcess(p, 0)) CloseHandle(p);
  }
  CloseHandle(snap);
  return images;
}

std::string Records(const std::string& dir) {
  std::string names;
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((dir + "\\*.planted").c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) return names;
  do names += std::string(fd.cFileName) + " ";
  while (FindNextFileA(f, &fd));
  FindClose(f);
  return names;
}

// Uses every tab that loads a library or starts a program, as a person would.
void Drive(DWORD pid) {
  const HWND form = ShownForm(pid);
  ASSERT_NE(nullptr, form) << "the program did not start";
  // The sweep of 127.0.0.0/24, never of the octets filled in from this machine.
  std::vector<HWND> octets = Find(GetParent(Find(form, "Button", "IP検索").at(0)), "Edit");
  ASSERT_EQ(4u, octets.size());
  std::sort(octets.begin(), octets.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    return GetWindowRect(a, &ra) && GetWindowRect(b, &rb) && ra.left < rb.left;
  });
  for (int i = 0; i < 3; ++i) SendMessageA(octets[i], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(i ? "0" : "127"));
  EXPECT_TRUE(Click(form, "IP検索"));
  const HWND list = Find(form, "RichEdit20A").at(0);
  char text[64] = {};
  SendMessageA(list, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_NE(std::string::npos, std::string(text).find("127.0.0.1:")) << text;
  // Printed through the list's one menu item.
  PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  HWND menu = nullptr;
  for (int waited = 0; !menu && waited < 10000; waited += 50, Sleep(50)) menu = FindWindowA("#32768", nullptr);
  ASSERT_NE(nullptr, menu);
  PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  DWORD_PTR r;
  SendMessageTimeoutA(list, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &r);

  EXPECT_TRUE(Click(form, "Get Info"));
  LRESULT rows = 0;
  for (HWND v : Find(form, WC_LISTVIEWA)) rows += SendMessageA(v, LVM_GETITEMCOUNT, 0, 0);
  EXPECT_GT(rows, 0);
  EXPECT_TRUE(Click(form, "Info"));

  // The system's own Task Manager, not the one beside the program.
  EXPECT_TRUE(Click(form, "タスクマネージャの起動"));
  std::vector<std::string> started;
  for (int waited = 0; started.empty() && waited < 15000; waited += 100, Sleep(100))
    started = EndTaskManagers(pid);
  char sys[MAX_PATH] = {}, wow[MAX_PATH] = {};  // the second as a 32-bit program sees the first
  GetSystemDirectoryA(sys, MAX_PATH);
  GetSystemWow64DirectoryA(wow, MAX_PATH);
  ASSERT_EQ(1u, started.size());
  EXPECT_TRUE(!lstrcmpiA(started[0].c_str(), (std::string(sys) + "\\taskmgr.exe").c_str()) ||
              !lstrcmpiA(started[0].c_str(), (std::string(wow) + "\\taskmgr.exe").c_str()))
      << started[0];
  PostMessageA(form, WM_CLOSE, 0, 0);
}

// The child's part: the shipped program copied among the planted files and
// started there, with the private queue as its default printer.
void UseTheProgramAmongPlantedFiles() {
  const std::string program = EnvVar("VESK_PROGRAM");
  ASSERT_FALSE(program.empty()) << "VESK_PROGRAM does not name the program";
  char self[MAX_PATH] = {};
  std::string stubs(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  stubs = stubs.substr(0, stubs.rfind('\\')) + "\\planted\\";
  TempDir home, cwd;
  const std::string exe = home.Path() + "\\VeskInfo.exe";
  ASSERT_TRUE(CopyFileA(program.c_str(), exe.c_str(), FALSE));
  // The read-me it opens from the current folder, else it stops at a box.
  const std::string readme = program.substr(0, program.size() - 3) + "txt";
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
  EXPECT_EQ("", Records(home.Path())) << "loaded or started beside the program";
  EXPECT_EQ("", Records(cwd.Path())) << "loaded or started from the current folder";
}

TEST(PlantingBesideTheProgram, NothingPlantedIsLoadedOrStarted) {
  if (IsCupsChild()) {
    UseTheProgramAmongPlantedFiles();
    return;
  }
  // The child and the program it starts take these from beside the program
  // before Wine's own, as Windows does.
  const std::string overrides = EnvVar("WINEDLLOVERRIDES") + ";wsock32,netapi32,icmp,iphlpapi,riched20,winspool.drv=n,b";
  SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides.c_str());
  Workspace ws;
  const Workspace::PdfRun run = ws.PrintToPdf("PlantingBesideTheProgram.*", 30);
  if (!run.skip.empty()) GTEST_SKIP() << run.skip;
  ASSERT_TRUE(run.failure.empty()) << run.failure;
  EXPECT_NE(std::string::npos, ReadAll(ws.Dir() + "/pdfinfo.txt").find("Find IP List"));
  ws.Shell("unlink", "rm -f '" + run.pdf + "'", 10000);
}

}  // namespace

// The DIALOG list, its launcher and the power buttons, in the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>

#include "launcher/catalogue.h"
#include "launcher/launcher.h"
#include "launcher/win/shell.h"
#include "tests/win/harness.h"

namespace {

// Records every start and command line; only the expansion is real.
class RecordingShell : public ShellPlatform {
 public:
  std::uintptr_t instance = 42;
  std::vector<Request> starts;
  std::vector<std::pair<std::string, int>> commands;
  int boxes = 0;

  unsigned ExpandStrings(const char* source, char* buffer, unsigned size) override {
    return Win32ShellPlatform().ExpandStrings(source, buffer, size);
  }
  std::uintptr_t StartShell(const Request& r) override {
    starts.push_back(r);
    return instance;
  }
  void ShowBox(const std::string&, const std::string&, unsigned) override { ++boxes; }
  void RunPendingMessages() override {}
  unsigned RunCommand(const std::string& line, int show) override {
    commands.emplace_back(line, show);
    return 33;
  }
  ProgramFolders Folders() override { return Win32ShellPlatform().Folders(); }
  bool FileExists(const std::string& path) override { return Win32ShellPlatform().FileExists(path); }
};

std::string SystemFolder() {
  char buf[MAX_PATH] = {0};
  GetEnvironmentVariableA("SystemRoot", buf, sizeof buf);
  return std::string(buf) + "\\System32\\";
}

int IndexOf(const ui::TListBox& list, const std::string& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.Item(i) == name) return i;
  return -1;
}

// A user's double-click on the item, delivered to the list box itself.
void DoubleClickItem(ui::TListBox& list, int index) {
  HWND lb = list.Handle();
  SendMessageA(lb, LB_SETTOPINDEX, index, 0);
  RECT r = {};
  SendMessageA(lb, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(lb, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(lb, WM_LBUTTONUP, 0, at);
  SendMessageA(lb, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(lb, WM_LBUTTONUP, 0, at);
}

std::unique_ptr<TForm1> ShownForm(int page) {
  auto form = MakeForm();
  ShowWithoutFormShow(*form);
  form->PageControl1.SetActivePageIndex(page);
  Pump(100);
  EXPECT_TRUE(IsWindowVisible(form->PageControl1.Page(page)->Handle()));
  return form;
}

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE h) : h_(h) {}
  ~ScopedHandle() {
    if (h_) CloseHandle(h_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

std::string ImageName(DWORD pid) {
  ScopedHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!p.get()) return std::string();
  char buf[MAX_PATH] = {0};
  DWORD n = sizeof buf;
  if (!QueryFullProcessImageNameA(p.get(), 0, buf, &n)) return std::string();
  std::string s(buf, n);
  const size_t slash = s.find_last_of("\\/");
  s = s.substr(slash == std::string::npos ? 0 : slash + 1);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct WindowScan {
  DWORD self;
  std::vector<std::pair<HWND, DWORD>> found;
};

BOOL CALLBACK CollectForeign(HWND h, LPARAM l) {
  auto* s = reinterpret_cast<WindowScan*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != s->self && IsWindowVisible(h)) s->found.emplace_back(h, pid);
  return TRUE;
}

// Processes of the given image with a visible top-level window.
std::set<DWORD> ProcessesWithWindow(const std::string& image) {
  WindowScan s{GetCurrentProcessId(), {}};
  EnumWindows(CollectForeign, reinterpret_cast<LPARAM>(&s));
  std::set<DWORD> pids;
  for (const auto& w : s.found)
    if (ImageName(w.second) == image) pids.insert(w.second);
  return pids;
}

// Waits for a process of image that was not running before to show a window.
DWORD WaitForNewWindow(const std::string& image, const std::set<DWORD>& before, int ms) {
  for (DWORD start = GetTickCount(); static_cast<int>(GetTickCount() - start) < ms;) {
    for (DWORD pid : ProcessesWithWindow(image))
      if (!before.count(pid)) return pid;
    Pump(100);
  }
  return 0;
}

BOOL CALLBACK CloseWindowsOf(HWND h, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(h, &owner);
  if (owner == static_cast<DWORD>(pid)) PostMessageA(h, WM_CLOSE, 0, 0);
  return TRUE;
}

// Asks the process to close its windows; ends it if it does not.
bool CloseProcess(DWORD pid) {
  ScopedHandle p(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
  if (!p.get()) return false;
  EnumWindows(CloseWindowsOf, static_cast<LPARAM>(pid));
  if (WaitForSingleObject(p.get(), 5000) == WAIT_OBJECT_0) return true;
  TerminateProcess(p.get(), 1);
  WaitForSingleObject(p.get(), 5000);
  return false;
}

class EnvVar {
 public:
  EnvVar(const char* name, const std::string& value) : name_(name) {
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~EnvVar() { SetEnvironmentVariableA(name_, nullptr); }

 private:
  const char* name_;
};

}  // namespace

TEST(LauncherShellRequest, ZeroedWithEmptyTextsNeverNull) {
  ShellPlatform::Request r;
  r.owner = reinterpret_cast<void*>(static_cast<UINT_PTR>(0x1234));
  r.mask = launcher::kShellMask;
  r.file = "f.exe";
  r.show = launcher::kShowNormal;
  SHELLEXECUTEINFOA info;
  std::memset(&info, 0xCC, sizeof info);
  launcher::FillShellExecuteInfo(r, info);

  EXPECT_EQ(sizeof(SHELLEXECUTEINFOA), info.cbSize);
#ifndef _WIN64
  EXPECT_EQ(60u, info.cbSize);
#endif
  EXPECT_EQ(0x500u, info.fMask);
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234)), info.hwnd);
  ASSERT_NE(nullptr, info.lpVerb);
  ASSERT_NE(nullptr, info.lpParameters);
  EXPECT_STREQ("", info.lpVerb);
  EXPECT_STREQ("", info.lpParameters);
  EXPECT_STREQ("f.exe", info.lpFile);
  EXPECT_EQ(SW_SHOW, info.nShow);
  // Everything else, padding included, stays zero (no directory, no process handle).
  SHELLEXECUTEINFOA rest, zero;
  std::memcpy(&rest, &info, sizeof rest);
  std::memset(&zero, 0, sizeof zero);
  rest.cbSize = 0;
  rest.fMask = 0;
  rest.hwnd = nullptr;
  rest.lpVerb = rest.lpFile = rest.lpParameters = nullptr;
  rest.nShow = 0;
  EXPECT_EQ(0, std::memcmp(&rest, &zero, sizeof zero));
}

TEST(LauncherExpandWin32, SystemFolderUndefinedAndOverlong) {
  ShellPlatform& sh = Win32ShellPlatform();
  EXPECT_EQ(SystemFolder() + "winver.exe", launcher::ExpandEnvPath(sh, "%SystemRoot%\\System32\\winver.exe"));
  EXPECT_EQ("%VeskNoSuchVar%\\a.exe", launcher::ExpandEnvPath(sh, "%VeskNoSuchVar%\\a.exe"));

  EnvVar longVar("VeskLongPath", std::string(253, 'p'));
  EXPECT_EQ(std::string(253, 'p') + "\\a.exe", launcher::ExpandEnvPath(sh, "%VeskLongPath%\\a.exe"));
  EXPECT_FALSE(launcher::ExpandEnvPath(sh, "%VeskLongPath%\\ab.exe").has_value());

  // 200 double-byte characters: few enough characters, too many bytes.
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "\x82\xa0";  // あ
  EnvVar wideVar("VeskWidePath", wide);
  EXPECT_FALSE(launcher::ExpandEnvPath(sh, "%VeskWidePath%\\a.exe").has_value());
}

TEST(LauncherList, SortedByLocaleWithCommandsAttached) {
  auto form = MakeForm();
  ui::TListBox& list = form->ListBox1;
  ASSERT_EQ(163, list.Count());
  EXPECT_EQ("BitLockerドライブ暗号化", list.Item(0));
  EXPECT_EQ(0, list.ItemIndex());

  std::map<std::string, std::string> commandOf;
  for (const auto& row : launcher::kToolRows) commandOf[row.name] = launcher::ToolCommand(row);
  std::set<const std::string*> data;
  for (int i = 0; i < list.Count(); ++i) {
    const std::string name = list.Item(i);
    if (i > 0) {
      const std::string prev = list.Item(i - 1);
      EXPECT_EQ(CSTR_LESS_THAN, CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, prev.c_str(), -1,
                                               name.c_str(), -1))
          << i;
    }
    const std::string* cmd = form->ToolCommandOf(i);
    ASSERT_NE(nullptr, cmd) << i;
    ASSERT_TRUE(commandOf.count(name)) << name;
    EXPECT_EQ(commandOf[name], *cmd) << name;
    data.insert(cmd);
  }
  EXPECT_EQ(163u, data.size()) << "every item has its own command";
  // Upper and lower case Latin names interleave, as the locale orders them.
  EXPECT_LT(IndexOf(list, "Bluetooth"), IndexOf(list, "ClearType テキストチューナー"));
  EXPECT_LT(IndexOf(list, "ClearType テキストチューナー"), IndexOf(list, "iSCSIイニシエータのプロパティ"));
  EXPECT_LT(IndexOf(list, "iSCSIイニシエータのプロパティ"), IndexOf(list, "Java"));

  form->FormDestroy(form.get());
  EXPECT_EQ(0, list.Count());
  EXPECT_TRUE(form->ToolCommands.empty());
}

TEST(LauncherDoubleClick, SplitCommandReachesTheShell) {
  auto form = ShownForm(1);
  RecordingShell shell;
  form->Shell = &shell;

  const struct {
    const char* name;
    std::string file;
    const char* parameters;
  } cases[] = {
      {"地域と言語 - キーボードと言語", SystemFolder() + "control.exe",
       "/name Microsoft.RegionalAndLanguageOptions /page /p:\"keyboard"},
      {"Windows ヘルプとサポート", "Shell:::{2559a1f1-21d7-11d4-bdaf-00c04f60b9f0}", ""},
      {"ClearType テキストチューナー", SystemFolder() + "cttune.exe", ""},
      {"Windows ネットワーク診断", Win32ShellPlatform().Folders().system + "\\Rundll32.exe",
       "ndfapi,NdfRunDllDiagnoseIncident"},
  };
  for (const auto& c : cases) {
    const int i = IndexOf(form->ListBox1, c.name);
    ASSERT_GE(i, 0) << c.name;
    shell.starts.clear();
    DoubleClickItem(form->ListBox1, i);
    EXPECT_EQ(i, form->ListBox1.ItemIndex());
    ASSERT_EQ(1u, shell.starts.size()) << c.name;
    const auto& r = shell.starts[0];
    EXPECT_EQ(c.file, r.file) << c.name;
    EXPECT_EQ(c.parameters, r.parameters) << c.name;
    EXPECT_EQ("", r.verb);
    EXPECT_EQ(nullptr, r.owner);
    EXPECT_EQ(0x500u, r.mask);
    EXPECT_EQ(SW_SHOW, r.show);
  }
  EXPECT_EQ(0, shell.boxes);

  shell.starts.clear();
  form->ListBox1.SetItemIndex(-1);
  form->ListBox1DblClick(&form->ListBox1);
  // Item data set by another program is no index into the catalogue: ignored.
  form->ListBox1.SetItemIndex(0);
  for (LPARAM foreign : {LPARAM(163), LPARAM(-2), reinterpret_cast<LPARAM>(&shell)}) {
    SendMessageA(form->ListBox1.Handle(), LB_SETITEMDATA, 0, foreign);
    form->ListBox1DblClick(&form->ListBox1);
  }
  EXPECT_TRUE(shell.starts.empty());
  EXPECT_TRUE(shell.commands.empty());
}

TEST(LauncherRealStart, WinverOpensItsWindow) {
  auto form = ShownForm(1);
  const std::set<DWORD> before = ProcessesWithWindow("winver.exe");
  BoxWatcher watcher;
  DoubleClickItem(form->ListBox1, IndexOf(form->ListBox1, "Windows のバージョン情報"));
  const DWORD pid = WaitForNewWindow("winver.exe", before, 15000);
  EXPECT_NE(0u, pid) << "no winver window appeared";
  if (pid) EXPECT_TRUE(CloseProcess(pid));
  EXPECT_TRUE(watcher.Boxes().empty());
}

TEST(LauncherRealStart, MissingProgramShowsTheInformationBox) {
  auto form = ShownForm(1);
  BoxWatcher watcher;
  DoubleClickItem(form->ListBox1, IndexOf(form->ListBox1, "ClearType テキストチューナー"));
  Pump(200);
  const auto boxes = watcher.Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("情報", boxes[0].caption);
  EXPECT_EQ("表示できませんでした．", boxes[0].text);
  EXPECT_FALSE(boxes[0].hasIcon);
  EXPECT_EQ(std::vector<std::string>{"OK"}, boxes[0].buttons);
}

TEST(LauncherPower, ButtonsPassTheirExactLines) {
  auto form = ShownForm(0);
  RecordingShell shell;
  form->Shell = &shell;
  const std::string sys = "\"" + Win32ShellPlatform().Folders().system + "\\";
  const std::pair<ui::TStyledButton*, std::string> cases[] = {
      {&form->Button1, sys + "shutdown.exe\" -s -t 0 -f"},
      {&form->Button2, sys + "shutdown.exe\" -r -t 0 -f"},
      {&form->Button4, sys + "net.exe\" user administrator /active:yes"},
      {&form->Button6, sys + "control.exe\" userpasswords2"},
      {&form->Button3, sys + "taskmgr.exe\""},
  };
  for (const auto& c : cases) {
    shell.commands.clear();
    c.first->Click();
    ASSERT_EQ(1u, shell.commands.size()) << c.second;
    EXPECT_EQ(c.second, shell.commands[0].first);
    EXPECT_EQ(SW_SHOW, shell.commands[0].second);
  }
  EXPECT_TRUE(shell.starts.empty());
  EXPECT_EQ(0, shell.boxes);
}

TEST(LauncherPower, TaskManagerStartsForReal) {
  auto form = ShownForm(0);
  // Only this button may reach the real command runner.
  ASSERT_EQ(&Win32ShellPlatform(), form->Shell);
  const std::set<DWORD> before = ProcessesWithWindow("taskmgr.exe");
  form->Button3.Click();
  const DWORD pid = WaitForNewWindow("taskmgr.exe", before, 15000);
  EXPECT_NE(0u, pid) << "no task manager window appeared";
  if (pid) EXPECT_TRUE(CloseProcess(pid));
}

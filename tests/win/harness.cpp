#include "tests/win/harness.h"

#include <chrono>

std::unique_ptr<TForm1> MakeForm() { return std::make_unique<TForm1>(); }

void Pump(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  for (DWORD start = GetTickCount(); !done() && static_cast<int>(GetTickCount() - start) < ms;) Pump(10);
  return done();
}

void ShowWithoutFormShow(TForm1& form) {
  form.CenterOnDesktop();
  ShowWindow(form.Handle(), SW_SHOW);
  UpdateWindow(form.Handle());
}

namespace {

std::string TextOf(HWND h) {
  char buf[4096] = {0};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

struct Scan {
  DWORD pid;
  std::vector<HWND> boxes;
};

BOOL CALLBACK FindBoxes(HWND h, LPARAM l) {
  auto* s = reinterpret_cast<Scan*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char cls[64] = {0};
  GetClassNameA(h, cls, sizeof cls);
  if (pid == s->pid && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(h)) s->boxes.push_back(h);
  return TRUE;
}

BOOL CALLBACK ReadChild(HWND h, LPARAM l) {
  auto* r = reinterpret_cast<std::pair<BoxRecord*, HWND*>*>(l);
  char cls[64] = {0};
  GetClassNameA(h, cls, sizeof cls);
  LONG style = GetWindowLongA(h, GWL_STYLE);
  if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
      SendMessageA(h, STM_GETICON, 0, 0))
    r->first->hasIcon = true;
  if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(h)) {
    r->first->buttons.push_back(TextOf(h));
    if (!*r->second) *r->second = h;
  }
  return TRUE;
}

}  // namespace

BoxWatcher::BoxWatcher() : thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<BoxRecord> BoxWatcher::Boxes() {
  std::lock_guard<std::mutex> lock(mu_);
  return boxes_;
}

void BoxWatcher::Run() {
  std::vector<HWND> seen;
  while (!stop_) {
    Scan s{GetCurrentProcessId(), {}};
    EnumWindows(FindBoxes, reinterpret_cast<LPARAM>(&s));
    for (HWND box : s.boxes) {
      bool known = false;
      for (HWND k : seen) known |= (k == box);
      if (known) continue;
      Sleep(50);  // let the box finish building its children
      BoxRecord rec;
      rec.caption = TextOf(box);
      rec.owner = GetWindow(box, GW_OWNER);
      char text[8192] = {0};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      rec.text = text;
      HWND first = nullptr;
      std::pair<BoxRecord*, HWND*> ctx{&rec, &first};
      EnumChildWindows(box, ReadChild, reinterpret_cast<LPARAM>(&ctx));
      {
        std::lock_guard<std::mutex> lock(mu_);
        boxes_.push_back(rec);
      }
      seen.push_back(box);
      int id = first ? GetDlgCtrlID(first) : IDOK;
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(first));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TempDir::TempDir() {
  char base[MAX_PATH] = {0}, name[MAX_PATH] = {0};
  GetTempPathA(sizeof base, base);
  GetTempFileNameA(base, "vsk", 0, name);
  DeleteFileA(name);
  CreateDirectoryA(name, nullptr);
  path_ = name;
}

TempDir::~TempDir() {
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((path_ + "\\*").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path_ + "\\" + fd.cFileName).c_str());
    } while (FindNextFileA(f, &fd));
    FindClose(f);
  }
  RemoveDirectoryA(path_.c_str());
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::string p = path_ + "\\" + name;
  HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD put = 0;
  if (h != INVALID_HANDLE_VALUE) {
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
  }
  return p;
}

CurrentDir::CurrentDir(const std::string& dir) {
  char buf[MAX_PATH] = {0};
  GetCurrentDirectoryA(sizeof buf, buf);
  old_ = buf;
  SetCurrentDirectoryA(dir.c_str());
}

CurrentDir::~CurrentDir() { SetCurrentDirectoryA(old_.c_str()); }

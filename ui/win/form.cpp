#include "ui/win/form.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "base/win/late_bound.h"

namespace ui {

using base::LateBound;

// The first version of the tooltip record, up to lpszText: the common
// controls before version 6 (2000 and older, or without the manifest)
// refuse a larger size.
constexpr UINT kToolInfoV1 = offsetof(TTTOOLINFOA, lpszText) + sizeof(LPSTR);
static_assert(kToolInfoV1 == (sizeof(void*) == 8 ? 56 : 40), "");
static_assert(sizeof(MONITORINFO) == 40, "");

namespace {

bool AnyControlTakes(const TControl& parent, const MSG& msg) {
  for (TControl* c : parent.Children())
    if (c->OnFormKey(msg) || AnyControlTakes(*c, msg)) return true;
  return false;
}

void ApplyDpiTo(TControl& c) {
  c.ApplyDpi();
  for (TControl* k : c.Children()) ApplyDpiTo(*k);
}

// A client length of px at scale from, at scale to: the design length's
// exact scaling while it is the design length, else proportional.
int Rescaled(int px, int design, int from, int to) {
  return px == ScaleTo(design, from) ? ScaleTo(design, to) : MulDiv(px, to, from);
}

// Where the window is centred: the work area of the monitor nearest it (98
// and 2000 on), else the primary one's, else the primary screen.
RECT WorkArea(HWND h) {
  auto monitorOf = LateBound<HMONITOR(WINAPI*)(HWND, DWORD)>("user32.dll", "MonitorFromWindow");
  auto infoOf = LateBound<BOOL(WINAPI*)(HMONITOR, MONITORINFO*)>("user32.dll", "GetMonitorInfoA");
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  if (monitorOf && infoOf && infoOf(monitorOf(h, MONITOR_DEFAULTTONEAREST), &mi)) return mi.rcWork;
  RECT r = {};
  if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0) && r.right > r.left && r.bottom > r.top) return r;
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

TForm::TForm() { fonts_ = &fontCache_; }

TForm::~TForm() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (tooltip_) DestroyWindow(tooltip_);
}

void TForm::CreateForm(const char* className, const std::string& caption, int clientW, int clientH) {
  HICON icon = LoadIcon(Instance(), MAKEINTRESOURCE(1));
  RegisterOwnClass(className, 0, GetSysColorBrush(COLOR_BTNFACE), icon ? icon : LoadIcon(nullptr, IDI_APPLICATION));
  // The system's scale until the window can tell its monitor's.
  fontCache_ = FontCache(SystemDpi());
  // The design position; centring overrides it when shown.
  At(235, 148, clientW, clientH);
  CreateWin(nullptr, className, caption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
            WS_EX_APPWINDOW | WS_EX_CONTROLPARENT);
  const int dpi = WindowDpi(hwnd_);
  if (dpi != Dpi()) {
    fontCache_ = FontCache(dpi);
    ApplyFont();
  }
  FitClientArea(Scale(width_), Scale(height_));
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, Instance(), nullptr);
  if (!tooltip_) throw std::runtime_error("ツールチップを作成できません");
}

void TForm::FitClientArea(int w, int h) {
  // The frame as it is drawn, not as the system says it would be: Windows
  // 10 1607 without non-client scaling and Wine draw it at the system's
  // scale whatever the window's.
  RECT wr, cr;
  GetWindowRect(hwnd_, &wr);
  GetClientRect(hwnd_, &cr);
  SetWindowPos(hwnd_, nullptr, 0, 0, w + (wr.right - wr.left) - cr.right, h + (wr.bottom - wr.top) - cr.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Rescale(int dpi, const RECT& window) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // The controls keep the old fonts until each has its new one.
  FontCache old(dpi);
  std::swap(old, fontCache_);
  SetWindowPos(hwnd_, nullptr, window.left, window.top, window.right - window.left, window.bottom - window.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The suggested place scales the frame as well, which does not grow
  // linearly: the client area as it was, at the new scale.
  if (!IsZoomed(hwnd_) && !IsIconic(hwnd_))
    FitClientArea(Rescaled(client.right, width_, old.Dpi(), dpi), Rescaled(client.bottom, height_, old.Dpi(), dpi));
  ApplyDpiTo(*this);
}

void TForm::ApplyDpi() {
  ApplyFont();
  LayoutChildren();
}

LRESULT TForm::WndProc(UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCCREATE) {
    // Windows 10 1607 runs PerMonitorV2 as per-monitor v1, where the caption
    // and frame scale only when asked to here.
    if (auto scaleFrame = LateBound<BOOL(WINAPI*)(HWND)>("user32.dll", "EnableNonClientDpiScaling")) scaleFrame(hwnd_);
  }
  if (m == WM_DPICHANGED) {
    Rescale(HIWORD(w), *reinterpret_cast<const RECT*>(l));
    return 0;
  }
  return TWinContainer::WndProc(m, w, l);
}

void TForm::AddHint(TControl& c) {
  if (!c.Handle()) return;
  TTTOOLINFOA ti = {};
  ti.cbSize = kToolInfoV1;
  ti.uFlags = TTF_IDISHWND;  // the control relays its mouse messages itself
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(c.Handle());
  ti.lpszText = const_cast<char*>(c.Hint().c_str());
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  c.hintTip_ = tooltip_;
}

void TForm::CenterOnDesktop() {
  // Twice when the first move reaches a monitor of another scale, which
  // resizes the window.
  for (int pass = 0; pass < 2; ++pass) {
    const int dpi = Dpi();
    RECT r;
    GetWindowRect(hwnd_, &r);
    const RECT a = WorkArea(hwnd_);
    const int x = std::max(a.left, a.left + (a.right - a.left - (r.right - r.left)) / 2);
    const int y = std::max(a.top, a.top + (a.bottom - a.top - (r.bottom - r.top)) / 2);
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // WM_DPICHANGED may have come inside the move.
    // cppcheck-suppress knownConditionTrueFalse
    if (Dpi() == dpi) break;
  }
}

bool TForm::PreTranslate(MSG& msg) {
  if (msg.message == WM_KEYDOWN && AnyControlTakes(*this, msg)) return true;
  return IsDialogMessageA(hwnd_, &msg) != 0;
}

void TForm::Paint(HDC dc, const RECT& rc) { FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE)); }

}  // namespace ui

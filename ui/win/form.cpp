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
  FitClientArea();
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, Instance(), nullptr);
  if (!tooltip_) throw std::runtime_error("ツールチップを作成できません");
}

void TForm::FitClientArea() {
  const DWORD style = GetWindowLongA(hwnd_, GWL_STYLE), ex = GetWindowLongA(hwnd_, GWL_EXSTYLE);
  RECT r = {0, 0, Scale(width_), Scale(height_)};
  // The frame at the window's own scale where the system knows one (10).
  auto forDpi = LateBound<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("user32.dll", "AdjustWindowRectExForDpi");
  if (!forDpi || !forDpi(&r, style, FALSE, ex, Dpi())) AdjustWindowRectEx(&r, style, FALSE, ex);
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Rescale(int dpi, const RECT& window) {
  // The controls keep the old fonts until each has its new one.
  FontCache old(dpi);
  std::swap(old, fontCache_);
  SetWindowPos(hwnd_, nullptr, window.left, window.top, window.right - window.left, window.bottom - window.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyDpiTo(*this);
}

void TForm::ApplyDpi() {
  ApplyFont();
  LayoutChildren();
}

LRESULT TForm::WndProc(UINT m, WPARAM w, LPARAM l) {
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
  RECT r;
  GetWindowRect(hwnd_, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  int dx = GetSystemMetrics(SM_XVIRTUALSCREEN), dy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int dw = GetSystemMetrics(SM_CXVIRTUALSCREEN), dh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (dw <= 0 || dh <= 0) {  // 95 and NT 4 know the primary screen only
    dx = dy = 0;
    dw = GetSystemMetrics(SM_CXSCREEN);
    dh = GetSystemMetrics(SM_CYSCREEN);
  }
  const int x = std::max(dx, dx + (dw - w) / 2), y = std::max(dy, dy + (dh - h) / 2);
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::PreTranslate(MSG& msg) {
  if (msg.message == WM_KEYDOWN && AnyControlTakes(*this, msg)) return true;
  return IsDialogMessageA(hwnd_, &msg) != 0;
}

void TForm::Paint(HDC dc, const RECT& rc) { FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE)); }

}  // namespace ui

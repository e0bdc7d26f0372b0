#include "ui/win/form.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace ui {

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

}  // namespace

TForm::TForm() { fonts_ = &fontCache_; }

TForm::~TForm() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (tooltip_) DestroyWindow(tooltip_);
}

void TForm::CreateForm(const char* className, const std::string& caption, int clientW, int clientH) {
  HICON icon = LoadIcon(Instance(), MAKEINTRESOURCE(1));
  RegisterOwnClass(className, 0, GetSysColorBrush(COLOR_BTNFACE), icon ? icon : LoadIcon(nullptr, IDI_APPLICATION));
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  const DWORD ex = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
  RECT r = {0, 0, clientW, clientH};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  // The design position; centring overrides it when shown.
  At(235, 148, r.right - r.left, r.bottom - r.top);
  CreateWin(nullptr, className, caption, style, ex);
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, Instance(), nullptr);
  if (!tooltip_) throw std::runtime_error("ツールチップを作成できません");
}

void TForm::AddHint(TControl& c) {
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
  const int dx = GetSystemMetrics(SM_XVIRTUALSCREEN), dy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int dw = GetSystemMetrics(SM_CXVIRTUALSCREEN), dh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int x = std::max(dx, dx + (dw - w) / 2), y = std::max(dy, dy + (dh - h) / 2);
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::PreTranslate(MSG& msg) {
  if (msg.message == WM_KEYDOWN && AnyControlTakes(*this, msg)) return true;
  return IsDialogMessageA(hwnd_, &msg) != 0;
}

void TForm::Paint(HDC dc, const RECT& rc) { FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE)); }

}  // namespace ui

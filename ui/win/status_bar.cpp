#include "ui/win/status_bar.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace ui {

namespace {
const char kStatusClass[] = "VeskStatusBar";
const UINT_PTR kTimerId = 1;
// Room around a text that sets its pane's width: two pixels before it, as
// in every pane, and a little before the separator.
const int kTextRoom = 6;
const int kGripWidth = 16;  // as the system's scroll bars at 96 per inch
}  // namespace

TStatusBar::~TStatusBar() {
  if (hwnd_) KillTimer(hwnd_, kTimerId);
}

void TStatusBar::Create(TControl* parent, std::vector<Pane> panes) {
  // Redrawn whole on every resize: the grip and the gradient follow the width.
  RegisterOwnClass(kStatusClass, CS_HREDRAW | CS_VREDRAW);
  panes_ = std::move(panes);
  widths_.assign(panes_.size(), 0);
  if (!CreateWin(parent, kStatusClass, "", WS_CLIPSIBLINGS)) return;
  SizePanes();
  SetTimer(hwnd_, kTimerId, 500, nullptr);
}

void TStatusBar::ApplyDpi() {
  TControl::ApplyDpi();
  SizePanes();
}

void TStatusBar::SizePanes() {
  for (size_t i = 0; i < panes_.size(); ++i) SizePane(static_cast<int>(i));
}

int TStatusBar::PaneIndex(const std::string& name) const {
  for (size_t i = 0; i < panes_.size(); ++i)
    if (panes_[i].Name == name) return static_cast<int>(i);
  return -1;
}

int TStatusBar::PaneLeft(int i) const {
  int x = 0;
  for (int k = 0; k < i; ++k) x += widths_[k];
  return x;
}

void TStatusBar::SizePane(int i) {
  const Pane& p = panes_[i];
  widths_[i] = Scale(p.Width);
  if (!p.FitText || !hwnd_) return;
  WindowDC dc(hwnd_);
  Selected f(dc.get(), FontHandle());
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc.get(), p.Text.c_str(), static_cast<int>(p.Text.size()), &size);
  widths_[i] = size.cx + Scale(kTextRoom);
}

bool TStatusBar::SetPaneText(int i, const std::string& text) {
  if (!hwnd_ || i < 0 || i >= static_cast<int>(panes_.size()) || panes_[i].Text == text) return false;
  Pane& p = panes_[i];
  const int oldWidth = widths_[i];
  p.Text = text;
  SizePane(i);
  const int x = PaneLeft(i);
  RECT r = {x, 0, x + widths_[i], Scale(height_)};
  // A pane that changed its width moves every pane after it.
  InvalidateRect(hwnd_, widths_[i] == oldWidth ? &r : nullptr, FALSE);
  ++p.Repaints;
  return true;
}

RECT TStatusBar::GripRect() const {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  rc.left = rc.right - Scale(kGripWidth);
  return rc;
}

bool TStatusBar::ShowsGrip() const { return !IsZoomed(RootWindow(hwnd_)); }

void TStatusBar::Paint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  // Vertical gradient from white to the button face, one band per row
  // (drawn by hand: the gradient API is missing on the oldest systems).
  const COLORREF top = RGB(255, 255, 255), bottom = GetSysColor(COLOR_BTNFACE);
  const int h = std::max(1L, rc.bottom - rc.top);
  for (int y = 0; y < h; ++y) {
    auto mix = [&](int a, int b) { return a + (b - a) * y / std::max(1, h - 1); };
    Brush band = SolidBrush(RGB(mix(GetRValue(top), GetRValue(bottom)), mix(GetGValue(top), GetGValue(bottom)),
                                mix(GetBValue(top), GetBValue(bottom))));
    RECT row = {rc.left, rc.top + y, rc.right, rc.top + y + 1};
    FillRect(dc, &row, band.get());
  }
  {
    Selected f(dc, FontHandle());
    Pen shadow = SolidPen(GetSysColor(COLOR_BTNSHADOW));
    Selected p(dc, shadow.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const int inset = Scale(2);
    int x = 0;
    for (size_t i = 0; i < panes_.size(); ++i) {
      const Pane& pane = panes_[i];
      RECT r = {x + inset, rc.top, x + widths_[i] - inset, rc.bottom};
      DrawTextA(dc, pane.Text.c_str(), static_cast<int>(pane.Text.size()), &r,
                (pane.Left ? DT_LEFT : DT_CENTER) | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      x += widths_[i];
      MoveToEx(dc, x - 1, rc.top + inset, nullptr);
      LineTo(dc, x - 1, rc.bottom - inset);
    }
  }
  if (ShowsGrip()) {
    RECT grip = GripRect();
    DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  }
}

LRESULT TStatusBar::WndProc(UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_TIMER:
      if (w == kTimerId && OnTimer) OnTimer();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintDC dc(hwnd_);
      Paint(dc.get());
      return 0;
    }
    case WM_NCHITTEST: {  // the grip sizes the window it is on
      POINT pt = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      ScreenToClient(hwnd_, &pt);
      const RECT grip = GripRect();
      if (ShowsGrip() && PtInRect(&grip, pt)) return HTBOTTOMRIGHT;
      break;
    }
    case WM_NCLBUTTONDOWN:
      if (w == HTBOTTOMRIGHT) {  // the window sizes, not this bar
        SendMessageA(RootWindow(hwnd_), m, w, l);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      KillTimer(hwnd_, kTimerId);
      break;
  }
  return DefaultProc(m, w, l);
}

}  // namespace ui

#include "ui/win/buttons.h"

#include "base/win/late_bound.h"

namespace ui {

static_assert(sizeof(TRACKMOUSEEVENT) == (sizeof(void*) == 8 ? 24 : 16), "");

void TButton::Create(TControl* parent, const std::string& caption) {
  CreateWin(parent, "BUTTON", caption, BS_PUSHBUTTON);
}

void TButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

void TButton::Click() { SendMessageA(hwnd_, BM_CLICK, 0, 0); }

void TStyledButton::Create(TControl* parent, const std::string& caption) {
  CreateWin(parent, "BUTTON", caption, BS_OWNERDRAW | BS_MULTILINE);
}

bool TStyledButton::OnDrawItem(DRAWITEMSTRUCT* di) {
  HDC dc = di->hDC;
  const RECT r = di->rcItem;
  const bool pressed = (di->itemState & ODS_SELECTED) != 0;
  const bool enabled = (di->itemState & ODS_DISABLED) == 0;
  COLORREF face = kFace;
  if (hot_ && enabled) face = RGB(255, 255, 255);
  if (pressed) face = RGB(220, 226, 236);
  {
    Brush fill = SolidBrush(face);
    Pen frame = SolidPen(kFrame);
    Selected b(dc, fill.get()), p(dc, frame.get());
    RoundRect(dc, r.left, r.top, r.right, r.bottom, Scale(4), Scale(4));
  }
  if (hot_ && enabled) {  // an inner highlight ring while the pointer is over it
    RECT in = r;
    InflateRect(&in, -Scale(2), -Scale(2));
    Brush ring = SolidBrush(RGB(255, 200, 60));
    FrameRect(dc, &in, ring.get());
  }
  const std::string text = Text();
  RECT tr = r;
  if (pressed) OffsetRect(&tr, 1, 1);
  {
    Selected f(dc, FontHandle());
    // Centre the (possibly two-line) caption vertically.
    RECT calc = tr;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &calc, DT_CENTER | DT_CALCRECT);
    tr.top += ((tr.bottom - tr.top) - (calc.bottom - calc.top)) / 2;
    DrawEngraved(dc, text, tr, DT_CENTER, TextColorOf(EffectiveFont()), enabled);
  }
  if (di->itemState & ODS_FOCUS) {
    RECT fr = r;
    InflateRect(&fr, -Scale(4), -Scale(4));
    DrawFocusRect(dc, &fr);
  }
  return true;
}

bool TStyledButton::TrackLeave() {
  TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd_, 0};
  auto track = base::LateBound<BOOL(WINAPI*)(TRACKMOUSEEVENT*)>("user32.dll", "TrackMouseEvent");
  return track && track(&tme);
}

void TStyledButton::SetHot(bool hot) {
  hot_ = hot;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT TStyledButton::WndProc(UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_MOUSEMOVE:
      if (!hot_) {
        SetHot(true);
        // Where the system cannot say when the pointer leaves (95), look.
        if (!TrackLeave()) SetTimer(hwnd_, kLeaveTimer, 100, nullptr);
      }
      break;
    case WM_MOUSELEAVE:
      SetHot(false);
      break;
    case WM_TIMER:
      if (w != kLeaveTimer) break;
      POINT p;
      if (GetCursorPos(&p) && WindowFromPoint(p) != hwnd_) {
        KillTimer(hwnd_, kLeaveTimer);
        SetHot(false);
      }
      return 0;
    case WM_LBUTTONDBLCLK:  // owner-drawn buttons report double clicks: treat as a press
      m = WM_LBUTTONDOWN;
      break;
  }
  return DefaultProc(m, w, l);
}

}  // namespace ui

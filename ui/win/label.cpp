#include "ui/win/label.h"

namespace ui {

void TLabel::Create(TControl* parent, const std::string& caption) {
  if (CreateWin(parent, "STATIC", caption, SS_OWNERDRAW | SS_NOTIFY)) AutoSize();
}

void TLabel::SetCaption(const std::string& s) {
  if (!hwnd_) return;
  SetText(s);
  AutoSize();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::ApplyDpi() {
  TControl::ApplyDpi();
  if (hwnd_) AutoSize();
}

void TLabel::AutoSize() {
  const std::string t = Text();
  RECT r = {0, 0, 0, 0};
  {
    WindowDC dc(hwnd_);
    Selected f(dc.get(), FontHandle());
    if (t.empty()) {
      TEXTMETRICA tm;
      GetTextMetricsA(dc.get(), &tm);
      r.bottom = tm.tmHeight;
    } else {
      DrawTextA(dc.get(), t.c_str(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_NOPREFIX);
    }
  }
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right + 1, r.bottom + 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TLabel::OnDrawItem(DRAWITEMSTRUCT* di) {
  HDC dc = di->hDC;
  FillRect(dc, &di->rcItem, GetSysColorBrush(COLOR_BTNFACE));
  Selected f(dc, FontHandle());
  DrawEngraved(dc, Text(), di->rcItem, DT_LEFT | DT_NOPREFIX, TextColorOf(EffectiveFont()),
               IsWindowEnabled(hwnd_) != 0);
  return true;
}

}  // namespace ui

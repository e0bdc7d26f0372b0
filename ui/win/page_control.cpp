#include "ui/win/page_control.h"

#include <algorithm>

namespace ui {

void TPageControl::Create(TControl* parent) {
  if (CreateWin(parent, WC_TABCONTROLA, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TCS_OWNERDRAWFIXED,
                WS_EX_CONTROLPARENT))
    SizeTabs();
}

void TPageControl::SizeTabs() {
  // Narrow padding keeps all eight captions on one row of 510 pixels.
  SendMessageA(hwnd_, TCM_SETPADDING, 0, MAKELPARAM(Scale(3), Scale(2)));
  // Wine sizes the tabs from the font and the padding, and keeps a height
  // given to it only when it differs from its own: it measures again with
  // the font first, so that the height is kept whichever face it found.
  ApplyFont();
  SendMessageA(hwnd_, TCM_SETITEMSIZE, 0, MAKELPARAM(0, Scale(kTabHeight)));
}

void TPageControl::ApplyDpi() {
  TControl::ApplyDpi();
  if (!hwnd_) return;
  SizeTabs();
  LayoutSheets();
}

void TPageControl::AddSheet(TTabSheet& sheet, const std::string& caption) {
  sheet.Caption = caption;
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  std::string text = caption;
  item.pszText = &text[0];
  SendMessageA(hwnd_, TCM_INSERTITEMA, sheets_.size(), reinterpret_cast<LPARAM>(&item));
  sheets_.push_back(&sheet);
  sheet.Docked(Align::Client);  // placed by LayoutSheets
  sheet.Create(this);
  sheet.SetText(caption);
  LayoutSheets();
  ShowWindow(sheet.Handle(), sheets_.size() == 1 ? SW_SHOW : SW_HIDE);
}

int TPageControl::ActivePageIndex() const {
  return static_cast<int>(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0));
}

void TPageControl::SetActivePageIndex(int i) {
  SendMessageA(hwnd_, TCM_SETCURSEL, i, 0);
  for (int k = 0; k < PageCount(); ++k) ShowWindow(sheets_[k]->Handle(), k == i ? SW_SHOW : SW_HIDE);
}

void TPageControl::LayoutSheets() {
  RECT rc;
  if (!GetClientRect(hwnd_, &rc)) return;
  // The page area: inside a 2-pixel frame, below the tab row.
  const int frame = Scale(2), top = Scale(kTabHeight) + frame;
  for (TTabSheet* s : sheets_)
    s->SetBounds(frame, top, std::max(0L, rc.right - 2 * frame), std::max(0L, rc.bottom - top - frame));
}

bool TPageControl::OnFormKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000))
    return false;
  const int n = PageCount();
  if (n == 0) return false;
  const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? n - 1 : 1;
  SetActivePageIndex((ActivePageIndex() + step) % n);
  return true;
}

bool TPageControl::OnNotify(NMHDR* nm, LRESULT& result) {
  if (nm->code != TCN_SELCHANGE) return false;
  SetActivePageIndex(ActivePageIndex());
  result = 0;
  return true;
}

bool TPageControl::OnDrawItem(DRAWITEMSTRUCT* di) {
  if (di->itemID >= sheets_.size()) return false;
  HDC dc = di->hDC;
  RECT r = di->rcItem;
  const bool selected = (di->itemState & ODS_SELECTED) != 0;
  // Tab face with its top corners cut by 2 pixels.
  const int cut = Scale(2);
  POINT pts[] = {{r.left, r.bottom}, {r.left, r.top + cut}, {r.left + cut, r.top},
                 {r.right - 1 - cut, r.top}, {r.right - 1, r.top + cut}, {r.right - 1, r.bottom}};
  {
    Brush face = SolidBrush(GetSysColor(selected ? COLOR_BTNFACE : COLOR_3DLIGHT));
    Pen pen = SolidPen(GetSysColor(COLOR_BTNSHADOW));
    Selected b(dc, face.get()), p(dc, pen.get());
    Polygon(dc, pts, 6);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColorOf(EffectiveFont()));
  Selected f(dc, FontHandle());
  const std::string& t = sheets_[di->itemID]->Caption;
  DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  return true;
}

LRESULT TPageControl::WndProc(UINT m, WPARAM w, LPARAM l) {
  LRESULT r = DefaultProc(m, w, l);
  if (m == WM_SIZE) LayoutSheets();
  return r;
}

}  // namespace ui

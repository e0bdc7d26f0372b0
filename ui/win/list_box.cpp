#include "ui/win/list_box.h"

namespace ui {

void TListBox::Create(TControl* parent, int itemHeight) {
  itemHeight_ = itemHeight;
  if (CreateWin(parent, "LISTBOX", "",
                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_VSCROLL,
                WS_EX_CLIENTEDGE))
    SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, Scale(itemHeight_));
}

void TListBox::ApplyDpi() {
  TControl::ApplyDpi();
  if (hwnd_) SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, Scale(itemHeight_));
}

bool TListBox::OnDrawItem(DRAWITEMSTRUCT* di) {
  HDC dc = di->hDC;
  const RECT r = di->rcItem;
  const bool selected = (di->itemState & ODS_SELECTED) != 0;
  HBRUSH back = selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : BackBrush();
  FillRect(dc, &r, back ? back : GetSysColorBrush(COLOR_WINDOW));
  if (di->itemID != static_cast<UINT>(-1)) {
    const std::string t = Item(static_cast<int>(di->itemID));
    Selected f(dc, FontHandle());
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    // Fit the character box, not the whole cell, into the row: a substitute
    // font with a tall leading would otherwise lose the tops of its glyphs.
    RECT tr = {r.left + Scale(2), r.top - tm.tmInternalLeading * 3 / 4, r.right, r.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : TextColorOf(EffectiveFont()));
    ClippedTo clip(dc, r);
    DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &tr, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (di->itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  return true;
}

int TListBox::Add(const std::string& text, std::intptr_t data) {
  const int i = static_cast<int>(SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  if (i >= 0) SendMessageA(hwnd_, LB_SETITEMDATA, i, data);
  return i;
}

int TListBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string TListBox::Item(int i) const { return ItemText(hwnd_, LB_GETTEXTLEN, LB_GETTEXT, i); }

std::intptr_t TListBox::Data(int i) const { return SendMessageA(hwnd_, LB_GETITEMDATA, i, 0); }

int TListBox::ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)); }

void TListBox::SetItemIndex(int i) { SendMessageA(hwnd_, LB_SETCURSEL, i, 0); }

void TListBox::Clear() { SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0); }

void TListBox::OnCommand(WORD code) {
  if (code == LBN_DBLCLK && OnDblClick) OnDblClick();
}

}  // namespace ui

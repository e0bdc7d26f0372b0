#include "ui/win/combo_box.h"

#include "base/win/late_bound.h"

namespace ui {

static_assert(sizeof(COMBOBOXINFO) == (sizeof(void*) == 8 ? 64 : 52), "");

void TComboBox::Create(TControl* parent, const std::vector<std::string>& items,
                       const std::string& text, int itemHeight) {
  // The height given is the edit's, which follows the font; the window's
  // height makes room for the drop-down list.
  height_ = 300;
  itemHeight_ = itemHeight;
  if (!CreateWin(parent, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL)) return;
  for (const std::string& s : items) SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  SizeItems();
  SetText(text);
}

void TComboBox::ApplyDpi() {
  TControl::ApplyDpi();
  if (hwnd_) SizeItems();
}

void TComboBox::SizeItems() {
  const int h = Scale(itemHeight_);
  SendMessageA(hwnd_, CB_SETITEMHEIGHT, 0, h);
  // Not every system applies the above to the list; where the list cannot
  // be found (no GetComboBoxInfo before 98 and NT 4 SP6), it stays as it is.
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  auto find = base::LateBound<BOOL(WINAPI*)(HWND, COMBOBOXINFO*)>("user32.dll", "GetComboBoxInfo");
  if (find && find(hwnd_, &info) && info.hwndList) SendMessageA(info.hwndList, LB_SETITEMHEIGHT, 0, h);
}

int TComboBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, CB_GETCOUNT, 0, 0)); }

std::string TComboBox::Item(int i) const { return ItemText(hwnd_, CB_GETLBTEXTLEN, CB_GETLBTEXT, i); }

void TComboBox::SetItemIndex(int i) { SendMessageA(hwnd_, CB_SETCURSEL, i, 0); }

}  // namespace ui

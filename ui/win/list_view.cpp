#include "ui/win/list_view.h"

namespace ui {

void TListView::Create(TControl* parent, const std::vector<int>& widths) {
  widths_ = widths;
  if (!CreateWin(parent, WC_LISTVIEWA, "", LVS_REPORT | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS,
                 WS_EX_CLIENTEDGE))
    return;
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (size_t i = 0; i < widths.size(); ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_WIDTH | LVCF_TEXT;
    col.cx = Scale(widths[i]);
    char empty[1] = {0};
    col.pszText = empty;
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
}

void TListView::ApplyDpi() {
  TControl::ApplyDpi();
  if (!hwnd_) return;
  for (size_t i = 0; i < widths_.size(); ++i) ListView_SetColumnWidth(hwnd_, static_cast<int>(i), Scale(widths_[i]));
}

int TListView::ColumnCount() const {
  HWND header = ListView_GetHeader(hwnd_);
  return header ? Header_GetItemCount(header) : 0;
}

std::string TListView::ColumnCaption(int i) const {
  char buf[512] = {0};
  LVCOLUMNA col = {};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = sizeof buf;
  SendMessageA(hwnd_, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  return buf;
}

void TListView::SetColumnCaption(int i, const std::string& s) {
  std::string t = s;
  LVCOLUMNA col = {};
  col.mask = LVCF_TEXT;
  col.pszText = &t[0];
  SendMessageA(hwnd_, LVM_SETCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
}

int TListView::ColumnWidth(int i) const { return ListView_GetColumnWidth(hwnd_, i); }

void TListView::Clear() { ListView_DeleteAllItems(hwnd_); }

int TListView::Count() const { return ListView_GetItemCount(hwnd_); }

int TListView::AddRow(const std::vector<std::string>& cells) {
  std::string first = cells.empty() ? std::string() : cells[0];
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = Count();
  item.pszText = &first[0];
  const int row = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  for (size_t c = 1; c < cells.size() && row >= 0; ++c) {
    std::string t = cells[c];
    LVITEMA sub = {};
    sub.iSubItem = static_cast<int>(c);
    sub.pszText = &t[0];
    SendMessageA(hwnd_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  }
  return row;
}

std::string TListView::Cell(int row, int col) const {
  std::vector<char> buf(4096, '\0');
  LVITEMA item = {};
  item.iSubItem = col;
  item.pszText = buf.data();
  item.cchTextMax = static_cast<int>(buf.size());
  SendMessageA(hwnd_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return buf.data();
}

}  // namespace ui

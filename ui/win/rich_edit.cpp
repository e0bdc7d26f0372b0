#include "ui/win/rich_edit.h"

#include <richedit.h>
#include <windowsx.h>

#include <climits>

#include "base/win/system_library.h"
#include "ui/win/app.h"

namespace ui {

// The records handed to the rich edit, on both builds.
static_assert(sizeof(CHARFORMATA) == 60 && sizeof(GETTEXTLENGTHEX) == 8, "");
static_assert(sizeof(GETTEXTEX) == (sizeof(void*) == 8 ? 28 : 20), "");  // packed by 4

void TRichEdit::Create(TControl* parent) {
  static HMODULE lib = base::LoadSystemLibrary("riched20.dll");  // the class lives as long as the process
  if (!lib) {  // the rest of the form goes on without it
    ShowErrorBox("riched20.dll を読み込めません");
    return;
  }
  if (!CreateWin(parent, RICHEDIT_CLASSA, "",
                 ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | ES_DISABLENOSCROLL | ES_NOHIDESEL, 0))
    return;
  SendMessageA(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);  // the mode can only change while nothing is recorded
  SendMessageA(hwnd_, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, 2000000000);
  if (hasColor_) SendMessageA(hwnd_, EM_SETBKGNDCOLOR, 0, color_);
  ApplyCharFormat();
}

void TRichEdit::ApplyDpi() {
  TControl::ApplyDpi();
  if (hwnd_) ApplyCharFormat();
}

void TRichEdit::ApplyCharFormat() {
  const FontSpec& f = EffectiveFont();
  CHARFORMATA cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_CHARSET;
  cf.dwEffects = f.bold ? CFE_BOLD : 0;
  cf.crTextColor = TextColorOf(f);
  // In twips, which the control turns into pixels at its own scale.
  cf.yHeight = MulDiv(Scale(f.height), 1440, WindowDpi(hwnd_));
  cf.bCharSet = f.charset;
  lstrcpynA(cf.szFaceName, f.face.c_str(), LF_FACESIZE);
  SendMessageA(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
}

void TRichEdit::Clear() { SetWindowTextA(hwnd_, ""); }

void TRichEdit::AppendLine(const std::string& line) {
  // Only whether it is empty: the length may be more than the text's.
  const bool empty = GetWindowTextLengthA(hwnd_) <= 0;
  const std::string add = (empty ? "" : "\r\n") + line;
  CHARRANGE end = {LONG_MAX, LONG_MAX};
  SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
  // The new line paints with the next WM_PAINT, not inside the call.
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(add.c_str()));
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
}

std::string TRichEdit::AllText() const {
  GETTEXTLENGTHEX gl = {GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, CP_ACP};
  const LRESULT n = SendMessageA(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  if (n <= 0) return std::string();
  std::vector<char> buf(static_cast<size_t>(n) + 2, '\0');
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(buf.size());
  gt.flags = GT_USECRLF;
  gt.codepage = CP_ACP;
  SendMessageA(hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buf.data()));
  return buf.data();
}

std::vector<std::string> TRichEdit::Lines() const {
  std::vector<std::string> out;
  const std::string all = AllText();
  if (all.empty()) return out;
  size_t start = 0;
  for (;;) {
    const size_t p = all.find("\r\n", start);
    out.push_back(all.substr(start, p == std::string::npos ? std::string::npos : p - start));
    if (p == std::string::npos) break;
    start = p + 2;
  }
  return out;
}

void TRichEdit::ShowPopup(int x, int y) {
  if (PopupMenu.empty()) return;
  if (x == -1 && y == -1) {  // from the keyboard: at the control's corner
    RECT r;
    GetWindowRect(hwnd_, &r);
    x = r.left, y = r.top;
  }
  HMENU menu = CreatePopupMenu();
  for (size_t i = 0; i < PopupMenu.size(); ++i)
    AppendMenuA(menu, MF_STRING, i + 1, PopupMenu[i].Caption.c_str());
  const UINT cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, GetParent(hwnd_), nullptr);
  DestroyMenu(menu);
  if (cmd >= 1 && cmd <= PopupMenu.size() && PopupMenu[cmd - 1].OnClick) PopupMenu[cmd - 1].OnClick();
}

LRESULT TRichEdit::WndProc(UINT m, WPARAM w, LPARAM l) {
  if (m == WM_CONTEXTMENU && !PopupMenu.empty()) {
    ShowPopup(GET_X_LPARAM(l), GET_Y_LPARAM(l));
    return 0;
  }
  return DefaultProc(m, w, l);
}

}  // namespace ui

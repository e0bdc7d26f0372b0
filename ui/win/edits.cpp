#include "ui/win/edits.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "base/text.h"
#include "ui/numeric.h"
#include "base/win/late_bound.h"

namespace ui {

namespace {

std::string ClipboardText(HWND owner) {
  std::string text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    // The block need not end in a zero: read no further than its size.
    const SIZE_T size = GlobalSize(data);
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      text.assign(p, std::find(p, p + size, '\0'));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace

void TNumEdit::Create(TControl* parent) {
  if (CreateWin(parent, "EDIT", "", ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE))
    SendMessageA(hwnd_, EM_SETLIMITTEXT, 3, 0);
}

void TNumEdit::OnCommand(WORD code) {
  if (code == EN_KILLFOCUS) {
    ShowDisplayText();
  } else if (code == EN_CHANGE && !fixing_) {
    // ES_NUMBER only filters typing; a set text is checked here.
    const std::string t = Text();
    const std::optional<std::string> kept = AcceptedNumberText(t, kMax);
    if (!kept) {
      Replace(accepted_);
    } else {
      if (*kept != t) Replace(*kept);
      accepted_ = *kept;
    }
  }
}

void TNumEdit::Replace(const std::string& text) {
  fixing_ = true;
  SetText(text);
  SendMessageA(hwnd_, EM_SETSEL, text.size(), text.size());
  fixing_ = false;
}

void TNumEdit::Paste() {
  // The edit itself would paste only as many characters as it takes typed,
  // cutting "1000" to "100"; the whole value counts instead. A text that
  // is not a whole number is refused whole, as its characters would be.
  DWORD start = 0, end = 0;
  SendMessageA(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::optional<std::string> kept = PastedNumberText(Text(), start, end, ClipboardText(hwnd_), kMax);
  if (!kept) return;
  Replace(*kept);
  accepted_ = *kept;
}

LRESULT TNumEdit::WndProc(UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PASTE) {
    Paste();
    return 0;
  }
  return DefaultProc(m, w, l);
}

int TNumEdit::Value() const { return std::atoi(Text().c_str()); }

std::string TNumEdit::DisplayText() const { return NumberDisplayText(Text()); }

void TNumEdit::ShowDisplayText() {
  const std::string shown = DisplayText();
  if (shown != Text()) SetText(shown);
}

void TUpDown::Create(TControl* parent, TControl& buddy) {
  buddy_ = &buddy;
  At(0, 0, kDesignWidth, 0);  // beside the buddy once attached, as high as it
  if (!CreateWin(parent, UPDOWN_CLASSA, "", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS)) return;
  Attach();
  // Both bounds 0 means unbounded: the arrows step the edit's own value.
  SendMessageA(hwnd_, UDM_SETRANGE32, static_cast<WPARAM>(INT_MIN), INT_MAX);
  // The common controls before 4.71 know no 32-bit range, and their default
  // one runs downwards; there the widest 16-bit range, upwards.
  int low = 0, high = 0;
  SendMessageA(hwnd_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  if (low != INT_MIN || high != INT_MAX) SendMessageA(hwnd_, UDM_SETRANGE, 0, MAKELPARAM(32767, 0));
}

void TUpDown::ApplyDpi() {
  // Beside the edit again, which has just been placed and sized anew.
  if (hwnd_) Attach();
}

void TUpDown::Attach() {
  // The width first, at the form's scale: the buddy narrows itself by it.
  auto forDpi = base::LateBound<int(WINAPI*)(int, UINT)>("user32.dll", "GetSystemMetricsForDpi");
  int w = forDpi ? forDpi(SM_CXVSCROLL, Dpi()) : 0;
  if (w <= 0) w = Scale(kDesignWidth);
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, 0, 0, w, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(hwnd_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy_->Handle()), 0);
  // Common controls that give the arrows a fixed width (Wine's): ours, the
  // buddy narrowed by the difference.
  GetWindowRect(hwnd_, &r);
  const int more = w - (r.right - r.left);
  if (more == 0) return;
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  const RECT b = buddy_->Bounds();
  buddy_->SetBounds(b.left, b.top, b.right - b.left - more, b.bottom - b.top);
  SetBounds(r.left - more, r.top, w, r.bottom - r.top);
}

bool TUpDown::OnNotify(NMHDR* nm, LRESULT& result) {
  if (nm->code != UDN_DELTAPOS || !spin_) return false;
  spin_->Step(reinterpret_cast<NMUPDOWN*>(nm)->iDelta);
  result = 1;  // the edit's text is set by Step
  return true;
}

void TSpinEdit::Create(TControl* parent, int value) {
  if (!CreateWin(parent, "EDIT", std::to_string(value), ES_AUTOHSCROLL, WS_EX_CLIENTEDGE)) return;
  updown_.spin_ = this;
  updown_.Create(parent, *this);
}

int TSpinEdit::Value() const {
  const std::string t = base::Trim(Text());
  if (t.empty()) return 0;
  char* end = nullptr;
  const long long v = std::strtoll(t.c_str(), &end, 10);
  if (*end != '\0' || v < INT_MIN || v > INT_MAX) return 0;
  return static_cast<int>(v);
}

void TSpinEdit::SetValue(int v) { SetText(std::to_string(v)); }

void TSpinEdit::Step(int delta) {
  const long long v = static_cast<long long>(Value()) + delta;
  if (v >= INT_MIN && v <= INT_MAX) SetValue(static_cast<int>(v));
}

void TMemo::Create(TControl* parent) {
  if (CreateWin(parent, "EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0))
    SendMessageA(hwnd_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
}

void TMemo::SetLines(const std::string& text) { SetText(base::NormalizeLineEnds(text)); }

}  // namespace ui

#include "ui/win/controls.h"

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "base/text.h"
#include "ui/win/app.h"

namespace ui {

namespace {

const char kContainerClass[] = "VeskContainer";
const char kStatusClass[] = "VeskStatusBar";

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

std::string WindowText(HWND h) {
  int n = GetWindowTextLengthA(h);
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n) + 1, '\0');
  int got = GetWindowTextA(h, &s[0], n + 1);
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return s;
}

COLORREF TextColorOf(const FontSpec& f) {
  return f.color == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : f.color;
}

// Draws text engraved: a highlight one pixel down-right, the text on top.
void DrawEngraved(HDC dc, const std::string& text, RECT rc, UINT fmt, COLORREF color, bool enabled) {
  SetBkMode(dc, TRANSPARENT);
  RECT lit = rc;
  OffsetRect(&lit, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &lit, fmt);
  SetTextColor(dc, enabled ? color : GetSysColor(COLOR_GRAYTEXT));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, fmt);
}

}  // namespace

// ---------------------------------------------------------------- fonts

bool FontSpec::operator<(const FontSpec& o) const {
  return std::tie(face, height, bold, charset, color) <
         std::tie(o.face, o.height, o.bold, o.charset, o.color);
}

FontCache::~FontCache() {
  for (auto& kv : fonts_) DeleteObject(kv.second);
}

HFONT FontCache::Get(const FontSpec& f) {
  auto it = fonts_.find(f);
  if (it != fonts_.end()) return it->second;
  LOGFONTA lf = {};
  lf.lfHeight = -f.height;  // negative: character height
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = f.charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(lf.lfFaceName, f.face.c_str(), LF_FACESIZE);
  HFONT h = CreateFontIndirectA(&lf);
  fonts_[f] = h;
  return h;
}

// ---------------------------------------------------------------- TControl

TControl::~TControl() {
  if (brush_) DeleteObject(brush_);
}

TControl* TControl::FromHandle(HWND h) {
  return h ? reinterpret_cast<TControl*>(GetWindowLongPtrA(h, GWLP_USERDATA)) : nullptr;
}

std::string TControl::Text() const { return hwnd_ ? WindowText(hwnd_) : std::string(); }

void TControl::SetText(const std::string& s) {
  if (hwnd_) SetWindowTextA(hwnd_, s.c_str());
}

bool TControl::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

void TControl::SetEnabled(bool on) {
  if (hwnd_) EnableWindow(hwnd_, on);
}

RECT TControl::Bounds() const {
  RECT r = {};
  if (!hwnd_) return r;
  GetWindowRect(hwnd_, &r);
  HWND p = GetParent(hwnd_);
  if (p) MapWindowPoints(HWND_DESKTOP, p, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void TControl::SetBounds(int l, int t, int w, int h) {
  left_ = l, top_ = t, width_ = w, height_ = h;
  if (hwnd_) MoveWindow(hwnd_, l, t, w, h, TRUE);
}

TControl& TControl::At(int l, int t, int w, int h) {
  left_ = l, top_ = t, width_ = w, height_ = h;
  return *this;
}

const FontSpec& TControl::EffectiveFont() const {
  const TControl* c = this;
  while (c && !c->hasFont_) c = c->parent_;
  static const FontSpec none;  // unreachable once the form has its font
  return c ? c->font_ : none;
}

HBRUSH TControl::BackBrush() {
  if (!hasColor_) return nullptr;
  if (!brush_) brush_ = CreateSolidBrush(color_);
  return brush_;
}

FontCache& TControl::Fonts() { return *fonts_; }

void TControl::CreateWin(TControl* parent, const char* cls, const std::string& text, DWORD style,
                         DWORD exStyle) {
  parent_ = parent;
  if (parent) {
    fonts_ = parent->fonts_;
    parent->children_.push_back(this);
  }
  if (tabOrder_ >= 0) style |= WS_TABSTOP;
  hwnd_ = CreateWindowExA(exStyle, cls, text.c_str(), style | WS_CHILD | WS_VISIBLE, left_, top_,
                          width_, height_, parent ? parent->hwnd_ : nullptr, nullptr, Instance(),
                          nullptr);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ApplyFont();
}

void TControl::Subclass() {
  previousProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

LRESULT TControl::CallPrevious(UINT m, WPARAM w, LPARAM l) {
  return CallWindowProcA(previousProc_, hwnd_, m, w, l);
}

LRESULT CALLBACK TControl::SubclassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  TControl* self = FromHandle(h);
  if (self->hintTip_ && m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) {
    MSG msg = {h, m, w, l, 0, {0, 0}};
    SendMessageA(self->hintTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  }
  if (m == WM_NCDESTROY) {
    WNDPROC previous = self->previousProc_;
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    self->previousProc_ = nullptr;
    self->hwnd_ = nullptr;
    return CallWindowProcA(previous, h, m, w, l);
  }
  LRESULT result = 0;
  if (self->SubclassMessage(m, w, l, result)) return result;
  return CallWindowProcA(self->previousProc_, h, m, w, l);
}

void TControl::ApplyFont() {
  if (hwnd_ && fonts_) SendMessageA(hwnd_, WM_SETFONT, (WPARAM)fonts_->Get(EffectiveFont()), FALSE);
}

// ---------------------------------------------------------------- containers

void TWinContainer::Create(TControl* parent) {
  static bool registered = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kContainerClass;
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;
  CreateWin(parent, kContainerClass, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
            WS_EX_CONTROLPARENT);
}

void TWinContainer::LayoutChildren() {
  if (!hwnd_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  for (TControl* c : children_) {
    if (c->align_ == Align::Top) {
      c->SetBounds(rc.left, rc.top, rc.right - rc.left, c->height_);
      rc.top += c->height_;
    } else if (c->align_ == Align::Bottom) {
      c->SetBounds(rc.left, rc.bottom - c->height_, rc.right - rc.left, c->height_);
      rc.bottom -= c->height_;
    }
  }
  for (TControl* c : children_)
    if (c->align_ == Align::Client)
      c->SetBounds(rc.left, rc.top, std::max(0L, rc.right - rc.left), std::max(0L, rc.bottom - rc.top));
}

void TWinContainer::ApplyTabOrder() { ApplyTabOrderTo(*this); }

void TWinContainer::ApplyTabOrderTo(const TControl& parent) {
  std::vector<TControl*> order;
  for (TControl* c : parent.children_)
    if (c->tabOrder_ >= 0) order.push_back(c);
  std::stable_sort(order.begin(), order.end(),
                   [](TControl* a, TControl* b) { return a->tabOrder_ < b->tabOrder_; });
  HWND after = HWND_TOP;
  for (TControl* c : order) {
    SetWindowPos(c->hwnd_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c->hwnd_;
  }
  for (TControl* c : parent.children_)
    if (!c->children_.empty()) ApplyTabOrderTo(*c);
}

void TWinContainer::Paint(HDC dc, const RECT& rc) {
  HBRUSH b = BackBrush();
  FillRect(dc, &rc, b ? b : GetSysColorBrush(COLOR_BTNFACE));
}

void TPanel::Paint(HDC dc, const RECT& rc) {
  TWinContainer::Paint(dc, rc);
  RECT r = rc;
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}

LRESULT CALLBACK TWinContainer::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto* self = dynamic_cast<TWinContainer*>(FromHandle(h));
  if (!self) return DefWindowProcA(h, m, w, l);
  return self->WndProc(m, w, l);
}

LRESULT TWinContainer::WndProc(UINT m, WPARAM w, LPARAM l) {
  HWND h = hwnd_;
  switch (m) {
    case WM_COMMAND: {
      if (TControl* c = FromHandle(reinterpret_cast<HWND>(l))) {
        WORD code = HIWORD(w);
        SafeCall([c, code] { c->OnCommand(code); });
        return 0;
      }
      break;
    }
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(l);
      if (TControl* c = FromHandle(nm->hwndFrom)) {
        LRESULT r = 0;
        if (c->OnNotify(nm, r)) return r;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      if (TControl* c = FromHandle(di->hwndItem))
        if (c->OnDrawItem(di)) return TRUE;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      TControl* c = FromHandle(reinterpret_cast<HWND>(l));
      if (c) {
        HDC dc = reinterpret_cast<HDC>(w);
        SetTextColor(dc, TextColorOf(c->EffectiveFont()));
        if (HBRUSH b = c->BackBrush()) {
          SetBkColor(dc, c->Color());
          return reinterpret_cast<LRESULT>(b);
        }
        SetBkColor(dc, GetSysColor(m == WM_CTLCOLORSTATIC ? COLOR_BTNFACE : COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(
            GetSysColorBrush(m == WM_CTLCOLORSTATIC ? COLOR_BTNFACE : COLOR_WINDOW));
      }
      break;
    }
    case WM_CONTEXTMENU: {
      if (auto* re = dynamic_cast<TRichEdit*>(FromHandle(reinterpret_cast<HWND>(w)))) {
        SafeCall([re, l] { re->ShowPopup(GET_X_LPARAM(l), GET_Y_LPARAM(l)); });
        return 0;
      }
      break;
    }
    case WM_SETCURSOR:
      if (ApplyScreenCursor()) return TRUE;
      break;
    case WM_SIZE:
      LayoutChildren();
      return 0;
    case WM_SETFONT:
      font_handle_ = reinterpret_cast<HFONT>(w);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_handle_);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT rc;
      GetClientRect(h, &rc);
      Paint(dc, rc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
  }
  return DefWindowProcA(h, m, w, l);
}

// ---------------------------------------------------------------- page control

void TPageControl::Create(TControl* parent) {
  CreateWin(parent, WC_TABCONTROLA, "",
            WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TCS_OWNERDRAWFIXED,
            WS_EX_CONTROLPARENT);
  SendMessageA(hwnd_, TCM_SETITEMSIZE, 0, MAKELPARAM(0, kTabHeight));
  // Narrow padding keeps all eight captions on one row of 510 pixels.
  SendMessageA(hwnd_, TCM_SETPADDING, 0, MAKELPARAM(3, 2));
  Subclass();
}

void TPageControl::AddSheet(TTabSheet& sheet, const std::string& caption) {
  sheet.Caption = caption;
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  std::string text = caption;
  item.pszText = &text[0];
  SendMessageA(hwnd_, TCM_INSERTITEMA, sheets_.size(), reinterpret_cast<LPARAM>(&item));
  sheets_.push_back(&sheet);
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
  GetClientRect(hwnd_, &rc);
  // The page area: inside a 2-pixel frame, below the tab row.
  for (TTabSheet* s : sheets_)
    s->SetBounds(2, kTabHeight + 2, std::max(0L, rc.right - 4), std::max(0L, rc.bottom - kTabHeight - 4));
}

bool TPageControl::HandleTabKeys(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || !(GetKeyState(VK_CONTROL) & 0x8000))
    return false;
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  if (msg.hwnd != root && !IsChild(root, msg.hwnd)) return false;
  int n = PageCount();
  if (n == 0) return false;
  int step = (GetKeyState(VK_SHIFT) & 0x8000) ? n - 1 : 1;
  SetActivePageIndex((ActivePageIndex() + step) % n);
  return true;
}

bool TPageControl::OnNotify(NMHDR* nm, LRESULT& result) {
  if (nm->code == TCN_SELCHANGE) {
    SetActivePageIndex(ActivePageIndex());
    result = 0;
    return true;
  }
  return false;
}

bool TPageControl::OnDrawItem(DRAWITEMSTRUCT* di) {
  if (di->itemID >= sheets_.size()) return false;
  HDC dc = di->hDC;
  RECT r = di->rcItem;
  bool selected = (di->itemState & ODS_SELECTED) != 0;
  // Tab face with its top corners cut by 2 pixels.
  const int cut = 2;
  POINT pts[] = {{r.left, r.bottom}, {r.left, r.top + cut}, {r.left + cut, r.top},
                 {r.right - 1 - cut, r.top}, {r.right - 1, r.top + cut}, {r.right - 1, r.bottom}};
  HBRUSH face = CreateSolidBrush(selected ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_3DLIGHT));
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ ob = SelectObject(dc, face), op = SelectObject(dc, pen);
  Polygon(dc, pts, 6);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(face);
  DeleteObject(pen);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColorOf(EffectiveFont()));
  HGDIOBJ of = SelectObject(dc, Fonts().Get(EffectiveFont()));
  const std::string& t = sheets_[di->itemID]->Caption;
  DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, of);
  return true;
}

bool TPageControl::SubclassMessage(UINT& m, WPARAM w, LPARAM l, LRESULT& result) {
  if (m != WM_SIZE) return false;
  result = CallPrevious(m, w, l);
  LayoutSheets();
  return true;
}

// ---------------------------------------------------------------- buttons

void TStyledButton::Create(TControl* parent, const std::string& caption) {
  CreateWin(parent, "BUTTON", caption, BS_OWNERDRAW | BS_MULTILINE);
  Subclass();
}

void TStyledButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

void TStyledButton::Click() { SendMessageA(hwnd_, BM_CLICK, 0, 0); }

bool TStyledButton::OnDrawItem(DRAWITEMSTRUCT* di) {
  HDC dc = di->hDC;
  RECT r = di->rcItem;
  bool pressed = (di->itemState & ODS_SELECTED) != 0;
  bool enabled = (di->itemState & ODS_DISABLED) == 0;
  COLORREF face = kFace;
  if (hot_ && enabled) face = RGB(255, 255, 255);
  if (pressed) face = RGB(220, 226, 236);
  HBRUSH fb = CreateSolidBrush(face);
  HPEN pen = CreatePen(PS_SOLID, 1, kFrame);
  HGDIOBJ ob = SelectObject(dc, fb), op = SelectObject(dc, pen);
  RoundRect(dc, r.left, r.top, r.right, r.bottom, 4, 4);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(fb);
  DeleteObject(pen);
  if (hot_ && enabled) {  // an inner highlight ring while the pointer is over it
    RECT in = r;
    InflateRect(&in, -2, -2);
    HBRUSH hb = CreateSolidBrush(RGB(255, 200, 60));
    FrameRect(dc, &in, hb);
    DeleteObject(hb);
  }
  std::string text = Text();
  RECT tr = r;
  if (pressed) OffsetRect(&tr, 1, 1);
  HGDIOBJ of = SelectObject(dc, Fonts().Get(EffectiveFont()));
  // Centre the (possibly two-line) caption vertically.
  RECT calc = tr;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &calc, DT_CENTER | DT_CALCRECT);
  int th = calc.bottom - calc.top;
  tr.top += ((tr.bottom - tr.top) - th) / 2;
  DrawEngraved(dc, text, tr, DT_CENTER, TextColorOf(EffectiveFont()), enabled);
  SelectObject(dc, of);
  if (di->itemState & ODS_FOCUS) {
    RECT fr = r;
    InflateRect(&fr, -4, -4);
    DrawFocusRect(dc, &fr);
  }
  return true;
}

bool TStyledButton::SubclassMessage(UINT& m, WPARAM, LPARAM, LRESULT&) {
  switch (m) {
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&tme);
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case WM_LBUTTONDBLCLK:  // owner-drawn buttons report double clicks: treat as a press
      m = WM_LBUTTONDOWN;
      break;
  }
  return false;
}

void TButton::Create(TControl* parent, const std::string& caption) {
  CreateWin(parent, "BUTTON", caption, BS_PUSHBUTTON);
}

void TButton::OnCommand(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

void TButton::Click() { SendMessageA(hwnd_, BM_CLICK, 0, 0); }

// ---------------------------------------------------------------- label

void TLabel::Create(TControl* parent, const std::string& caption) {
  CreateWin(parent, "STATIC", caption, SS_OWNERDRAW | SS_NOTIFY);
  AutoSize();
}

void TLabel::SetCaption(const std::string& s) {
  SetText(s);
  AutoSize();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::AutoSize() {
  std::string t = Text();
  HDC dc = GetDC(hwnd_);
  HGDIOBJ of = SelectObject(dc, Fonts().Get(EffectiveFont()));
  RECT r = {0, 0, 0, 0};
  if (t.empty()) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    r.bottom = tm.tmHeight;
  } else {
    DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_NOPREFIX);
  }
  SelectObject(dc, of);
  ReleaseDC(hwnd_, dc);
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right + 1, r.bottom + 1,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TLabel::OnDrawItem(DRAWITEMSTRUCT* di) {
  HDC dc = di->hDC;
  FillRect(dc, &di->rcItem, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ of = SelectObject(dc, Fonts().Get(EffectiveFont()));
  DrawEngraved(dc, Text(), di->rcItem, DT_LEFT | DT_NOPREFIX, TextColorOf(EffectiveFont()),
               IsWindowEnabled(hwnd_));
  SelectObject(dc, of);
  return true;
}

// ---------------------------------------------------------------- edits

void TNumEdit::Create(TControl* parent) {
  CreateWin(parent, "EDIT", "", ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  SendMessageA(hwnd_, EM_SETLIMITTEXT, 3, 0);
}

void TNumEdit::OnCommand(WORD code) {
  if (code != EN_CHANGE || fixing_) return;
  std::string t = Text();
  if (!t.empty() && std::atoi(t.c_str()) > kMax) {  // keep the value in range
    fixing_ = true;
    SetText(std::to_string(kMax));
    SendMessageA(hwnd_, EM_SETSEL, 3, 3);
    fixing_ = false;
  }
}

int TNumEdit::Value() const { return std::atoi(Text().c_str()); }

void TSpinEdit::Create(TControl* parent, int value) {
  CreateWin(parent, "EDIT", std::to_string(value), ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  updown_ = CreateWindowExA(0, UPDOWN_CLASSA, "",
                            WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                            0, 0, 0, 0, parent->Handle(), nullptr, Instance(), nullptr);
  SetWindowLongPtrA(updown_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageA(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
  // Both bounds 0 means unbounded: the arrows step the edit's own value.
  SendMessageA(updown_, UDM_SETRANGE32, static_cast<WPARAM>(INT_MIN), INT_MAX);
}

int TSpinEdit::Value() const {
  std::string t = base::Trim(Text());
  if (t.empty()) return 0;
  char* end = nullptr;
  long long v = std::strtoll(t.c_str(), &end, 10);
  if (*end != '\0' || v < INT_MIN || v > INT_MAX) return 0;
  return static_cast<int>(v);
}

void TSpinEdit::SetValue(int v) { SetText(std::to_string(v)); }

bool TSpinEdit::OnNotify(NMHDR* nm, LRESULT& result) {
  if (nm->hwndFrom != updown_ || nm->code != UDN_DELTAPOS) return false;
  auto* ud = reinterpret_cast<NMUPDOWN*>(nm);
  long long v = static_cast<long long>(Value()) + ud->iDelta;
  if (v >= INT_MIN && v <= INT_MAX) SetValue(static_cast<int>(v));
  result = 1;  // we set the text ourselves
  return true;
}

// ---------------------------------------------------------------- combo and lists

void TComboBox::Create(TControl* parent, const std::vector<std::string>& items,
                       const std::string& text, int itemHeight) {
  // The height given is the edit's; the drop-down list gets room for items.
  int h = height_;
  height_ = 300;
  CreateWin(parent, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL);
  height_ = h;
  for (const std::string& s : items) SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  SendMessageA(hwnd_, CB_SETITEMHEIGHT, 0, itemHeight);
  COMBOBOXINFO info = {sizeof info};
  if (GetComboBoxInfo(hwnd_, &info) && info.hwndList)  // not every system applies the above
    SendMessageA(info.hwndList, LB_SETITEMHEIGHT, 0, itemHeight);
  SetText(text);
}

int TComboBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, CB_GETCOUNT, 0, 0)); }

std::string TComboBox::Item(int i) const {
  LRESULT n = SendMessageA(hwnd_, CB_GETLBTEXTLEN, i, 0);
  if (n == CB_ERR) return std::string();
  std::string s(static_cast<size_t>(n) + 1, '\0');
  SendMessageA(hwnd_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(static_cast<size_t>(n));
  return s;
}

void TComboBox::SetItemIndex(int i) { SendMessageA(hwnd_, CB_SETCURSEL, i, 0); }

void TListBox::Create(TControl* parent, int itemHeight) {
  CreateWin(parent, "LISTBOX", "",
            LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_VSCROLL,
            WS_EX_CLIENTEDGE);
  SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, itemHeight);
}

bool TListBox::OnDrawItem(DRAWITEMSTRUCT* di) {
  HDC dc = di->hDC;
  RECT r = di->rcItem;
  bool selected = (di->itemState & ODS_SELECTED) != 0;
  HBRUSH back = selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : BackBrush();
  FillRect(dc, &r, back ? back : GetSysColorBrush(COLOR_WINDOW));
  if (di->itemID != static_cast<UINT>(-1)) {
    std::string t = Item(static_cast<int>(di->itemID));
    HGDIOBJ of = SelectObject(dc, Fonts().Get(EffectiveFont()));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    // Fit the character box, not the whole cell, into the row: a substitute
    // font with a tall leading would otherwise lose the tops of its glyphs.
    RECT tr = {r.left + 2, r.top - tm.tmInternalLeading * 3 / 4, r.right, r.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : TextColorOf(EffectiveFont()));
    HRGN clip = CreateRectRgnIndirect(&r);
    SelectClipRgn(dc, clip);
    DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &tr, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    SelectObject(dc, of);
  }
  if (di->itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  return true;
}

int TListBox::Add(const std::string& text, void* data) {
  int i = static_cast<int>(SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  if (i >= 0) SendMessageA(hwnd_, LB_SETITEMDATA, i, reinterpret_cast<LPARAM>(data));
  return i;
}

void TListBox::Insert(int index, const std::string& text, void* data) {
  int i = static_cast<int>(
      SendMessageA(hwnd_, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str())));
  if (i >= 0) SendMessageA(hwnd_, LB_SETITEMDATA, i, reinterpret_cast<LPARAM>(data));
}

int TListBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string TListBox::Item(int i) const {
  LRESULT n = SendMessageA(hwnd_, LB_GETTEXTLEN, i, 0);
  if (n == LB_ERR) return std::string();
  std::string s(static_cast<size_t>(n) + 1, '\0');
  SendMessageA(hwnd_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(static_cast<size_t>(n));
  return s;
}

void* TListBox::Data(int i) const {
  LRESULT d = SendMessageA(hwnd_, LB_GETITEMDATA, i, 0);
  return d == LB_ERR ? nullptr : reinterpret_cast<void*>(d);
}

int TListBox::ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)); }

void TListBox::SetItemIndex(int i) { SendMessageA(hwnd_, LB_SETCURSEL, i, 0); }

void TListBox::Clear() { SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0); }

void TListBox::OnCommand(WORD code) {
  if (code == LBN_DBLCLK && OnDblClick) OnDblClick();
}

void TListView::Create(TControl* parent, const std::vector<int>& widths) {
  CreateWin(parent, WC_LISTVIEWA, "", LVS_REPORT | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS,
            WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (size_t i = 0; i < widths.size(); ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_WIDTH | LVCF_TEXT;
    col.cx = widths[i];
    char empty[1] = {0};
    col.pszText = empty;
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
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
  int row = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
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

// ---------------------------------------------------------------- rich edit and memo

void TRichEdit::Create(TControl* parent) {
  static HMODULE lib = LoadLibraryA("riched20.dll");  // the class lives as long as the process
  (void)lib;
  CreateWin(parent, RICHEDIT_CLASSA, "",
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | ES_DISABLENOSCROLL | ES_NOHIDESEL, 0);
  SendMessageA(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);  // the mode can only change while nothing is recorded
  SendMessageA(hwnd_, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, 2000000000);
  if (hasColor_) SendMessageA(hwnd_, EM_SETBKGNDCOLOR, 0, color_);
  const FontSpec& f = EffectiveFont();
  CHARFORMATA cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_FACE | CFM_SIZE | CFM_CHARSET;
  cf.dwEffects = f.bold ? CFE_BOLD : 0;
  cf.crTextColor = TextColorOf(f);
  cf.yHeight = f.height * 1440 / 96;  // twips at 96 pixels per inch
  cf.bCharSet = f.charset;
  lstrcpynA(cf.szFaceName, f.face.c_str(), LF_FACESIZE);
  SendMessageA(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
}

void TRichEdit::Clear() { SetWindowTextA(hwnd_, ""); }

void TRichEdit::AppendLine(const std::string& line) {
  int len = GetWindowTextLengthA(hwnd_);
  std::string add = (len > 0 ? "\r\n" : "") + line;
  CHARRANGE end = {LONG_MAX, LONG_MAX};
  SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
  // The new line paints with the next WM_PAINT, not inside the call.
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(add.c_str()));
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
}

PaintThrottle::PaintThrottle(std::vector<TControl*> controls, unsigned intervalMs)
    : controls_(std::move(controls)), interval_(intervalMs), shown_(GetTickCount()) {}

PaintThrottle::~PaintThrottle() { Show(); }

void PaintThrottle::Changed() {
  if (GetTickCount() - shown_ >= interval_) {
    Show();
    return;
  }
  for (TControl* c : controls_)
    if (c->Handle()) ValidateRect(c->Handle(), nullptr);
}

void PaintThrottle::Show() {
  // The frame too: the scroll bar moved while painting was held.
  for (TControl* c : controls_)
    if (c->Handle()) RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  shown_ = GetTickCount();
}

std::string TRichEdit::AllText() const {
  GETTEXTLENGTHEX gl = {GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, CP_ACP};
  LRESULT n = SendMessageA(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
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
  std::string all = AllText();
  if (all.empty()) return out;
  size_t start = 0;
  for (;;) {
    size_t p = all.find("\r\n", start);
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
  UINT cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, GetParent(hwnd_), nullptr);
  DestroyMenu(menu);
  if (cmd >= 1 && cmd <= PopupMenu.size() && PopupMenu[cmd - 1].OnClick) PopupMenu[cmd - 1].OnClick();
}

void TMemo::Create(TControl* parent) {
  CreateWin(parent, "EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0);
  SendMessageA(hwnd_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
}

void TMemo::SetLines(const std::string& text) { SetText(base::NormalizeLineEnds(text)); }

// ---------------------------------------------------------------- status bar

TStatusBar::~TStatusBar() {
  if (hwnd_) KillTimer(hwnd_, 1);
}

void TStatusBar::Create(TControl* parent, std::vector<Pane> panes) {
  static bool registered = [] {
    WNDCLASSEXA wc = {sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kStatusClass;
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;
  panes_ = std::move(panes);
  CreateWin(parent, kStatusClass, "", WS_CLIPSIBLINGS);
  SetTimer(hwnd_, 1, 500, nullptr);
}

int TStatusBar::PaneIndex(const std::string& name) const {
  for (size_t i = 0; i < panes_.size(); ++i)
    if (panes_[i].Name == name) return static_cast<int>(i);
  return -1;
}

bool TStatusBar::SetPaneText(int i, const std::string& text) {
  if (i < 0 || i >= static_cast<int>(panes_.size()) || panes_[i].Text == text) return false;
  panes_[i].Text = text;
  int x = 0;
  for (int k = 0; k < i; ++k) x += panes_[k].Width;
  RECT r = {x, 0, x + panes_[i].Width, height_};
  InvalidateRect(hwnd_, &r, FALSE);
  ++panes_[i].Repaints;
  return true;
}

void TStatusBar::Paint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  // Vertical gradient from white to the button face, one band per row
  // (drawn by hand: the gradient API is missing on the oldest systems).
  COLORREF top = RGB(255, 255, 255), bottom = GetSysColor(COLOR_BTNFACE);
  int h = std::max(1L, rc.bottom - rc.top);
  for (int y = 0; y < h; ++y) {
    auto mix = [&](int a, int b) { return a + (b - a) * y / std::max(1, h - 1); };
    HBRUSH band = CreateSolidBrush(RGB(mix(GetRValue(top), GetRValue(bottom)),
                                       mix(GetGValue(top), GetGValue(bottom)),
                                       mix(GetBValue(top), GetBValue(bottom))));
    RECT row = {rc.left, rc.top + y, rc.right, rc.top + y + 1};
    FillRect(dc, &row, band);
    DeleteObject(band);
  }
  HGDIOBJ of = SelectObject(dc, Fonts().Get(EffectiveFont()));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  int x = 0;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ op = SelectObject(dc, pen);
  for (const Pane& p : panes_) {
    RECT r = {x + 2, rc.top, x + p.Width - 2, rc.bottom};
    DrawTextA(dc, p.Text.c_str(), static_cast<int>(p.Text.size()), &r,
              (p.Left ? DT_LEFT : DT_CENTER) | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    x += p.Width;
    MoveToEx(dc, x - 1, rc.top + 2, nullptr);
    LineTo(dc, x - 1, rc.bottom - 2);
  }
  SelectObject(dc, op);
  DeleteObject(pen);
  SelectObject(dc, of);
  RECT grip = {rc.right - GetSystemMetrics(SM_CXVSCROLL), rc.top, rc.right, rc.bottom};
  DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

LRESULT CALLBACK TStatusBar::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto* self = dynamic_cast<TStatusBar*>(FromHandle(h));
  if (!self) return DefWindowProcA(h, m, w, l);
  switch (m) {
    case WM_TIMER:
      if (self->OnTimer) SafeCall(self->OnTimer);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      self->Paint(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_NCHITTEST: {  // the size grip sizes the form
      POINT pt = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      ScreenToClient(h, &pt);
      RECT rc;
      GetClientRect(h, &rc);
      if (pt.x >= rc.right - GetSystemMetrics(SM_CXVSCROLL) && !IsZoomed(GetAncestor(h, GA_ROOT)))
        return HTTRANSPARENT;
      break;
    }
    case WM_NCDESTROY:
      KillTimer(h, 1);
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      break;
  }
  return DefWindowProcA(h, m, w, l);
}

// ---------------------------------------------------------------- form

TForm::TForm() { fonts_ = &fontCache_; }

TForm::~TForm() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (tooltip_) DestroyWindow(tooltip_);
}

void TForm::CreateForm(const char* className, const std::string& caption, int clientW, int clientH) {
  WNDCLASSEXA wc = {sizeof wc};
  if (!GetClassInfoExA(Instance(), className, &wc)) {
    wc = {sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(Instance(), MAKEINTRESOURCE(1));
    if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
  }
  DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  DWORD ex = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
  RECT r = {0, 0, clientW, clientH};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  width_ = r.right - r.left, height_ = r.bottom - r.top;
  // The design position; centring overrides it when shown.
  hwnd_ = CreateWindowExA(ex, className, caption.c_str(), style, 235, 148, width_, height_, nullptr,
                          nullptr, Instance(), nullptr);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ApplyFont();
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, Instance(), nullptr);
}

void TForm::AddHint(TControl& c) {
  TTTOOLINFOA ti = {};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND;  // the control relays its mouse messages itself
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(c.Handle());
  ti.lpszText = const_cast<char*>(c.Hint().c_str());
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  c.hintTip_ = tooltip_;
  if (!c.previousProc_) c.Subclass();
}

void TForm::CenterOnDesktop() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int dx = GetSystemMetrics(SM_XVIRTUALSCREEN), dy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int dw = GetSystemMetrics(SM_CXVIRTUALSCREEN), dh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  int x = std::max(dx, dx + (dw - w) / 2), y = std::max(dy, dy + (dh - h) / 2);
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Paint(HDC dc, const RECT& rc) { FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE)); }


}  // namespace ui

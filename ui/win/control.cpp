#include "ui/win/control.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "base/text.h"
#include "ui/win/app.h"

namespace ui {

static_assert(sizeof(WNDCLASSEXA) == (sizeof(void*) == 8 ? 80 : 48), "");

namespace {

// Our windows and their objects. A map rather than the window's user data:
// a window of someone else's class can carry any value there, and a control
// that another (an up-down's buddy) subclasses no longer runs our procedure.
std::unordered_map<HWND, TControl*>& Links() {
  static std::unordered_map<HWND, TControl*> links;
  return links;
}

// The control whose window is being created, and the hook that watches for it.
struct Creation {
  TControl* control;
  HHOOK hook;
};
Creation* g_creation = nullptr;

}  // namespace

// ---------------------------------------------------------------- helpers

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

std::string WindowText(HWND h) {
  int n = GetWindowTextLengthA(h);
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n) + 1, '\0');
  // On double-byte systems the length may exceed the text: what is copied counts.
  int got = GetWindowTextA(h, &s[0], n + 1);
  s.resize(got > 0 ? static_cast<size_t>(std::min(got, n)) : 0);
  return s;
}

std::string ItemText(HWND h, UINT lengthMessage, UINT textMessage, int i) {
  const LRESULT n = SendMessageA(h, lengthMessage, i, 0);
  if (n < 0) return std::string();  // LB_ERR, CB_ERR
  std::string s(static_cast<size_t>(n) + 1, '\0');
  // As for window texts, the length may be more than the text's.
  const LRESULT got = SendMessageA(h, textMessage, i, reinterpret_cast<LPARAM>(&s[0]));
  s.resize(got > 0 ? static_cast<size_t>(std::min(got, n)) : 0);
  return s;
}

// As GetAncestor(GA_ROOT), which Windows 95 lacks: up the parents while the
// window is a child (a top-level window's GetParent is its owner).
HWND RootWindow(HWND h) {
  while (h && (GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) h = GetParent(h);
  return h;
}

void TControl::RegisterOwnClass(const char* name, UINT style, HBRUSH background, HICON icon) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(Instance(), name, &wc)) return;
  wc = {};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = TControl::ClassProc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = icon;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (!RegisterClassExA(&wc))
    throw std::runtime_error(base::Format("ウィンドウ クラス %s を登録できません", name));
}

// ---------------------------------------------------------------- fonts

bool FontSpec::operator<(const FontSpec& o) const {
  return std::tie(face, height, bold, charset, color) <
         std::tie(o.face, o.height, o.bold, o.charset, o.color);
}

COLORREF TextColorOf(const FontSpec& f) {
  return f.color == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : f.color;
}

HFONT FontCache::Get(const FontSpec& f) {
  auto it = fonts_.find(f);
  if (it != fonts_.end()) return it->second.get();
  LOGFONTA lf = {};
  lf.lfHeight = -ScaleTo(f.height, dpi_);  // negative: character height
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = f.charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(lf.lfFaceName, f.face.c_str(), LF_FACESIZE);
  HFONT h = CreateFontIndirectA(&lf);
  if (!h) throw std::runtime_error(base::Format("フォント %s を作成できません", f.face.c_str()));
  fonts_.emplace(f, Font(h));
  return h;
}

// ---------------------------------------------------------------- TControl

TControl::~TControl() {
  if (hwnd_) Unlink();
}

TControl* TControl::FromHandle(HWND h) {
  auto it = Links().find(h);
  return it == Links().end() ? nullptr : it->second;
}

void TControl::Link(HWND h) {
  hwnd_ = h;
  Links()[h] = this;
  // A common control is switched over to our procedure; ours already use it.
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC));
  if (proc != ClassProc)
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ClassProc)));
}

void TControl::Unlink() {
  Links().erase(hwnd_);
  if (previousProc_) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
  previousProc_ = nullptr;
  hwnd_ = nullptr;
}

// Links the window as soon as it exists, before its WM_NCCREATE, and
// switches a common control over to our procedure; the creation parameter
// tells our window from those a control makes inside itself.
LRESULT CALLBACK TControl::CreationHook(int code, WPARAM w, LPARAM l) {
  Creation* c = g_creation;
  if (code == HCBT_CREATEWND && c && c->control &&
      reinterpret_cast<CBT_CREATEWNDA*>(l)->lpcs->lpCreateParams == c->control) {
    c->control->Link(reinterpret_cast<HWND>(w));
    c->control = nullptr;
  }
  return CallNextHookEx(c ? c->hook : nullptr, code, w, l);
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
  if (!brush_) brush_.reset(CreateSolidBrush(color_));
  return brush_.get();
}

HFONT TControl::FontHandle() { return fonts_->Get(EffectiveFont()); }

bool TControl::CreateWin(TControl* parent, const char* cls, const std::string& text, DWORD style,
                         DWORD exStyle) {
  parent_ = parent;
  if (parent) {
    fonts_ = parent->fonts_;
    parent->children_.push_back(this);
    style |= WS_CHILD | WS_VISIBLE;
    if (!parent->hwnd_) return false;  // its container's failure was shown
  }
  if (tabOrder_ >= 0) style |= WS_TABSTOP;
  struct Watch {
    Creation c;
    Creation* outer = g_creation;
    explicit Watch(TControl* self)
        : c{self, SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId())} {
      g_creation = &c;
    }
    ~Watch() {
      g_creation = outer;
      if (c.hook) UnhookWindowsHookEx(c.hook);
    }
  };
  try {
    HWND h;
    {
      Watch watch(this);
      h = CreateWindowExA(exStyle, cls, text.c_str(), style, Scale(left_), Scale(top_), Scale(width_),
                          Scale(height_), parent ? parent->hwnd_ : nullptr, nullptr, Instance(), this);
    }
    if (!h) {
      if (hwnd_) Unlink();  // linked by the hook, then refused
      throw std::runtime_error(base::Format("ウィンドウ %s (%s) を作成できません", Name.c_str(), cls));
    }
    if (!hwnd_) Link(h);  // no hook could be set: linked late, but linked
    ApplyFont();
    return true;
  } catch (...) {
    if (!parent) throw;
    if (hwnd_) DestroyWindow(hwnd_);
    ShowCurrentException();
    return false;
  }
}

void TControl::ApplyDpi() {
  if (!hwnd_) return;
  if (align_ == Align::None) MoveWindow(hwnd_, Scale(left_), Scale(top_), Scale(width_), Scale(height_), TRUE);
  ApplyFont();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT TControl::DefaultProc(UINT m, WPARAM w, LPARAM l) {
  return previousProc_ ? CallWindowProcA(previousProc_, hwnd_, m, w, l) : DefWindowProcA(hwnd_, m, w, l);
}

LRESULT TControl::WndProc(UINT m, WPARAM w, LPARAM l) { return DefaultProc(m, w, l); }

LRESULT CALLBACK TControl::ClassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_NCCREATE && !FromHandle(h))
    if (auto* self = static_cast<TControl*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams))
      self->Link(h);
  TControl* self = FromHandle(h);
  if (!self) return DefWindowProcA(h, m, w, l);
  if (self->hintTip_ && m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) {
    MSG msg = {h, m, w, l, 0, {0, 0}};
    SendMessageA(self->hintTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  }
  LRESULT result = 0;
  // An error never unwinds into the system's code: it ends this message
  // and goes to the error box, as a click handler's does.
  try {
    result = self->WndProc(m, w, l);
  } catch (...) {
    ShowCurrentException();
  }
  if (m == WM_NCDESTROY) self->Unlink();
  return result;
}

void TControl::ApplyFont() {
  if (hwnd_ && fonts_) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
}

// ---------------------------------------------------------------- paint throttle

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

}  // namespace ui

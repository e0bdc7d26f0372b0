// The base of our widget layer: every control is a real child window whose
// window text is its caption or content; the form object owns the C++
// side, the parent window owns the HWND.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "ui/win/dpi.h"
#include "ui/win/gdi.h"

namespace ui {

enum class Align { None, Top, Bottom, Client };

struct FontSpec {
  std::string face;
  int height = 0;  // character height in pixels at 96 per inch
  bool bold = false;
  BYTE charset = DEFAULT_CHARSET;
  COLORREF color = CLR_INVALID;  // CLR_INVALID: the system window-text colour
  bool operator<(const FontSpec& o) const;
};

// The text colour of a font: its own, else the system window-text colour.
COLORREF TextColorOf(const FontSpec& f);

// Owns every font the form's controls use at one display scale; released
// with the form, or when the form moves to another scale.
class FontCache {
 public:
  explicit FontCache(int dpi = kDesignDpi) : dpi_(dpi) {}
  FontCache(FontCache&&) = default;
  FontCache& operator=(FontCache&&) = default;
  int Dpi() const { return dpi_; }
  // Raises std::runtime_error when the system cannot make the font.
  HFONT Get(const FontSpec& f);

 private:
  int dpi_;
  std::map<FontSpec, Font> fonts_;
};

HINSTANCE Instance();
std::string WindowText(HWND h);
// Item i's text from a list or combo box, by its length and text messages;
// empty when there is no such item.
std::string ItemText(HWND h, UINT lengthMessage, UINT textMessage, int i);
// The top-level window that h belongs to.
HWND RootWindow(HWND h);

class TControl {
 public:
  TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  virtual ~TControl();

  std::string Name;
  HWND Handle() const { return hwnd_; }
  TControl* Parent() const { return parent_; }

  std::string Text() const;
  void SetText(const std::string& s);
  bool Enabled() const;
  void SetEnabled(bool on);
  RECT Bounds() const;  // relative to the parent's client area
  // Places the window, in pixels; the design place stays as it was.
  void SetBounds(int left, int top, int width, int height);
  int TabOrder() const { return tabOrder_; }
  const std::string& Hint() const { return hint_; }
  Align GetAlign() const { return align_; }

  // Design settings, given before Create; sizes in pixels at 96 per inch.
  TControl& At(int left, int top, int width, int height);
  TControl& Docked(Align a) { align_ = a; return *this; }
  TControl& WithFont(const FontSpec& f) { font_ = f; hasFont_ = true; return *this; }
  TControl& WithColor(COLORREF c) { color_ = c; hasColor_ = true; return *this; }
  TControl& WithHint(const std::string& h) { hint_ = h; return *this; }
  TControl& WithTabOrder(int n) { tabOrder_ = n; return *this; }

  const FontSpec& EffectiveFont() const;
  bool HasColor() const { return hasColor_; }
  COLORREF Color() const { return color_; }
  HBRUSH BackBrush();

  // The form's pixels per inch, and a design value at that scale.
  int Dpi() const { return fonts_ ? fonts_->Dpi() : kDesignDpi; }
  int Scale(int v) const { return ScaleTo(v, Dpi()); }
  // Lays the control out again at the form's scale: its place unless it is
  // docked, its font, and whatever else it sizes. The form calls it for every
  // control, parents first, when it moves to another scale.
  virtual void ApplyDpi();

  // Events the containers route here.
  virtual void OnCommand(WORD code) {}
  virtual bool OnNotify(NMHDR* nm, LRESULT& result) { return false; }
  virtual bool OnDrawItem(DRAWITEMSTRUCT* di) { return false; }
  // A key message for this control's form, before dialog navigation; true
  // when handled.
  virtual bool OnFormKey(const MSG& msg) { return false; }

  const std::vector<TControl*>& Children() const { return children_; }
  // The object of one of our windows; null for any other window.
  static TControl* FromHandle(HWND h);

 protected:
  // Creates the window under parent (a top-level window without one) at the
  // design place, scaled; text is the initial window text. The window is
  // linked to this object before its first message. Where the system refuses
  // a top-level window, raises std::runtime_error. A control it refuses is
  // shown in the error box and left without a window, so that whatever is
  // later asked of it does nothing and the rest of the form is built; one in
  // a container without a window stays without one too, unannounced.
  // Returns whether the window exists.
  bool CreateWin(TControl* parent, const char* cls, const std::string& text, DWORD style,
                 DWORD exStyle = 0);
  void ApplyFont();
  HFONT FontHandle();  // the effective font's handle
  // This control's messages; the default passes them on to the class's own
  // procedure. m may be rewritten before it is passed on.
  virtual LRESULT WndProc(UINT m, WPARAM w, LPARAM l);
  LRESULT DefaultProc(UINT m, WPARAM w, LPARAM l);
  // Registers a window class of ours, once, with ClassProc as its
  // procedure. Raises std::runtime_error when the system refuses it.
  static void RegisterOwnClass(const char* name, UINT style, HBRUSH background = nullptr,
                               HICON icon = nullptr);

  HWND hwnd_ = nullptr;
  TControl* parent_ = nullptr;
  std::vector<TControl*> children_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;  // the design place
  Align align_ = Align::None;
  FontSpec font_;
  bool hasFont_ = false;
  COLORREF color_ = 0;
  bool hasColor_ = false;
  Brush brush_;
  std::string hint_;
  int tabOrder_ = -1;
  FontCache* fonts_ = nullptr;  // the form's, found through the parent chain
  HWND hintTip_ = nullptr;      // the tooltip that this control's mouse messages go to

 private:
  void Link(HWND h);
  void Unlink();
  // The procedure of our own window classes; common controls are switched
  // over to it as they are created.
  static LRESULT CALLBACK ClassProc(HWND h, UINT m, WPARAM w, LPARAM l);
  static LRESULT CALLBACK CreationHook(int code, WPARAM w, LPARAM l);
  // The class's own procedure of a common control; null for our classes.
  WNDPROC previousProc_ = nullptr;

  friend class TWinContainer;
  friend class TForm;
};

// Holds back the painting of controls that change many times in a row:
// they repaint at most every intervalMs, and once more when it ends. Under
// Wine one paint of an edit or a rich edit costs about as much as an echo.
class PaintThrottle {
 public:
  PaintThrottle(std::vector<TControl*> controls, unsigned intervalMs);
  ~PaintThrottle();
  PaintThrottle(const PaintThrottle&) = delete;
  PaintThrottle& operator=(const PaintThrottle&) = delete;
  // After a change: shows it once the interval has passed, else holds it.
  void Changed();

 private:
  void Show();
  std::vector<TControl*> controls_;
  unsigned interval_;
  DWORD shown_;
};

}  // namespace ui

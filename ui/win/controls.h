// Our small widget layer over the Win32 common controls. Every control is a
// real child window whose window text is its caption or content; the form
// object owns the C++ side, the parent window owns the HWND.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ui {

enum class Align { None, Top, Bottom, Client };

struct FontSpec {
  std::string face;
  int height = 0;  // character height in pixels
  bool bold = false;
  BYTE charset = DEFAULT_CHARSET;
  COLORREF color = CLR_INVALID;  // CLR_INVALID: the system window-text colour
  bool operator<(const FontSpec& o) const;
};

// Owns every font the form's controls use; released with the form.
class FontCache {
 public:
  FontCache() = default;
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  ~FontCache();
  HFONT Get(const FontSpec& f);

 private:
  std::map<FontSpec, HFONT> fonts_;
};

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
  void SetBounds(int left, int top, int width, int height);
  int TabOrder() const { return tabOrder_; }
  const std::string& Hint() const { return hint_; }
  Align GetAlign() const { return align_; }

  // Design settings, given before Create.
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

  // Events the containers route here.
  virtual void OnCommand(WORD code) {}
  virtual bool OnNotify(NMHDR* nm, LRESULT& result) { return false; }
  virtual bool OnDrawItem(DRAWITEMSTRUCT* di) { return false; }

  const std::vector<TControl*>& Children() const { return children_; }
  static TControl* FromHandle(HWND h);

 protected:
  // Creates the window under parent; text is the initial window text.
  void CreateWin(TControl* parent, const char* cls, const std::string& text, DWORD style,
                 DWORD exStyle = 0);
  void ApplyFont();
  FontCache& Fonts();
  // Routes the window's messages through SubclassMessage first. A plain
  // window-procedure swap: comctl32's subclass chain looks its data up with a
  // window property on every message, which costs a server call under Wine.
  void Subclass();
  // True when the message is answered here with result; m may be rewritten
  // before the control's own procedure sees it.
  virtual bool SubclassMessage(UINT& m, WPARAM w, LPARAM l, LRESULT& result) { return false; }
  LRESULT CallPrevious(UINT m, WPARAM w, LPARAM l);

  HWND hwnd_ = nullptr;
  TControl* parent_ = nullptr;
  std::vector<TControl*> children_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  Align align_ = Align::None;
  FontSpec font_;
  bool hasFont_ = false;
  COLORREF color_ = 0;
  bool hasColor_ = false;
  HBRUSH brush_ = nullptr;
  std::string hint_;
  int tabOrder_ = -1;
  FontCache* fonts_ = nullptr;  // the form's, found through the parent chain
  WNDPROC previousProc_ = nullptr;
  HWND hintTip_ = nullptr;  // the tooltip that this control's mouse messages go to

 private:
  static LRESULT CALLBACK SubclassProc(HWND h, UINT m, WPARAM w, LPARAM l);

  friend class TWinContainer;
  friend class TForm;
};

// A window of our own class that routes its children's messages to them.
class TWinContainer : public TControl {
 public:
  void Create(TControl* parent);
  // Docked children stretch; the others keep their places.
  virtual void LayoutChildren();
  // Puts the children in tab order (the window Z-order).
  void ApplyTabOrder();
  static void ApplyTabOrderTo(const TControl& parent);

 protected:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l);
  virtual LRESULT WndProc(UINT m, WPARAM w, LPARAM l);
  virtual void Paint(HDC dc, const RECT& rc);
  HFONT font_handle_ = nullptr;
};

class TPanel : public TWinContainer {
 protected:
  void Paint(HDC dc, const RECT& rc) override;
};

class TTabSheet : public TWinContainer {
 public:
  std::string Caption;
};

// Tabs along the top; the sheets are its children.
class TPageControl : public TControl {
 public:
  void Create(TControl* parent);
  void AddSheet(TTabSheet& sheet, const std::string& caption);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  TTabSheet* Page(int i) const { return sheets_.at(i); }
  int PageCount() const { return static_cast<int>(sheets_.size()); }
  void LayoutSheets();
  // Ctrl+Tab and Ctrl+Shift+Tab step through the pages; true when msg was one.
  bool HandleTabKeys(const MSG& msg);
  bool OnNotify(NMHDR* nm, LRESULT& result) override;
  bool OnDrawItem(DRAWITEMSTRUCT* di) override;
  static constexpr int kTabHeight = 22;

 protected:
  bool SubclassMessage(UINT& m, WPARAM w, LPARAM l, LRESULT& result) override;

 private:
  std::vector<TTabSheet*> sheets_;
};

// Framed push button with hot tracking and an engraved caption.
class TStyledButton : public TControl {
 public:
  void Create(TControl* parent, const std::string& caption);
  std::function<void()> OnClick;
  void OnCommand(WORD code) override;
  bool OnDrawItem(DRAWITEMSTRUCT* di) override;
  bool Hot() const { return hot_; }
  void Click();  // as a user's press

  static constexpr COLORREF kFrame = RGB(0, 60, 116);
  static constexpr COLORREF kFace = RGB(244, 244, 240);

 protected:
  bool SubclassMessage(UINT& m, WPARAM w, LPARAM l, LRESULT& result) override;

 private:
  bool hot_ = false;
};

class TButton : public TControl {
 public:
  void Create(TControl* parent, const std::string& caption);
  std::function<void()> OnClick;
  void OnCommand(WORD code) override;
  void Click();
};

// Label that sizes itself to its caption and draws it engraved.
class TLabel : public TControl {
 public:
  void Create(TControl* parent, const std::string& caption);
  std::string Caption() const { return Text(); }
  void SetCaption(const std::string& s);
  bool OnDrawItem(DRAWITEMSTRUCT* di) override;

 private:
  void AutoSize();
};

// Whole numbers 0..255, right-aligned.
class TNumEdit : public TControl {
 public:
  void Create(TControl* parent);
  void OnCommand(WORD code) override;
  int Value() const;  // 0 when empty
  static constexpr int kMax = 255;

 private:
  bool fixing_ = false;
};

// Integer edit with up-down arrows; no bound.
class TSpinEdit : public TControl {
 public:
  void Create(TControl* parent, int value);
  int Value() const;  // 0 when the text is not a whole number
  void SetValue(int v);
  HWND UpDown() const { return updown_; }
  bool OnNotify(NMHDR* nm, LRESULT& result) override;

 private:
  HWND updown_ = nullptr;
};

class TComboBox : public TControl {
 public:
  void Create(TControl* parent, const std::vector<std::string>& items, const std::string& text,
              int itemHeight);
  int Count() const;
  std::string Item(int i) const;
  void SetItemIndex(int i);
};

class TListBox : public TControl {
 public:
  void Create(TControl* parent, int itemHeight);
  int Add(const std::string& text, void* data);
  void Insert(int index, const std::string& text, void* data);
  int Count() const;
  std::string Item(int i) const;
  void* Data(int i) const;
  int ItemIndex() const;
  void SetItemIndex(int i);
  void Clear();
  std::function<void()> OnDblClick;
  void OnCommand(WORD code) override;
  bool OnDrawItem(DRAWITEMSTRUCT* di) override;
};

class TListView : public TControl {
 public:
  void Create(TControl* parent, const std::vector<int>& columnWidths);
  int ColumnCount() const;
  std::string ColumnCaption(int i) const;
  void SetColumnCaption(int i, const std::string& s);
  int ColumnWidth(int i) const;
  void Clear();
  int Count() const;
  // Adds a row: cells[0] is the item caption, the rest its sub-items.
  int AddRow(const std::vector<std::string>& cells);
  std::string Cell(int row, int col) const;
};

// Plain-text rich edit, read-only, with an optional pop-up menu.
class TRichEdit : public TControl {
 public:
  struct MenuItem {
    std::string Name, Caption;
    std::function<void()> OnClick;
  };
  void Create(TControl* parent);
  void Clear();
  void AppendLine(const std::string& line);
  std::vector<std::string> Lines() const;
  std::string AllText() const;  // lines joined by CR LF
  std::vector<MenuItem> PopupMenu;
  void ShowPopup(int x, int y);  // screen coordinates; runs the chosen item

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

class TMemo : public TControl {
 public:
  void Create(TControl* parent);
  void SetLines(const std::string& text);  // any line ends
};

// Gradient status bar: the clock, three key-state panes and a notice.
class TStatusBar : public TControl {
 public:
  struct Pane {
    std::string Name;
    int Width;
    bool Left;  // left-aligned text (else centred)
    std::string Text;
    unsigned Repaints = 0;
  };
  ~TStatusBar() override;
  void Create(TControl* parent, std::vector<Pane> panes);
  const std::vector<Pane>& Panes() const { return panes_; }
  int PaneIndex(const std::string& name) const;
  // Sets a pane's text; repaints only when it changed. Returns whether it did.
  bool SetPaneText(int i, const std::string& text);
  std::function<void()> OnTimer;  // every 500 ms
  unsigned Repaints(int pane) const { return panes_.at(pane).Repaints; }

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  void Paint(HDC dc);
  std::vector<Pane> panes_;
};

// The top-level form: owns the fonts, the tool tips and routes events.
class TForm : public TWinContainer {
 public:
  TForm();
  ~TForm() override;
  void CreateForm(const char* className, const std::string& caption, int clientW, int clientH);
  void AddHint(TControl& c);
  // Centres on the whole desktop, never left of or above its top-left corner.
  void CenterOnDesktop();
  HWND ToolTip() const { return tooltip_; }

 protected:
  void Paint(HDC dc, const RECT& rc) override;

 private:
  FontCache fontCache_;
  HWND tooltip_ = nullptr;
};

}  // namespace ui

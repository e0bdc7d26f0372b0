// The gradient status bar: text panes from the left, a size grip at the
// right end, and a timer for panes that follow the clock or the keyboard.
#pragma once
#include <functional>
#include <vector>

#include "ui/win/control.h"

namespace ui {

class TStatusBar : public TControl {
 public:
  struct Pane {
    std::string Name;
    int Width;  // the design width; a pane that fits its text follows the text
    bool Left;  // left-aligned text (else centred)
    std::string Text;
    bool FitText = false;
    unsigned Repaints = 0;
  };
  ~TStatusBar() override;
  void Create(TControl* parent, std::vector<Pane> panes);
  const std::vector<Pane>& Panes() const { return panes_; }
  int PaneIndex(const std::string& name) const;
  int PaneWidth(int i) const { return widths_.at(i); }  // in pixels, as shown
  void ApplyDpi() override;
  // Sets a pane's text; repaints only when it changed. Returns whether it did.
  bool SetPaneText(int i, const std::string& text);
  std::function<void()> OnTimer;  // every 500 ms
  unsigned Repaints(int pane) const { return panes_.at(pane).Repaints; }

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;

 private:
  void Paint(HDC dc);
  void SizePanes();
  void SizePane(int i);
  int PaneLeft(int i) const;
  RECT GripRect() const;
  bool ShowsGrip() const;  // not while the window is maximised
  std::vector<Pane> panes_;
  std::vector<int> widths_;
};

}  // namespace ui

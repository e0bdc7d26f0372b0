// Edit boxes: the numeric edit for 0 to 255, the unbounded spin edit and
// the read-only memo.
#pragma once
#include "ui/win/control.h"

namespace ui {

// Whole numbers 0..255, right-aligned. Typed, pasted or set text that is
// not a whole number is refused, a larger one becomes 255; leading zeros go
// when the edit loses the focus.
class TNumEdit : public TControl {
 public:
  void Create(TControl* parent);
  void OnCommand(WORD code) override;
  int Value() const;  // 0 when empty
  // The text in the display format, without leading zeros.
  std::string DisplayText() const;
  // Shows the display format.
  void ShowDisplayText();
  static constexpr int kMax = 255;

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;

 private:
  void Replace(const std::string& text);
  void Paste();
  std::string accepted_;
  bool fixing_ = false;
};

class TSpinEdit;

// The arrows of a spin edit; their steps go to the edit.
class TUpDown : public TControl {
 public:
  void Create(TControl* parent, TControl& buddy);
  bool OnNotify(NMHDR* nm, LRESULT& result) override;
  void ApplyDpi() override;
  // The scroll bar's width at 96 pixels per inch.
  static constexpr int kDesignWidth = 17;

 private:
  void Attach();  // sized for the scale, then beside the buddy
  TControl* buddy_ = nullptr;
  TSpinEdit* spin_ = nullptr;
  friend class TSpinEdit;
};

// Integer edit with up-down arrows; no bound.
class TSpinEdit : public TControl {
 public:
  void Create(TControl* parent, int value);
  int Value() const;  // 0 when the text is not a whole number
  void SetValue(int v);
  HWND UpDown() const { return updown_.Handle(); }
  // One step of the arrows.
  void Step(int delta);

 private:
  TUpDown updown_;
};

class TMemo : public TControl {
 public:
  void Create(TControl* parent);
  void SetLines(const std::string& text);  // any line ends
};

}  // namespace ui

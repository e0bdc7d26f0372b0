// Windows of our own class that hold other controls and route their
// notifications to them: panels and tab pages.
#pragma once
#include "ui/win/control.h"

namespace ui {

class TWinContainer : public TControl {
 public:
  void Create(TControl* parent);
  // Docked children stretch; the others keep their places.
  virtual void LayoutChildren();
  void ApplyDpi() override;
  // Puts the children in tab order (the window Z-order).
  void ApplyTabOrder();
  static void ApplyTabOrderTo(const TControl& parent);

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;
  virtual void Paint(HDC dc, const RECT& rc);

 private:
  HFONT fontHandle_ = nullptr;
};

// A raised frame around its children.
class TPanel : public TWinContainer {
 protected:
  void Paint(HDC dc, const RECT& rc) override;
};

class TTabSheet : public TWinContainer {
 public:
  std::string Caption;
};

}  // namespace ui

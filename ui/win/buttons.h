// Push buttons: the plain system one and our framed, hot-tracking one.
#pragma once
#include <functional>

#include "ui/win/control.h"

namespace ui {

class TButton : public TControl {
 public:
  void Create(TControl* parent, const std::string& caption);
  std::function<void()> OnClick;
  void OnCommand(WORD code) override;
  void Click();  // as a user's press
};

// Framed push button with hot tracking and an engraved caption.
class TStyledButton : public TButton {
 public:
  void Create(TControl* parent, const std::string& caption);
  bool OnDrawItem(DRAWITEMSTRUCT* di) override;
  bool Hot() const { return hot_; }

  static constexpr COLORREF kFrame = RGB(0, 60, 116);
  static constexpr COLORREF kFace = RGB(244, 244, 240);

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;
  // Asks the system to say when the pointer leaves; false where it cannot.
  virtual bool TrackLeave();

 private:
  static constexpr UINT_PTR kLeaveTimer = 1;
  void SetHot(bool hot);
  bool hot_ = false;
};

}  // namespace ui

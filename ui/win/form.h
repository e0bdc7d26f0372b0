// The top-level form: owns the fonts and the tool tips, and gives its
// controls the keys that the message pumps see before dialog navigation.
#pragma once
#include "ui/win/container.h"

namespace ui {

class TForm : public TWinContainer {
 public:
  TForm();
  ~TForm() override;
  // Raises std::runtime_error when the window or its tool tips cannot be made.
  void CreateForm(const char* className, const std::string& caption, int clientW, int clientH);
  void AddHint(TControl& c);
  // Centres on the whole desktop, never left of or above its top-left corner.
  void CenterOnDesktop();
  HWND ToolTip() const { return tooltip_; }
  // A queued message for this form's windows, before it is dispatched: the
  // controls' keys (OnFormKey), then dialog navigation. True when handled.
  bool PreTranslate(MSG& msg);

 protected:
  void Paint(HDC dc, const RECT& rc) override;

 private:
  FontCache fontCache_;
  HWND tooltip_ = nullptr;
};

}  // namespace ui

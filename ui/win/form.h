// The top-level form: owns the fonts and the tool tips, gives its controls
// the keys that the message pumps see before dialog navigation, and lays
// them out at the display scale of the monitor it is on.
#pragma once
#include "ui/win/container.h"

namespace ui {

class TForm : public TWinContainer {
 public:
  TForm();
  ~TForm() override;
  // The client size is a design size. Raises std::runtime_error when the
  // window or its tool tips cannot be made.
  void CreateForm(const char* className, const std::string& caption, int clientW, int clientH);
  void AddHint(TControl& c);
  // Centres on the work area of the monitor nearest the window, never left
  // of or above its top-left corner.
  void CenterOnDesktop();
  // Everything laid out again at dpi, the window at the given place (the
  // one the system suggests for a move to a monitor of another scale).
  void Rescale(int dpi, const RECT& window);
  void ApplyDpi() override;
  HWND ToolTip() const { return tooltip_; }
  // A queued message for this form's windows, before it is dispatched: the
  // controls' keys (OnFormKey), then dialog navigation. True when handled.
  bool PreTranslate(MSG& msg);

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;
  void Paint(HDC dc, const RECT& rc) override;

 private:
  void FitClientArea(int w, int h);  // in pixels
  FontCache fontCache_;
  HWND tooltip_ = nullptr;
};

}  // namespace ui

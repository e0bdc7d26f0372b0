// A rich-text box used as plain read-only text, with an optional pop-up menu.
#pragma once
#include <functional>
#include <vector>

#include "ui/win/control.h"

namespace ui {

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

  void ApplyDpi() override;

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;

 private:
  void ApplyCharFormat();
};

}  // namespace ui

// A label that sizes itself to its caption and draws it engraved.
#pragma once
#include "ui/win/control.h"

namespace ui {

class TLabel : public TControl {
 public:
  void Create(TControl* parent, const std::string& caption);
  std::string Caption() const { return Text(); }
  void SetCaption(const std::string& s);
  bool OnDrawItem(DRAWITEMSTRUCT* di) override;
  void ApplyDpi() override;

 private:
  void AutoSize();
};

}  // namespace ui

// The editable combo box with its drop-down list.
#pragma once
#include <vector>

#include "ui/win/control.h"

namespace ui {

class TComboBox : public TControl {
 public:
  void Create(TControl* parent, const std::vector<std::string>& items, const std::string& text,
              int itemHeight);
  int Count() const;
  std::string Item(int i) const;
  void SetItemIndex(int i);
  void ApplyDpi() override;

 private:
  void SizeItems();
  int itemHeight_ = 0;  // design
};

}  // namespace ui

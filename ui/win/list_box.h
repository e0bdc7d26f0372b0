// A single-selection list of text items, each with attached data, drawn
// by us in the control's font and colour.
#pragma once
#include <functional>

#include "ui/win/control.h"

namespace ui {

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
  void ApplyDpi() override;

 private:
  int itemHeight_ = 0;  // design
};

}  // namespace ui

// A single-selection list of text items, each with an attached number,
// drawn by us in the control's font and colour.
#pragma once
#include <cstdint>
#include <functional>

#include "ui/win/control.h"

namespace ui {

class TListBox : public TControl {
 public:
  void Create(TControl* parent, int itemHeight);
  int Add(const std::string& text, std::intptr_t data);
  int Count() const;
  std::string Item(int i) const;
  // Any program can set it (LB_SETITEMDATA): the owner checks what it reads.
  // LB_ERR for no such item.
  std::intptr_t Data(int i) const;
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

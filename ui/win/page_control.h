// Tabs along the top; the tab pages are its children.
#pragma once
#include <vector>

#include "ui/win/container.h"

namespace ui {

class TPageControl : public TControl {
 public:
  void Create(TControl* parent);
  void AddSheet(TTabSheet& sheet, const std::string& caption);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  TTabSheet* Page(int i) const { return sheets_.at(i); }
  int PageCount() const { return static_cast<int>(sheets_.size()); }
  void LayoutSheets();
  void ApplyDpi() override;
  // Ctrl+Tab and Ctrl+Shift+Tab step through the pages.
  bool OnFormKey(const MSG& msg) override;
  bool OnNotify(NMHDR* nm, LRESULT& result) override;
  bool OnDrawItem(DRAWITEMSTRUCT* di) override;
  static constexpr int kTabHeight = 22;

 protected:
  LRESULT WndProc(UINT m, WPARAM w, LPARAM l) override;

 private:
  void SizeTabs();
  std::vector<TTabSheet*> sheets_;
};

}  // namespace ui

// A report-style list view: rows of cells under fixed columns.
#pragma once
#include <vector>

#include "ui/win/control.h"

namespace ui {

class TListView : public TControl {
 public:
  void Create(TControl* parent, const std::vector<int>& columnWidths);
  int ColumnCount() const;
  std::string ColumnCaption(int i) const;
  void SetColumnCaption(int i, const std::string& s);
  int ColumnWidth(int i) const;
  void Clear();
  int Count() const;
  // Adds a row: cells[0] is the item caption, the rest its sub-items.
  int AddRow(const std::vector<std::string>& cells);
  std::string Cell(int row, int col) const;
  void ApplyDpi() override;

 private:
  std::vector<int> widths_;  // design
};

}  // namespace ui

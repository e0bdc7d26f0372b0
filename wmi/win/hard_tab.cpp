// HARD tab: one WMI request shown with properties as rows, instances as
// columns.
#include "app/win/main.h"
#include "ui/win/app.h"
#include "wmi/wmiquery.h"

namespace {

const std::string& CellOf(const WmiResultGrid& t, size_t row, size_t col) {
  static const std::string empty;
  return row < t.size() && col < t[row].size() ? t[row][col] : empty;
}

}  // namespace

void TForm1::doGetClassClick(TObject*) {
  doGetClass.SetEnabled(false);
  const ui::TCursor saved = ui::ScreenCursor();
  ui::SetScreenCursor(ui::TCursor::HourGlass);
  // Button and cursor come back however the request ends.
  struct Restore {
    TForm1& f;
    ui::TCursor cursor;
    ~Restore() {
      f.doGetClass.SetEnabled(true);
      ui::SetScreenCursor(cursor);
    }
  } restore{*this, saved};

  ListView1.Clear();
  ui::ProcessMessages();  // the emptied list and the hourglass are drawn first

  WmiResultGrid t;
  int n = 0;
  std::string error;
  const int r = RunWmiQuery(*Wmi, "", "", "", "", edtClass.Text(), t, n, error);
  if (r > 0) {
    const int m = ListView1.ColumnCount();
    if (n >= m) n = m - 1;
    for (int k = 0; k <= n; ++k) ListView1.SetColumnCaption(k, CellOf(t, static_cast<size_t>(k), 0));
    // A later instance may report more properties than the first named;
    // those have neither name nor values in the table.
    const int named = t.empty() ? 0 : static_cast<int>(t[0].size()) - 1;
    const int rows = r < named ? r : named;
    for (int p = 1; p <= rows; ++p) {
      std::vector<std::string> cells;
      cells.reserve(static_cast<size_t>(n) + 1);
      for (int k = 0; k <= n; ++k) cells.push_back(CellOf(t, static_cast<size_t>(k), static_cast<size_t>(p)));
      ListView1.AddRow(cells);
    }
  } else if (r == -1) {
    Wmi->Beep(0);
  }
}

// The DIALOG tab: the catalogue list, sorted by name, and its launcher.
#include <memory>
#include <vector>

#include "app/win/main.h"
#include "launcher/catalogue.h"
#include "launcher/win/shell.h"

void TForm1::AddTool(const std::string& name, const std::string& command) {
  auto copy = std::make_unique<std::string>(command);
  if (ListBox1.Add(name, copy.get()) >= 0) copy.release();  // the item owns it now
}

void TForm1::FormCreate(TObject*) {
  for (const launcher::ToolRow& row : launcher::kToolRows) AddTool(row.name, launcher::ToolCommand(row));
  ListBox1.SetItemIndex(0);
  SortToolList();
}

// The list control sorts only as items arrive, so the items are taken out,
// ordered and put back with their commands.
void TForm1::SortToolList() {
  std::vector<launcher::ListEntry> entries;
  for (int i = 0, n = ListBox1.Count(); i < n; ++i) entries.push_back({ListBox1.Item(i), ListBox1.Data(i)});
  ListBox1.Clear();  // the commands are in `entries` until they are put back
  launcher::SortEntries(entries, launcher::CompareNamesInUserLocale);
  for (const launcher::ListEntry& e : entries)
    if (ListBox1.Add(e.name, e.data) < 0) delete static_cast<std::string*>(e.data);
  ListBox1.SetItemIndex(0);
}

void TForm1::FormDestroy(TObject*) {
  const int n = ListBox1.Count();
  for (int i = 0; i < n; ++i) delete static_cast<std::string*>(ListBox1.Data(i));
  ListBox1.Clear();  // no item may point at a released text
}

void TForm1::ListBox1DblClick(TObject*) {
  const int i = ListBox1.ItemIndex();
  if (i < 0) return;
  const auto* command = static_cast<const std::string*>(ListBox1.Data(i));
  if (command) launcher::LaunchCommand(*Shell, *command);
}

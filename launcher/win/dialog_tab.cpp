// The DIALOG tab: the catalogue list, sorted by name, and its launcher.
#include <vector>

#include "app/win/main.h"
#include "launcher/catalogue.h"
#include "launcher/win/shell.h"

// Each item carries the index of its command in ToolCommands, never an
// address: any program can change an item's data, and what it sets can at
// worst pick another catalogue command.
void TForm1::AddTool(const std::string& name, const std::string& command) {
  ToolCommands.push_back(command);
  if (ListBox1.Add(name, static_cast<std::intptr_t>(ToolCommands.size() - 1)) < 0) ToolCommands.pop_back();
}

void TForm1::FormCreate(TObject*) {
  for (const launcher::ToolRow& row : launcher::kToolRows) AddTool(row.name, launcher::ToolCommand(row));
  ListBox1.SetItemIndex(0);
  SortToolList();
}

// The list control sorts only as items arrive, so the items are taken out,
// ordered and put back with their commands' indexes.
void TForm1::SortToolList() {
  std::vector<launcher::ListEntry> entries;
  for (int i = 0, n = ListBox1.Count(); i < n; ++i) entries.push_back({ListBox1.Item(i), ListBox1.Data(i)});
  ListBox1.Clear();
  launcher::SortEntries(entries, launcher::CompareNamesInUserLocale);
  for (const launcher::ListEntry& e : entries) ListBox1.Add(e.name, e.data);
  ListBox1.SetItemIndex(0);
}

void TForm1::FormDestroy(TObject*) {
  ListBox1.Clear();
  ToolCommands.clear();
}

const std::string* TForm1::ToolCommandOf(int item) const {
  if (item < 0) return nullptr;
  const std::intptr_t row = ListBox1.Data(item);
  if (row < 0 || static_cast<std::size_t>(row) >= ToolCommands.size()) return nullptr;
  return &ToolCommands[static_cast<std::size_t>(row)];
}

void TForm1::ListBox1DblClick(TObject*) {
  if (const std::string* command = ToolCommandOf(ListBox1.ItemIndex())) launcher::LaunchCommand(*Shell, *command);
}

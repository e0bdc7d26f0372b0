// The DIALOG tab's fixed tool catalogue: display names and the command texts
// that start each settings page, console, wizard or utility.
#pragma once
#include <string>

namespace launcher {

// Put in front of the rows that start a program from the system folder.
extern const char kSystemFolderPrefix[];

struct ToolRow {
  const char* name;    // what the list shows
  bool prefixed;       // starts with kSystemFolderPrefix
  const char* base;    // the command, or its shared base piece
  const char* suffix;  // the page piece joined to base, or nullptr
};

constexpr int kToolCount = 163;
// In the order they are added to the list.
extern const ToolRow kToolRows[kToolCount];

// The row's command: the prefix where it applies, then the pieces joined
// with nothing between them.
std::string ToolCommand(const ToolRow& row);

}  // namespace launcher

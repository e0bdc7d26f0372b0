// Starting catalogue tools and power commands. The text work (trimming,
// splitting, the expansion buffer, the refused-start report) is here; the
// shell, the message box and the command runner sit behind ShellPlatform.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the launcher needs from the system; one Win32 implementation, fakes in tests.
class ShellPlatform {
 public:
  // One shell start, as the fields of a SHELLEXECUTEINFOA.
  struct Request {
    void* owner = nullptr;  // window handle, null for none
    unsigned mask = 0;
    std::string verb, file, parameters;  // passed as texts even when empty
    int show = 0;
  };

  virtual ~ShellPlatform() = default;
  // ExpandEnvironmentStringsA(source, buffer, size); returns its count.
  virtual unsigned ExpandStrings(const char* source, char* buffer, unsigned size) = 0;
  // ShellExecuteExA with the request; returns the request's hInstApp.
  virtual std::uintptr_t StartShell(const Request& r) = 0;
  // MessageBoxA owned by the application's window.
  virtual void ShowBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
  // Lets the pending window messages run.
  virtual void RunPendingMessages() = 0;
  // WinExec(commandLine, show); returns its result.
  virtual unsigned RunCommand(const std::string& commandLine, int show) = 0;

  // Where a bare program name is looked for: GetSystemDirectoryA,
  // GetWindowsDirectoryA and PATH, each empty when unknown.
  struct ProgramFolders {
    std::string system, windows, path;
  };
  virtual ProgramFolders Folders() = 0;
  // Whether path names an existing file (not a folder).
  virtual bool FileExists(const std::string& path) = 0;
};

namespace launcher {

constexpr int kShowNormal = 5;             // SW_SHOW
constexpr unsigned kShellMask = 0x500;     // SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI
constexpr unsigned kBoxOk = 0;             // MB_OK, no icon
constexpr unsigned kExpandBufferSize = 260;
extern const char kRefusedText[];     // "表示できませんでした．"
extern const char kRefusedCaption[];  // "情報"

// The power tab's command lines.
extern const char kShutdownLine[];
extern const char kRestartLine[];
extern const char kTaskManagerLine[];
extern const char kAdministratorLine[];
extern const char kAutoLogonLine[];

struct SplitCommandText {
  std::string file, parameters;
};
// Trims the command, cuts it at the first blank and trims the parameters.
SplitCommandText SplitCommand(const std::string& command);

// The path with its environment references expanded through a 260-byte
// buffer; nothing when the expansion does not fit (never a cut path).
std::optional<std::string> ExpandEnvPath(ShellPlatform& p, const std::string& path);

// Starts file through the shell; a refused start (instance code 32 or less)
// shows the "情報" box. Returns the instance code.
std::uintptr_t ExecuteTool(ShellPlatform& p, void* owner, const std::string& file,
                           const std::string& parameters, const std::string& verb);

// The full path of a bare program name (no folder, drive or colon): the
// first file of that name in the system folder, the Windows folder, then the
// folders of PATH, with ".exe" added to a name without an extension. Never
// the program's own folder or the current folder, where the system's own
// search looks first and anyone may leave a file; relative PATH entries
// name the current folder too. Nothing when it is found nowhere.
std::optional<std::string> FindSystemProgram(ShellPlatform& p, const std::string& name);

// The double-click on a catalogue entry: split, expand the file part only,
// find a bare program name, start. A file part too long to expand, or a
// program found nowhere, counts as a refused start.
void LaunchCommand(ShellPlatform& p, const std::string& command);

// A power button: the command line's program found by FindSystemProgram and
// run by its full path, quoted, with the arguments as they are; nothing is
// run (and nothing said) when it is found nowhere, as with a missing program.
void RunPowerCommand(ShellPlatform& p, const std::string& commandLine);

// A list item as the DIALOG list holds it: its name and its attached data.
struct ListEntry {
  std::string name;
  std::intptr_t data;
};
// Negative, zero or positive, like a collation comparison.
using NameCompare = std::function<int(const std::string&, const std::string&)>;
// Ascending by name; entries that compare equal keep their order.
void SortEntries(std::vector<ListEntry>& entries, const NameCompare& compare);

}  // namespace launcher

#include "launcher/launcher.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

namespace launcher {

const char kRefusedText[] = "表示できませんでした．";
const char kRefusedCaption[] = "情報";

const char kShutdownLine[] = "shutdown -s -t 0 -f";
const char kRestartLine[] = "shutdown -r -t 0 -f";
const char kTaskManagerLine[] = "taskmgr";
const char kAdministratorLine[] = "net user administrator /active:yes";
const char kAutoLogonLine[] = "control userpasswords2";

SplitCommandText SplitCommand(const std::string& command) {
  SplitCommandText r;
  const std::string s = base::Trim(command);
  const size_t blank = s.find(' ');
  if (blank == std::string::npos) {
    r.file = s;
  } else {
    r.file = s.substr(0, blank);
    r.parameters = base::Trim(s.substr(blank + 1));
  }
  return r;
}

std::optional<std::string> ExpandEnvPath(ShellPlatform& p, const std::string& path) {
  // Filled with non-NUL bytes so that a cut write without its terminator
  // cannot pass for a short path.
  char buffer[kExpandBufferSize];
  std::memset(buffer, 1, sizeof buffer);
  const unsigned count = p.ExpandStrings(path.c_str(), buffer, kExpandBufferSize);
  const void* end = std::memchr(buffer, 0, sizeof buffer);
  if (count == 0 || count > kExpandBufferSize || !end) return std::nullopt;
  return std::string(buffer, static_cast<size_t>(static_cast<const char*>(end) - buffer));
}

namespace {

void ReportRefused(ShellPlatform& p) { p.ShowBox(kRefusedText, kRefusedCaption, kBoxOk); }

}  // namespace

std::uintptr_t ExecuteTool(ShellPlatform& p, void* owner, const std::string& file,
                           const std::string& parameters, const std::string& verb) {
  ShellPlatform::Request r;
  r.owner = owner;
  r.mask = kShellMask;
  r.verb = verb;
  r.file = file;
  r.parameters = parameters;
  r.show = kShowNormal;
  const std::uintptr_t instance = p.StartShell(r);
  if (instance <= 32) {
    ReportRefused(p);
    return instance;
  }
  // The request asks for no process handle, so there is nothing to wait on;
  // keep the window responsive while the tool comes up.
  p.RunPendingMessages();
  return instance;
}

namespace {

bool IsBareName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos;
}

// "X:\..." or "\\server\...": a folder that does not depend on the current
// drive or folder.
bool IsAbsoluteFolder(const std::string& f) {
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (f.size() >= 2 && slash(f[0]) && slash(f[1])) return true;
  const char letter = static_cast<char>(f.empty() ? 0 : f[0] | 0x20);
  return f.size() >= 3 && letter >= 'a' && letter <= 'z' && f[1] == ':' && slash(f[2]);
}

std::string Unquoted(const std::string& s) {
  return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

}  // namespace

std::optional<std::string> FindSystemProgram(ShellPlatform& p, const std::string& name) {
  if (!IsBareName(name)) return std::nullopt;
  const std::string file = name.find('.') == std::string::npos ? name + ".exe" : name;
  const ShellPlatform::ProgramFolders f = p.Folders();
  std::vector<std::string> folders = {f.system, f.windows};
  for (size_t start = 0, end; start <= f.path.size(); start = end + 1) {
    end = std::min(f.path.find(';', start), f.path.size());
    folders.push_back(Unquoted(f.path.substr(start, end - start)));
  }
  for (const std::string& folder : folders) {
    if (!IsAbsoluteFolder(folder)) continue;
    const std::string path = base::JoinPath(folder, file);
    if (p.FileExists(path)) return path;
  }
  return std::nullopt;
}

void RunPowerCommand(ShellPlatform& p, const std::string& commandLine) {
  const size_t blank = commandLine.find(' ');
  const std::optional<std::string> program = FindSystemProgram(p, commandLine.substr(0, blank));
  if (!program) return;
  const std::string arguments = blank == std::string::npos ? "" : commandLine.substr(blank);
  p.RunCommand("\"" + *program + "\"" + arguments, kShowNormal);
}

void LaunchCommand(ShellPlatform& p, const std::string& command) {
  SplitCommandText parts = SplitCommand(command);
  std::optional<std::string> file = ExpandEnvPath(p, parts.file);
  // A path or a shell name ("Shell:::{...}") stays as it is.
  if (file && IsBareName(*file)) file = FindSystemProgram(p, *file);
  if (!file) {
    ReportRefused(p);
    return;
  }
  ExecuteTool(p, nullptr, *file, parts.parameters, std::string());
}

void SortEntries(std::vector<ListEntry>& entries, const NameCompare& compare) {
  std::stable_sort(entries.begin(), entries.end(), [&](const ListEntry& a, const ListEntry& b) {
    return compare(a.name, b.name) < 0;
  });
}

}  // namespace launcher

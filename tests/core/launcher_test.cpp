#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>

#include "launcher/catalogue.h"

using launcher::ExecuteTool;
using launcher::ExpandEnvPath;
using launcher::LaunchCommand;
using launcher::SplitCommand;

namespace {

// Expands %NAME% from its own table and records what would be started.
class FakeShell : public ShellPlatform {
 public:
  std::map<std::string, std::string> env = {{"SystemRoot", "C:\\Windows"}};
  // How a buffer that is too small is handled: like Windows (nothing
  // written, the needed size returned) or cut off without its terminator
  // while a too-small count comes back.
  bool cutOverflow = false;
  std::uintptr_t instance = 42;

  std::vector<Request> starts;
  struct Box {
    std::string text, caption;
    unsigned flags;
  };
  std::vector<Box> boxes;
  int pumps = 0;
  std::vector<std::string> calls;  // the order of platform calls

  unsigned ExpandStrings(const char* source, char* buffer, unsigned size) override {
    calls.push_back("expand");
    const std::string out = Expand(source);
    if (out.size() + 1 <= size) {
      std::memcpy(buffer, out.c_str(), out.size() + 1);
      return static_cast<unsigned>(out.size() + 1);
    }
    if (cutOverflow) {
      std::memcpy(buffer, out.data(), size);
      return size;
    }
    return static_cast<unsigned>(out.size() + 1);
  }
  std::uintptr_t StartShell(const Request& r) override {
    calls.push_back("start");
    starts.push_back(r);
    return instance;
  }
  void ShowBox(const std::string& text, const std::string& caption, unsigned flags) override {
    calls.push_back("box");
    boxes.push_back({text, caption, flags});
  }
  void RunPendingMessages() override {
    calls.push_back("pump");
    ++pumps;
  }
  std::vector<std::string> commands;
  unsigned RunCommand(const std::string& line, int) override {
    commands.push_back(line);
    return 33;
  }
  ProgramFolders folders = {"C:\\Windows\\System32", "C:\\Windows", ""};
  std::set<std::string> files;
  ProgramFolders Folders() override { return folders; }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }

 private:
  std::string Expand(const std::string& s) const {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
      size_t close = s[i] == '%' ? s.find('%', i + 1) : std::string::npos;
      if (close != std::string::npos) {
        auto it = env.find(s.substr(i + 1, close - i - 1));
        if (it != env.end()) {
          out += it->second;
          i = close + 1;
          continue;
        }
      }
      out += s[i++];
    }
    return out;
  }
};

std::string Row(int no) { return launcher::ToolCommand(launcher::kToolRows[no - 1]); }

}  // namespace

TEST(LauncherSplit, CatalogueExamples) {
  auto s = SplitCommand(Row(55));
  EXPECT_EQ("%SystemRoot%\\System32\\control.exe", s.file);
  EXPECT_EQ("/name Microsoft.System", s.parameters);

  s = SplitCommand(Row(40));
  EXPECT_EQ("rundll32.exe", s.file);
  EXPECT_EQ("shell32.dll,Control_RunDLL inetcpl.cpl,,0", s.parameters);

  s = SplitCommand(Row(42));
  EXPECT_EQ("rundll32.exe", s.file);
  EXPECT_EQ("shell32.dll, Control_RunDLL Cscui.dll,,0", s.parameters);

  s = SplitCommand(Row(25));
  EXPECT_EQ("Shell:::{2559a1f1-21d7-11d4-bdaf-00c04f60b9f0}", s.file);
  EXPECT_EQ("", s.parameters);

  s = SplitCommand(Row(22));
  EXPECT_EQ("%SystemRoot%\\System32\\taskkill", s.file);
  EXPECT_EQ("/im explorer.exe", s.parameters);

  s = SplitCommand(Row(8));
  EXPECT_EQ("%SystemRoot%\\System32\\odbcad32.exe", s.file);
  EXPECT_EQ("", s.parameters);

  s = SplitCommand(Row(3));
  EXPECT_EQ("%SystemRoot%\\System32\\cttune.exe", s.file);
  EXPECT_EQ("", s.parameters);
}

TEST(LauncherSplit, SuffixesReachTheParametersUnchanged) {
  EXPECT_EQ("/name Microsoft.WindowsUpdate", SplitCommand(Row(17)).parameters);
  EXPECT_EQ("/name Microsoft.WindowsUpdate /page pageUpdateHistory", SplitCommand(Row(18)).parameters);
  EXPECT_EQ(SplitCommand(Row(17)).file, SplitCommand(Row(18)).file);
  EXPECT_EQ("/name Microsoft.RegionalAndLanguageOptions /page", SplitCommand(Row(152)).parameters);
  EXPECT_EQ("/name Microsoft.RegionalAndLanguageOptions /page /p:\"keyboard",
            SplitCommand(Row(150)).parameters);
}

TEST(LauncherSplit, ControlCharactersAndInnerBlanks) {
  auto s = SplitCommand("\t\r\n  a.exe   x  y \x01");
  EXPECT_EQ("a.exe", s.file);
  EXPECT_EQ("x  y", s.parameters);
  s = SplitCommand("   ");
  EXPECT_EQ("", s.file);
  EXPECT_EQ("", s.parameters);
}

TEST(LauncherExpand, FileFitsOrIsRefusedWhole) {
  FakeShell sh;
  EXPECT_EQ("C:\\Windows\\System32\\x.exe", ExpandEnvPath(sh, "%SystemRoot%\\System32\\x.exe"));
  EXPECT_EQ("%Undefined%\\y.exe", ExpandEnvPath(sh, "%Undefined%\\y.exe"));

  // 259 bytes and the terminator fill the buffer exactly; one more does not fit.
  sh.env["Long"] = std::string(259 - 6, 'a');
  EXPECT_EQ(std::string(253, 'a') + "\\z.exe", ExpandEnvPath(sh, "%Long%\\z.exe"));
  sh.env["Long"] += 'a';
  EXPECT_FALSE(ExpandEnvPath(sh, "%Long%\\z.exe").has_value());
  sh.cutOverflow = true;
  EXPECT_FALSE(ExpandEnvPath(sh, "%Long%\\z.exe").has_value());
}

TEST(LauncherExecute, RequestAndSuccessfulStart) {
  FakeShell sh;
  int owner;
  EXPECT_EQ(42u, ExecuteTool(sh, &owner, "f.exe", "", ""));
  ASSERT_EQ(1u, sh.starts.size());
  const auto& r = sh.starts[0];
  EXPECT_EQ(&owner, r.owner);
  EXPECT_EQ(0x500u, r.mask);
  EXPECT_EQ(5, r.show);
  EXPECT_EQ("f.exe", r.file);
  EXPECT_EQ("", r.parameters);
  EXPECT_EQ("", r.verb);
  EXPECT_TRUE(sh.boxes.empty());
  EXPECT_EQ((std::vector<std::string>{"start", "pump"}), sh.calls);
}

TEST(LauncherExecute, RefusedStartsShowTheInformationBox) {
  for (std::uintptr_t code : {0u, 2u, 31u, 32u}) {
    FakeShell sh;
    sh.instance = code;
    EXPECT_EQ(code, ExecuteTool(sh, nullptr, "missing.exe", "", ""));
    ASSERT_EQ(1u, sh.boxes.size()) << code;
    EXPECT_EQ("\x95\x5c\x8e\xa6\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x44",
              sh.boxes[0].text);
    EXPECT_EQ("\x8f\xee\x95\xf1", sh.boxes[0].caption);
    EXPECT_EQ(0u, sh.boxes[0].flags);
    EXPECT_EQ(0, sh.pumps);
  }
  FakeShell sh;
  sh.instance = 33;
  ExecuteTool(sh, nullptr, "f.exe", "", "");
  EXPECT_TRUE(sh.boxes.empty());
}

TEST(LauncherLaunch, ExpandsOnlyTheFilePart) {
  FakeShell sh;
  LaunchCommand(sh, Row(55));
  LaunchCommand(sh, "%SystemRoot%\\notepad.exe %SystemRoot%\\win.ini ");
  ASSERT_EQ(2u, sh.starts.size());
  EXPECT_EQ("C:\\Windows\\System32\\control.exe", sh.starts[0].file);
  EXPECT_EQ("/name Microsoft.System", sh.starts[0].parameters);
  EXPECT_EQ(nullptr, sh.starts[0].owner);
  EXPECT_EQ("", sh.starts[0].verb);
  EXPECT_EQ("C:\\Windows\\notepad.exe", sh.starts[1].file);
  EXPECT_EQ("%SystemRoot%\\win.ini", sh.starts[1].parameters);
}

TEST(LauncherLaunch, BareProgramsComeFromTheSystemFoldersOnly) {
  FakeShell sh;
  // System folder, Windows folder, then the absolute folders of PATH: a
  // relative one (".", "tools", "C:") names the current folder.
  sh.folders.path = ".;tools;\"D:\\Quoted\\\";C:;\\\\srv\\share\\";
  sh.files = {"C:\\Windows\\taskmgr.exe", "C:\\Windows\\System32\\taskmgr.exe", "C:\\Windows\\net.exe",
              "tools\\shutdown.exe", "D:\\Quoted\\shutdown.exe", "C:control.exe", "\\\\srv\\share\\control.exe"};
  for (const char* line : {launcher::kTaskManagerLine, launcher::kAdministratorLine, launcher::kShutdownLine,
                           launcher::kAutoLogonLine})
    launcher::RunPowerCommand(sh, line);
  sh.files.clear();  // found nowhere: the power line runs nothing and says nothing, the row is refused
  launcher::RunPowerCommand(sh, launcher::kAutoLogonLine);
  LaunchCommand(sh, Row(40));
  EXPECT_EQ((std::vector<std::string>{"\"C:\\Windows\\System32\\taskmgr.exe\"",
                                      "\"C:\\Windows\\net.exe\" user administrator /active:yes",
                                      "\"D:\\Quoted\\shutdown.exe\" -s -t 0 -f",
                                      "\"\\\\srv\\share\\control.exe\" userpasswords2"}),
            sh.commands);
  EXPECT_TRUE(sh.starts.empty());
  EXPECT_EQ(1u, sh.boxes.size());
}

TEST(LauncherLaunch, OverlongFilePartIsARefusedStart) {
  FakeShell sh;
  sh.env["Deep"] = std::string(300, 'd');
  LaunchCommand(sh, "%Deep%\\tool.exe /x");
  EXPECT_TRUE(sh.starts.empty());
  ASSERT_EQ(1u, sh.boxes.size());
  EXPECT_EQ(launcher::kRefusedText, sh.boxes[0].text);
  EXPECT_EQ(launcher::kRefusedCaption, sh.boxes[0].caption);
}

TEST(LauncherSort, StableByTheGivenComparison) {
  std::vector<launcher::ListEntry> e = {{"beta", 0}, {"Alpha", 1}, {"BETA", 2}, {"alpha2", 3}};
  launcher::SortEntries(e, [](std::string x, std::string y) {
    for (auto* t : {&x, &y})
      for (char& ch : *t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return x.compare(y);
  });
  std::vector<std::string> names;
  for (const auto& x : e) names.push_back(x.name);
  EXPECT_EQ((std::vector<std::string>{"Alpha", "alpha2", "beta", "BETA"}), names);
  EXPECT_EQ(1, e[0].data);
  EXPECT_EQ(3, e[1].data);
  EXPECT_EQ(0, e[2].data);
  EXPECT_EQ(2, e[3].data);
}

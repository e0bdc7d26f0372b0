#include "launcher/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

using launcher::kToolCount;
using launcher::kToolRows;
using launcher::ToolCommand;

namespace {

// Rows are numbered from 1 in the order they are added.
std::string Command(int no) { return ToolCommand(kToolRows[no - 1]); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWith(const std::string& s, const std::string& head) { return s.compare(0, head.size(), head) == 0; }

}  // namespace

TEST(CatalogueTable, EveryRowIsComplete) {
  std::set<std::string> names;
  for (const auto& row : kToolRows) {
    ASSERT_NE(nullptr, row.name);
    ASSERT_NE(nullptr, row.base);
    EXPECT_STRNE("", row.name);
    EXPECT_STRNE("", row.base);
    names.insert(row.name);
  }
  EXPECT_EQ(163u, names.size()) << "display names must be distinct";
  EXPECT_STREQ("BitLockerドライブ暗号化", kToolRows[0].name);
}

TEST(CatalogueTable, SystemFolderPrefixAndItsExceptions) {
  int prefixed = 0, rundll = 0;
  std::vector<int> others;
  for (int no = 1; no <= kToolCount; ++no) {
    const std::string cmd = Command(no);
    if (kToolRows[no - 1].prefixed) {
      ++prefixed;
      EXPECT_TRUE(StartsWith(cmd, "%SystemRoot%\\System32\\")) << no;
    } else if (StartsWith(Lower(cmd), "rundll32.exe ")) {
      ++rundll;
    } else {
      others.push_back(no);
    }
    EXPECT_EQ(std::string::npos, cmd.find("%SystemRoot%", 1)) << no;
  }
  EXPECT_EQ(151, prefixed);
  EXPECT_EQ(11, rundll);
  EXPECT_EQ(std::vector<int>{25}, others);
}

TEST(CatalogueTable, JoinedRowsPerBaseCommand) {
  const std::map<std::string, int> expected = {
      {"control.exe /name Microsoft.Troubleshooting ", 10},
      {"control.exe /name Microsoft.UserAccounts ", 10},
      {"control.exe /name Microsoft.ActionCenter ", 9},
      {"control.exe /name Microsoft.RegionalAndLanguageOptions ", 4},
      {"control.exe /name Microsoft.WindowsUpdate ", 3},
      {"control.exe /name Microsoft.EaseOfAccessCenter ", 3},
      {"control.exe /name Microsoft.Personalization ", 3},
      {"control.exe /name Microsoft.PowerOptions ", 3},
      {"control.exe /name Microsoft.NetworkAndSharingCenter ", 2},
      {"control.exe /name Microsoft.DefaultPrograms ", 2},
      {"control.exe /name Microsoft.RemoteAppAndDesktopConnections ", 1},
      {"control.exe /name Microsoft.PerformanceInformationAndTools ", 1},
      {"control.exe ", 1},
  };
  std::map<std::string, int> counted;
  int joined = 0;
  for (int no = 1; no <= kToolCount; ++no) {
    const auto& row = kToolRows[no - 1];
    if (!row.suffix) continue;
    ++joined;
    ++counted[row.base];
    EXPECT_TRUE(row.prefixed) << no;
    const std::string suffix = row.suffix;
    if (std::string(row.base) == "control.exe ")
      EXPECT_EQ("/name Microsoft.Fonts ", suffix) << no;
    else
      EXPECT_TRUE(StartsWith(suffix, "/page")) << no;
  }
  EXPECT_EQ(52, joined);
  EXPECT_EQ(expected, counted);
}

TEST(CatalogueTable, OnlyTheTwoWallpaperRowsShareACommand) {
  std::map<std::string, std::vector<int>> byCommand;
  for (int no = 1; no <= kToolCount; ++no) byCommand[Command(no)].push_back(no);
  std::vector<std::vector<int>> shared;
  for (const auto& kv : byCommand)
    if (kv.second.size() > 1) shared.push_back(kv.second);
  ASSERT_EQ(1u, shared.size());
  EXPECT_EQ((std::vector<int>{72, 145}), shared[0]);
  EXPECT_EQ("%SystemRoot%\\System32\\control.exe /name Microsoft.Personalization /page pageWallpaper",
            Command(72));
}

TEST(CatalogueTable, RowsWithTrickyBlanksAndQuotes) {
  EXPECT_EQ("%SystemRoot%\\System32\\cttune.exe ", Command(3));
  EXPECT_EQ("%SystemRoot%\\System32\\odbcad32.exe", Command(8));
  EXPECT_EQ("%SystemRoot%\\System32\\taskkill /im explorer.exe ", Command(22));
  EXPECT_EQ("Shell:::{2559a1f1-21d7-11d4-bdaf-00c04f60b9f0} ", Command(25));
  EXPECT_EQ("rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0", Command(40));
  EXPECT_EQ("rundll32.exe shell32.dll, Control_RunDLL Cscui.dll,,0", Command(42));
  EXPECT_EQ("%SystemRoot%\\System32\\control.exe /name Microsoft.System ", Command(55));
  const std::string region = "%SystemRoot%\\System32\\control.exe /name Microsoft.RegionalAndLanguageOptions ";
  EXPECT_EQ(region + "/page /p:\"keyboard", Command(150));
  EXPECT_EQ(region + "/page /p:\"administrative\"", Command(151));
  EXPECT_EQ(region + "/page", Command(152));
  EXPECT_EQ(region + "/page /p:\"location\"", Command(153));
  EXPECT_EQ("%SystemRoot%\\System32\\control.exe /name Microsoft.Fonts ", Command(104));
  EXPECT_EQ(
      "%SystemRoot%\\System32\\control.exe /name Microsoft.UserAccounts /page "
      "pageAdminTasks\\pageTurnOnGuestAccount",
      Command(112));
}

TEST(CatalogueTable, NamesAreShiftJisBytes) {
  // "システム" and "Windows のバージョン情報" in code page 932.
  EXPECT_EQ("\x83\x56\x83\x58\x83\x65\x83\x80", std::string(kToolRows[54].name));
  EXPECT_EQ(std::string("Windows \x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x8f\xee\x95\xf1"),
            kToolRows[26].name);
}

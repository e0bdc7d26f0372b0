// Edition naming and the version number, from given version records.
#include <gtest/gtest.h>

#include <map>

#include "tests/core/hardinfo_fake.h"

using namespace hardinfo;

namespace {

struct Nt {
  Nt(uint32_t major, uint32_t minor, uint8_t productType = 1, uint16_t suite = 0, uint16_t arch = 0,
     uint32_t productCode = 0, bool r2 = false, std::string sp = "")
      : major(major), minor(minor), productType(productType), suite(suite), arch(arch),
        productCode(productCode), r2(r2), sp(std::move(sp)) {}
  uint32_t major, minor;
  uint8_t productType;
  uint16_t suite;
  uint16_t arch;
  uint32_t productCode;
  bool r2;
  std::string sp;
};

FakeHardInfo NtPlatform(const Nt& n) {
  FakeHardInfo f;
  f.version.PlatformId = kPlatformNT;
  f.version.MajorVersion = n.major;
  f.version.MinorVersion = n.minor;
  f.version.BuildNumber = 1234;
  f.version.CSDVersion = n.sp;
  f.ex.ProductType = n.productType;
  f.ex.SuiteMask = n.suite;
  f.si.ProcessorArchitecture = n.arch;
  f.productCode = n.productCode;
  f.r2 = n.r2;
  return f;
}

std::string NtName(const Nt& n) {
  FakeHardInfo f = NtPlatform(n);
  return GetOSName(f);
}

FakeHardInfo Platform9x(uint32_t minor, uint32_t build, const std::string& sp = "") {
  FakeHardInfo f;
  f.version.PlatformId = kPlatformWindows;
  f.version.MajorVersion = 4;
  f.version.MinorVersion = minor;
  f.version.BuildNumber = build;
  f.version.CSDVersion = sp;
  return f;
}

std::string Name9x(uint32_t minor, uint32_t lowBuild) {
  // The high word holds the version on this platform and must not count.
  FakeHardInfo f = Platform9x(minor, (4u << 24) | (minor << 16) | lowBuild);
  return GetOSName(f);
}

}  // namespace

TEST(HardInfoNtTable, Windows2000ByProductType) {
  EXPECT_EQ("Windows2000 Professional", NtName({5, 0, 1}));
  EXPECT_EQ("Windows2000 Server", NtName({5, 0, 2}));
  EXPECT_EQ("Windows2000 Server", NtName({5, 0, 3}));
}

TEST(HardInfoNtTable, XPAndServer2003OnMinorOne) {
  EXPECT_EQ("WindowsXP Home Edition", NtName({5, 1, 1, kSuitePersonal}));
  EXPECT_EQ("WindowsXP Professional", NtName({5, 1, 1, kSuiteEnterprise}));
  // No blank between the two pieces.
  EXPECT_EQ("WindowsServer 2003", NtName({5, 1, 3}));
  EXPECT_EQ("WindowsServer 2003", NtName({5, 1, 2, kSuitePersonal}));
}

TEST(HardInfoNtTable, MinorTwoWorkstation) {
  EXPECT_EQ("WindowsXP Professional x64 Edition", NtName({5, 2, 1, 0, kArchAMD64}));
  // Any other architecture falls to the generic path.
  EXPECT_EQ("WindowsNT5.2 WorkStation", NtName({5, 2, 1, 0, 0}));
  EXPECT_EQ("WindowsNT5.2 WorkStation", NtName({5, 2, 1, 0, kArchIA64}));
  EXPECT_EQ("WindowsNT5.2 Server", NtName({5, 2, 0}));
  EXPECT_EQ("WindowsNT5.2 Server", NtName({5, 2, 4}));
}

TEST(HardInfoNtTable, Server2003WithAndWithoutR2) {
  EXPECT_EQ("WindowsServer 2003 R2 Enterprise Edition",
            NtName({5, 2, 3, kSuiteEnterprise, 0, 0, true}));
  EXPECT_EQ("WindowsServer 2003 Enterprise Edition",
            NtName({5, 2, 3, kSuiteEnterprise, 0, 0, false}));
  EXPECT_EQ("WindowsServer 2003 Standard Edition", NtName({5, 2, 2}));
  EXPECT_EQ("WindowsServer 2003 R2 Standard x64 Edition [Service Pack 2]",
            NtName({5, 2, 2, 0, kArchAMD64, 0, true, "Service Pack 2"}));
}

TEST(HardInfoNtTable, MinorThreeAndAboveOfFiveIsGeneric) {
  EXPECT_EQ("WindowsNT5.3 WorkStation", NtName({5, 3, 1}));
  EXPECT_EQ("WindowsNT5.99 Server", NtName({5, 99, 3}));
}

TEST(HardInfoNtTable, VistaAndSevenByProductCodeAndArchitecture) {
  EXPECT_EQ("Windows Vista Ultimate", NtName({6, 0, 1, 0, 0, 1}));
  EXPECT_EQ("Windows Vista Business(x64)", NtName({6, 0, 1, 0, kArchAMD64, 6}));
  EXPECT_EQ("Windows 7 Home Premium(IA64)", NtName({6, 1, 1, 0, kArchIA64, 3}));
  // Unlisted code: nothing between the version and the suffix.
  EXPECT_EQ("Windows 7 (x64)", NtName({6, 1, 1, 0, kArchAMD64, 48}));
  EXPECT_EQ("Windows 7 Ultimate(x64) [Service Pack 1]",
            NtName({6, 1, 1, 0, kArchAMD64, 1, false, "Service Pack 1"}));
}

TEST(HardInfoNtTable, Server2008AndR2) {
  EXPECT_EQ("WindowsServer 2008 Standard Edition", NtName({6, 0, 3, 0, 0, 7}));
  EXPECT_EQ("WindowsServer 2008 Datacenter Edition(IA64)", NtName({6, 0, 2, 0, kArchIA64, 8}));
  EXPECT_EQ("WindowsServer 2008 R2 Enterprise Edition(x64)", NtName({6, 1, 3, 0, kArchAMD64, 10}));
  // A client code on a server names no edition.
  EXPECT_EQ("WindowsServer 2008 R2 ", NtName({6, 1, 3, 0, 0, 1}));
  // Suite bits play no part here.
  EXPECT_EQ("WindowsServer 2008 ", NtName({6, 0, 3, kSuiteDatacenter, 0, 0}));
}

TEST(HardInfoNtTable, SixTwoAndLaterIsGenericWithoutProductCode) {
  for (uint32_t minor : {2u, 3u}) {
    FakeHardInfo w = NtPlatform({6, minor, 1, 0, kArchAMD64, 1});
    EXPECT_EQ("WindowsNT6." + std::to_string(minor) + " WorkStation", GetOSName(w));
    EXPECT_TRUE(w.productCalls.empty());
    EXPECT_EQ(0, w.siCalls);
    EXPECT_EQ(2, w.exCalls);
    FakeHardInfo s = NtPlatform({6, minor, 3});
    EXPECT_EQ("WindowsNT6." + std::to_string(minor) + " Server", GetOSName(s));
  }
  EXPECT_EQ("WindowsNT10.0 WorkStation", NtName({10, 0, 1}));
  EXPECT_EQ("WindowsNT7.0 Server", NtName({7, 0, 3}));
}

TEST(HardInfoNtTable, NT4ProductWordOnlyWithServicePackSix) {
  EXPECT_EQ("WindowsNT4.0 WorkStation [Service Pack 6]", NtName({4, 0, 1, 0, 0, 0, false, "Service Pack 6"}));
  EXPECT_EQ("WindowsNT4.0 Server [Service Pack 6a]", NtName({4, 0, 3, 0, 0, 0, false, "Service Pack 6a"}));
  // The blank ending "NT4.0 " meets the blank opening the suffix.
  FakeHardInfo sp5 = NtPlatform({4, 0, 1, 0, 0, 0, false, "Service Pack 5"});
  EXPECT_EQ("WindowsNT4.0  [Service Pack 5]", GetOSName(sp5));
  EXPECT_EQ(0, sp5.exCalls);
  FakeHardInfo none = NtPlatform({4, 0, 1});
  EXPECT_EQ("WindowsNT4.0 ", GetOSName(none));
  EXPECT_EQ(0, none.exCalls);
}

TEST(HardInfoNtTable, NT351HasNoProductWord) {
  FakeHardInfo f = NtPlatform({3, 51, 1});
  EXPECT_EQ("WindowsNT3.51 ", GetOSName(f));
  EXPECT_EQ(0, f.exCalls);
  EXPECT_EQ(0, f.siCalls);
  EXPECT_TRUE(f.productCalls.empty());
}

TEST(HardInfoNtTable, QueriesOnlyWhereTheRowsMakeThem) {
  struct Row {
    Nt nt;
    int ex, si, product, r2;
  };
  const Row rows[] = {
      {{5, 0, 1}, 1, 0, 0, 0},                  // 2000
      {{5, 1, 1}, 1, 0, 0, 0},                  // XP
      {{5, 2, 1, 0, kArchAMD64}, 1, 1, 0, 0},   // XP x64
      {{5, 2, 1, 0, 0}, 2, 1, 0, 0},            // generic: E once more
      {{5, 2, 3}, 1, 1, 0, 1},                  // Server 2003 asks for R2 once
      {{5, 2, 2}, 1, 1, 0, 1},
      {{5, 3, 1}, 2, 0, 0, 0},
      {{6, 0, 1}, 1, 1, 1, 0},
      {{6, 1, 3}, 1, 1, 1, 0},
      {{6, 2, 1}, 2, 0, 0, 0},
      {{7, 0, 1}, 1, 0, 0, 0},
  };
  for (const Row& r : rows) {
    FakeHardInfo f = NtPlatform(r.nt);
    GetOSName(f);
    SCOPED_TRACE(std::to_string(r.nt.major) + "." + std::to_string(r.nt.minor) + " type " +
                 std::to_string(r.nt.productType));
    EXPECT_EQ(1, f.versionCalls);
    EXPECT_EQ(r.ex, f.exCalls);
    EXPECT_EQ(r.si, f.siCalls);
    EXPECT_EQ(r.product, static_cast<int>(f.productCalls.size()));
    EXPECT_EQ(r.r2, f.r2Calls);
  }
}

TEST(HardInfoNtTable, ProductCodeAskedWithZeroServicePack) {
  FakeHardInfo v = NtPlatform({6, 0, 1});
  GetOSName(v);
  ASSERT_EQ(1u, v.productCalls.size());
  EXPECT_EQ((std::vector<uint32_t>{6, 0, 0, 0}), v.productCalls[0]);
  FakeHardInfo s = NtPlatform({6, 1, 3, 0, 0, 0, false, "Service Pack 1"});
  GetOSName(s);
  ASSERT_EQ(1u, s.productCalls.size());
  EXPECT_EQ((std::vector<uint32_t>{6, 1, 0, 0}), s.productCalls[0]);
}

TEST(HardInfoNtTable, MissingFunctionsLeaveZeroFilledRecords) {
  // Without the extended query the product type reads 0: a server on every row.
  FakeHardInfo xp = NtPlatform({5, 1, 1, kSuitePersonal});
  xp.exFound = false;
  EXPECT_EQ("WindowsServer 2003", GetOSName(xp));
  FakeHardInfo x64 = NtPlatform({5, 2, 1, 0, kArchAMD64});
  x64.siFound = false;
  EXPECT_EQ("WindowsNT5.2 WorkStation", GetOSName(x64));
  FakeHardInfo seven = NtPlatform({6, 1, 1, 0, kArchAMD64, 1});
  seven.siFound = false;
  EXPECT_EQ("Windows 7 Ultimate", GetOSName(seven));
}

TEST(HardInfoServer2003Edition, ArchitectureThenSuiteFirstMatchWins) {
  const uint16_t both = kSuiteDatacenter | kSuiteEnterprise;
  EXPECT_EQ("Datacenter Edition", Server2003EditionName(0, both));
  EXPECT_EQ("Datacenter Edition", Server2003EditionName(0, kSuiteDatacenter | kSuiteBlade));
  EXPECT_EQ("Enterprise Edition", Server2003EditionName(0, kSuiteEnterprise | kSuiteBlade));
  EXPECT_EQ("Web Edition", Server2003EditionName(0, kSuiteBlade));
  EXPECT_EQ("Standard Edition", Server2003EditionName(0, 0));
  EXPECT_EQ("Standard Edition", Server2003EditionName(0, kSuitePersonal));

  EXPECT_EQ("Datacenter x64 Edition", Server2003EditionName(kArchAMD64, both));
  EXPECT_EQ("Enterprise x64 Edition", Server2003EditionName(kArchAMD64, kSuiteEnterprise));
  // The blade bit counts only on the last row.
  EXPECT_EQ("Standard x64 Edition", Server2003EditionName(kArchAMD64, kSuiteBlade));
  EXPECT_EQ("Standard x64 Edition", Server2003EditionName(kArchAMD64, 0));

  EXPECT_EQ("Datacenter Edition for Itanium-based Systems", Server2003EditionName(kArchIA64, both));
  EXPECT_EQ("Enterprise Edition for Itanium-based Systems",
            Server2003EditionName(kArchIA64, kSuiteEnterprise));
  EXPECT_EQ("Standard Edition for Itanium-based Systems", Server2003EditionName(kArchIA64, kSuiteBlade));
  // Other architectures (x86 0, ARM 5, unknown 0xFFFF) take the last row.
  EXPECT_EQ("Web Edition", Server2003EditionName(5, kSuiteBlade));
  EXPECT_EQ("Enterprise Edition", Server2003EditionName(0xFFFF, kSuiteEnterprise));
}

TEST(HardInfoProductCodes, ClientTableAndNeighbours) {
  const std::map<uint32_t, std::string> listed = {
      {1, "Ultimate"},      {2, "Home Basic"}, {3, "Home Premium"},     {4, "Enterprise Edition"},
      {5, "Home Basic N"},  {6, "Business"},   {11, "Starter Edition"}, {16, "Business N"}};
  for (uint32_t code = 0; code <= 40; ++code) {
    auto it = listed.find(code);
    EXPECT_EQ(it == listed.end() ? "" : it->second, ClientEditionName(code)) << code;
  }
  EXPECT_EQ("", ClientEditionName(0xFFFFFFFFu));
  EXPECT_EQ("", ClientEditionName(0xABCDABCDu));
}

TEST(HardInfoProductCodes, ServerTableAndNeighbours) {
  const std::map<uint32_t, std::string> listed = {
      {7, "Standard Edition"},
      {8, "Datacenter Edition"},
      {9, "Small Business Server"},
      {10, "Enterprise Edition"},
      {12, "Datacenter Edition(Core)"},
      {13, "Standard Edition(Core)"},
      {14, "Enterprise Edition(Core)"},
      {15, "Enterprise Edition for Itanium-based Systems"},
      {17, "Web Server Edition"},
      {18, "Cluster Server Edition"},
      {19, "Home Server Edition"},
      {20, "Storage Server Express Edition"},
      {21, "Storage Server Standard Edition"},
      {22, "Storage Server Workgroup Edition"},
      {23, "Storage Server Enterprise Edition"},
      {24, "for Small Business Edition"},
      {25, "Small Business Server Premium Edition"}};
  for (uint32_t code = 0; code <= 40; ++code) {
    auto it = listed.find(code);
    EXPECT_EQ(it == listed.end() ? "" : it->second, ServerEditionName(code)) << code;
  }
  EXPECT_EQ("", ServerEditionName(0xFFFFFFFFu));
}

TEST(HardInfoProductCodes, TablesFollowTheProductType) {
  // Code 4 is a client edition, code 10 a server edition.
  EXPECT_EQ("Windows Vista Enterprise Edition", NtName({6, 0, 1, 0, 0, 4}));
  EXPECT_EQ("WindowsServer 2008 ", NtName({6, 0, 3, 0, 0, 4}));
  EXPECT_EQ("Windows 7 ", NtName({6, 1, 1, 0, 0, 10}));
  EXPECT_EQ("WindowsServer 2008 R2 Enterprise Edition", NtName({6, 1, 2, 0, 0, 10}));
}

TEST(HardInfo9x, Windows95BuildRanges) {
  EXPECT_EQ("Windows95", Name9x(0, 950));
  EXPECT_EQ("Windows95", Name9x(0, 1110));
  EXPECT_EQ("Windows95 OSR2", Name9x(0, 1111));
  EXPECT_EQ("Windows95", Name9x(0, 1112));
  EXPECT_EQ("Windows95", Name9x(0, 1211));
  EXPECT_EQ("Windows95 OSR2.1", Name9x(0, 1212));
  EXPECT_EQ("Windows95 OSR2.1", Name9x(0, 1213));
  EXPECT_EQ("Windows95 OSR2.5", Name9x(0, 1214));
  EXPECT_EQ("Windows95 OSR2.5", Name9x(0, 9999));
  EXPECT_EQ("Windows95", Name9x(0, 10000));
  EXPECT_EQ("Windows95", Name9x(0, 0xFFFF));
}

TEST(HardInfo9x, Windows98AndMe) {
  EXPECT_EQ("Windows98", Name9x(10, 1998));
  EXPECT_EQ("Windows98", Name9x(10, 2221));
  EXPECT_EQ("Windows98 Second Edition", Name9x(10, 2222));
  EXPECT_EQ("Windows98 Second Edition", Name9x(10, 9999));
  EXPECT_EQ("Windows98", Name9x(10, 10000));
  EXPECT_EQ("WindowsMe", Name9x(90, 3000));
  EXPECT_EQ("Windows", Name9x(5, 1111));
}

TEST(HardInfo9x, OnlyTheLowBuildWordCounts) {
  FakeHardInfo f = Platform9x(10, 0x040A08AEu);  // 2222 in the low word
  EXPECT_EQ("Windows98 Second Edition", GetOSName(f));
  FakeHardInfo g = Platform9x(0, 0xFFFF0457u);  // 1111
  EXPECT_EQ("Windows95 OSR2", GetOSName(g));
}

TEST(HardInfo9x, NoExtendedQueries) {
  FakeHardInfo f = Platform9x(10, 2222, " A");
  // A leading blank is trimmed before framing.
  EXPECT_EQ("Windows98 Second Edition [A]", GetOSName(f));
  EXPECT_EQ(0, f.exCalls);
  EXPECT_EQ(0, f.siCalls);
  EXPECT_TRUE(f.productCalls.empty());
}

TEST(HardInfoOtherPlatforms, Win32sAndUnknown) {
  FakeHardInfo s;
  s.version = {3, 10, 0, kPlatformWin32s, ""};
  EXPECT_EQ("Windows3.10(Win32s)", GetOSName(s));
  FakeHardInfo u;
  u.version = {6, 1, 7601, 3, "Service Pack 1"};
  EXPECT_EQ("Windows [Service Pack 1]", GetOSName(u));
  EXPECT_EQ(0, u.exCalls);
  FakeHardInfo u2;
  u2.version = {6, 1, 7601, 0xFFFFFFFFu, ""};
  EXPECT_EQ("Windows", GetOSName(u2));
}

TEST(HardInfoServicePack, TrimmingAndFraming) {
  EXPECT_EQ("WindowsXP Professional", NtName({5, 1, 1, 0, 0, 0, false, "   "}));
  EXPECT_EQ("WindowsXP Professional", NtName({5, 1, 1, 0, 0, 0, false, ""}));
  EXPECT_EQ("WindowsXP Professional [Service Pack 3]",
            NtName({5, 1, 1, 0, 0, 0, false, "\t Service Pack 3 \r\n"}));
  // Only the text before the first NUL counts.
  EXPECT_EQ("WindowsXP Professional [SP2]",
            NtName({5, 1, 1, 0, 0, 0, false, std::string("SP2\0Service Pack 9", 18)}));
  EXPECT_EQ("WindowsXP Professional", NtName({5, 1, 1, 0, 0, 0, false, std::string("\0SP", 3)}));
}

TEST(HardInfoOSName, FailedBasicQueryGivesEmptyText) {
  FakeHardInfo f;
  f.versionOk = false;
  f.version = {6, 1, 7601, kPlatformNT, "Service Pack 1"};
  EXPECT_EQ("", GetOSName(f));
  EXPECT_EQ(0, f.exCalls);
  EXPECT_EQ(0, f.siCalls);
}

TEST(HardInfoVersionNumber, Examples) {
  FakeHardInfo seven;
  seven.version = {6, 1, 7601, kPlatformNT, "Service Pack 1"};
  EXPECT_EQ(6017601, GetOSVersionNumber(seven));
  FakeHardInfo xp;
  xp.version = {5, 1, 2600, kPlatformNT, ""};
  EXPECT_EQ(5012600, GetOSVersionNumber(xp));
  FakeHardInfo se = Platform9x(10, 0x040A08AEu);
  EXPECT_EQ(4102222, GetOSVersionNumber(se));
  FakeHardInfo se2 = Platform9x(10, 0xFFFF08AEu);
  EXPECT_EQ(4102222, GetOSVersionNumber(se2));
  // The high build word counts everywhere but on platform 1.
  FakeHardInfo s;
  s.version = {3, 10, 0x00010000u, kPlatformWin32s, ""};
  EXPECT_EQ(3100000 + 65536, GetOSVersionNumber(s));
}

TEST(HardInfoVersionNumber, FailureAndWrapping) {
  FakeHardInfo f;
  f.versionOk = false;
  EXPECT_EQ(0, GetOSVersionNumber(f));
  FakeHardInfo big;
  big.version = {3000, 0, 0, kPlatformNT, ""};
  EXPECT_EQ(static_cast<int32_t>(3000000000u), GetOSVersionNumber(big));
  EXPECT_EQ(1, big.versionCalls);
  EXPECT_EQ(0, big.exCalls);
}

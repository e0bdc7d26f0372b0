// The identity probes against the real system, and the OS and CPU tabs.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cpuid.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/text.h"
#include "probes/win/hardinfo_win.h"
#include "tests/core/hardinfo_fake.h"
#include "tests/win/harness.h"
#include "tests/win/loopback_icmp.h"
#include "ui/win/app.h"

using namespace hardinfo;

namespace {

bool IsDottedAddress(const std::string& s) {
  int parts = 0, a, b, c, d;
  char tail;
  parts = std::sscanf(s.c_str(), "%d.%d.%d.%d%c", &a, &b, &c, &d, &tail);
  for (int v : {a, b, c, d})
    if (parts >= 4 && (v < 0 || v > 255)) return false;
  return parts == 4;
}

// EBX of leaf 1 holds the APIC ID of the processor that runs the
// instruction: comparisons stay on one processor.
class OnOneProcessor {
 public:
  OnOneProcessor() : old_(SetThreadAffinityMask(GetCurrentThread(), 1)) {}
  OnOneProcessor(const OnOneProcessor&) = delete;
  OnOneProcessor& operator=(const OnOneProcessor&) = delete;
  ~OnOneProcessor() {
    if (old_) SetThreadAffinityMask(GetCurrentThread(), old_);
  }

 private:
  DWORD_PTR old_;
};

std::string Leaf1Text() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return "CPUID not available";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%08X-%08X-%08X-%08X", a, b, c, d);
  return buf;
}

// The processor name as the registry holds it, read independently.
std::string RegistryProcessorName() {
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return "?";
  char buf[512] = {0};
  DWORD size = sizeof buf - 1, type = 0;
  LONG rc = RegQueryValueExA(k, "ProcessorNameString", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS ? std::string(buf) : "?";
}

// The kernel's clock figure, and whether the time-stamp counter runs at a
// constant rate (otherwise the comparison means nothing).
bool KernelClock(double& mhz) {
  std::ifstream in("Z:\\proc\\cpuinfo");
  std::string line;
  bool constant = false, found = false;
  while (std::getline(in, line)) {
    if (!found && line.compare(0, 7, "cpu MHz") == 0) {
      mhz = std::atof(line.c_str() + line.find(':') + 1);
      found = true;
    }
    if (line.compare(0, 5, "flags") == 0 && (line + " ").find(" constant_tsc ") != std::string::npos)
      constant = true;
  }
  return found && constant;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Points HKEY_LOCAL_MACHINE of this process at a scratch key for the
// object's lifetime, so the processor key can be shaped at will.
class ScratchMachineHive {
 public:
  ScratchMachineHive()
      : path_(base::Format("Software\\VeskInfoTests\\identity%lu", GetCurrentProcessId())) {
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                    nullptr);
  }
  ~ScratchMachineHive() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(root_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VeskInfoTests");
  }
  bool Override() { return RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_) == ERROR_SUCCESS; }
  // Creates the processor key; with a type, sets the name value too.
  void ProcessorKey(DWORD type = REG_NONE, const std::string& data = "", bool withValue = false) {
    HKEY k;
    RegCreateKeyExA(root_, kProcessorKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    if (withValue)
      RegSetValueExA(k, "ProcessorNameString", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    RegCloseKey(k);
  }
  bool ProcessorKeyExists() {
    HKEY k;
    if (RegOpenKeyExA(root_, kProcessorKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  bool HardwareKeyExists() {
    HKEY k;
    if (RegOpenKeyExA(root_, "Hardware", 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }

 private:
  std::string path_;
  HKEY root_ = nullptr;
};

std::string NameUnder(ScratchMachineHive& hive) {
  EXPECT_TRUE(hive.Override());
  Win32HardInfo p;
  std::string name = GetCPUName(p);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  return name;
}

}  // namespace

TEST(IdentityProbes, EditionAndVersionOfTheDefaultPrefix) {
  Win32HardInfo p;
  // Wine's Windows 7: SP1, workstation, product code 28 (not in the client
  // table), 64-bit prefix for both builds.
  EXPECT_EQ("Windows 7 (x64) [Service Pack 1]", GetOSName(p));
  EXPECT_EQ(6017601, GetOSVersionNumber(p));
}

TEST(IdentityProbes, RunTimeLookupsMatchTheDirectCalls) {
  OSVERSIONINFOEXA direct;
  ZeroMemory(&direct, sizeof direct);
  direct.dwOSVersionInfoSize = sizeof direct;
  ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&direct)));
  OSVERSIONINFOEXA ex;
  FillMemory(&ex, sizeof ex, 0xCC);
  ASSERT_TRUE(QueryVersionEx(ex));
  EXPECT_EQ(0, memcmp(&direct, &ex, sizeof ex));

  SYSTEM_INFO si;
  FillMemory(&si, sizeof si, 0xCC);
  ASSERT_TRUE(QueryNativeSystemInfo(si));
  EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, si.wProcessorArchitecture);

  DWORD code = 0;
  GetProductInfo(6, 1, 0, 0, &code);
  EXPECT_EQ(code, QueryProductInfo(6, 1, 0, 0));
  EXPECT_FALSE(Win32HardInfo().IsServer2003R2());
}

TEST(IdentityProbes, SignatureIsLeafOne) {
  OnOneProcessor pin;
  Win32HardInfo p;
  EXPECT_TRUE(HasCPUID(p));
  EXPECT_EQ(Leaf1Text(), GetCPUIDText(p));
}

TEST(IdentityProbes, ProcessorNameIsTheRegistryValue) {
  Win32HardInfo p;
  const std::string name = GetCPUName(p);
  EXPECT_EQ(RegistryProcessorName(), name);
  EXPECT_FALSE(name.empty());
}

TEST(IdentityProbes, ClockNearTheKernelFigureAndPrioritiesRestored) {
  Win32HardInfo p;
  const DWORD cls = GetPriorityClass(GetCurrentProcess());
  const int pri = GetThreadPriority(GetCurrentThread());
  const DWORD start = GetTickCount();
  const double mhz = GetCPUSpeed(p);
  EXPECT_GE(GetTickCount() - start, 500u);
  EXPECT_EQ(cls, GetPriorityClass(GetCurrentProcess()));
  EXPECT_EQ(pri, GetThreadPriority(GetCurrentThread()));
  double kernel = 0;
  if (!KernelClock(kernel)) GTEST_SKIP() << "no constant TSC: the kernel's figure is not comparable";
  EXPECT_NEAR(kernel, mhz, kernel * 0.05);
}

TEST(IdentityProbes, HostMacAndAddress) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  Win32HardInfo p;
  const std::string host = GetLocalComputerName(p);
  ASSERT_FALSE(host.empty());
  if (!Env("COMPUTERNAME").empty()) {
    EXPECT_EQ(Env("COMPUTERNAME"), host);
  }
  // The namespace's one adapter (scripts/loopback-ns.sh).
  EXPECT_EQ("02-56-45-53-4B-00", GetMACAddress(p));

  // NetBIOS keeps Windows Sockets started for itself: set its start-ups
  // aside, so that a left-over one of ours would show.
  int held = 0;
  while (WSACleanup() == 0) ++held;
  EXPECT_TRUE(IsDottedAddress(GetIPAddress(p, host)));
  EXPECT_EQ("127.0.0.1", GetIPAddress(p, "localhost"));
  EXPECT_EQ("", GetIPAddress(p, "no-such-host.invalid"));
  EXPECT_EQ(SOCKET_ERROR, WSACleanup());
  EXPECT_EQ(WSANOTINITIALISED, WSAGetLastError());
  WSADATA data;
  for (int i = 0; i < held; ++i) WSAStartup(MAKEWORD(2, 2), &data);
}

TEST(IdentityRegistry, KeyThatCannotBeOpenedIsNeverCreated) {
  ScratchMachineHive hive;
  EXPECT_EQ("", NameUnder(hive));
  EXPECT_FALSE(hive.HardwareKeyExists());
}

TEST(IdentityRegistry, MissingValueIsUnknown) {
  ScratchMachineHive hive;
  hive.ProcessorKey();
  EXPECT_EQ("UnKnow", NameUnder(hive));
}

TEST(IdentityRegistry, StringValuesAsStored) {
  {
    ScratchMachineHive hive;
    hive.ProcessorKey(REG_SZ, std::string("   Vesk CPU @ 1.00GHz  \0", 25), true);
    EXPECT_EQ("   Vesk CPU @ 1.00GHz  ", NameUnder(hive));
  }
  {
    ScratchMachineHive hive;
    hive.ProcessorKey(REG_EXPAND_SZ, std::string("%CPU% name\0", 11), true);
    EXPECT_EQ("%CPU% name", NameUnder(hive));
  }
  {
    ScratchMachineHive hive;
    hive.ProcessorKey(REG_SZ, "", true);
    EXPECT_EQ("", NameUnder(hive));
  }
  {
    ScratchMachineHive hive;
    const std::string longName(700, 'x');
    hive.ProcessorKey(REG_SZ, longName + '\0', true);
    EXPECT_EQ(longName, NameUnder(hive));
  }
}

TEST(IdentityRegistry, ValueOfAnotherTypeRaisesTheReadError) {
  for (DWORD type : {REG_DWORD, REG_BINARY, REG_MULTI_SZ}) {
    ScratchMachineHive hive;
    hive.ProcessorKey(type, std::string("ab\0\0", 4), true);
    ASSERT_TRUE(hive.Override());
    Win32HardInfo p;
    try {
      GetCPUName(p);
      ADD_FAILURE() << "type " << type;
    } catch (const std::exception& e) {
      EXPECT_STREQ(kRegistryReadErrorText, e.what());
    }
  }
}

namespace {

// The real platform, but the processor name value holds a number.
class WrongTypeName : public Win32HardInfo {
 public:
  TRegistryAnswer ReadProcessorNameValue() override {
    TRegistryAnswer a;
    a.Result = TRegistryAnswer::Found;
    a.Type = REG_DWORD;
    a.Data = std::string("\x10\0\0\0", 4);
    return a;
  }
};

struct ShownForm {
  explicit ShownForm(HardInfoPlatform* platform) : dir(), cd(dir.Path()) {
    dir.Write("VeskInfo.txt", "read me\r\n");
    form = MakeForm();
    form->HardInfo = platform;
    n4 = form->N4.Text();
    form->Show();
    Pump(100);
  }
  TempDir dir;
  CurrentDir cd;
  BoxWatcher boxes;
  std::unique_ptr<TForm1> form;
  std::string n4;
};

std::string After(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0 ? s.substr(prefix.size()) : "<" + s + ">";
}

}  // namespace

TEST(IdentityForm, RealProbesFillBothTabs) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  OnOneProcessor pin;
  ShownForm f(&Win32HardInfoPlatform());
  TForm1& w = *f.form;
  EXPECT_TRUE(f.boxes.Boxes().empty());
  EXPECT_EQ("OS : Windows 7 (x64) [Service Pack 1]", w.Label1.Caption());
  EXPECT_EQ("Version : 6017601", w.Label2.Caption());
  EXPECT_EQ("MAC : 02-56-45-53-4B-00", w.Label7.Caption());
  const std::string host = After(w.Label8.Caption(), "HOST : ");
  EXPECT_FALSE(host.empty());
  if (!Env("COMPUTERNAME").empty()) {
    EXPECT_EQ(Env("COMPUTERNAME"), host);
  }
  const std::string ip = After(w.Label9.Caption(), "IP : ");
  ASSERT_TRUE(IsDottedAddress(ip)) << ip;
  EXPECT_EQ("CPU : " + RegistryProcessorName(), w.Label3.Caption());
  EXPECT_EQ("INFO : " + Leaf1Text(), w.Label5.Caption());

  const std::string speed = After(w.Label6.Caption(), "SPEED : ");
  EXPECT_EQ(std::string::npos, speed.find_first_not_of("0123456789.")) << speed;
  double kernel = 0;
  if (KernelClock(kernel)) {
    EXPECT_NEAR(kernel, std::atof(speed.c_str()), kernel * 0.05);
  }

  const std::array<std::string, 3> octets = FirstThreeOctets(ip);
  EXPECT_EQ(octets[0], w.N1.Text());
  EXPECT_EQ(octets[1], w.N2.Text());
  EXPECT_EQ(octets[2], w.N3.Text());
  EXPECT_EQ(f.n4, w.N4.Text());
  EXPECT_EQ(ip, w.N1.Text() + "." + w.N2.Text() + "." + w.N3.Text() + ip.substr(ip.rfind('.')));
}

TEST(IdentityForm, ReadErrorEndsTheSequenceAndIsShown) {
  WrongTypeName platform;
  ShownForm f(&platform);
  TForm1& w = *f.form;
  EXPECT_EQ("OS : Windows 7 (x64) [Service Pack 1]", w.Label1.Caption());
  EXPECT_EQ("Version : 6017601", w.Label2.Caption());
  EXPECT_NE("", After(w.Label9.Caption(), "IP : "));
  // Design captions from the failing probe on.
  EXPECT_EQ("CPU : ", w.Label3.Caption());
  EXPECT_EQ("SPEED : ", w.Label6.Caption());
  EXPECT_EQ("INFO : ", w.Label5.Caption());
  // The octet fields are not pre-filled: they stay empty.
  EXPECT_EQ((std::array<std::string, 3>{"", "", ""}), (std::array<std::string, 3>{w.N1.Text(), w.N2.Text(), w.N3.Text()}));
  EXPECT_EQ("", w.Memo1.Text());  // the read-me is not loaded
  const auto boxes = f.boxes.Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string(kRegistryReadErrorText) + ".", boxes[0].text);
  EXPECT_EQ("Vesktech PC Infomation Tool", boxes[0].caption);
  EXPECT_TRUE(boxes[0].hasIcon);
}

TEST(IdentityForm, SequenceOrderAndTextsFromGivenAnswers) {
  FakeHardInfo p;
  p.version = {6, 1, 7601, kPlatformNT, "Service Pack 1"};
  p.ex.ProductType = kWorkstation;
  p.si.ProcessorArchitecture = kArchAMD64;
  p.productCode = 1;
  p.lanas = {0};
  p.status[0] = {0, std::array<uint8_t, 6>{0x00, 0x1A, 0x2B, 0x34, 0x4D, 0x5E}};
  p.computerName = "VESKPC";
  p.hosts["VESKPC"] = {10, 0, 0, 1};
  p.registry.Result = TRegistryAnswer::Found;
  p.registry.Type = REG_SZ;
  p.registry.Data = " Vesk CPU";
  p.counter = {5, 5 + 1496829984ull};
  p.cpuid = {1, 255, 4096, 4294967295u};
  ShownForm f(&p);
  TForm1& w = *f.form;
  EXPECT_EQ("OS : Windows 7 Ultimate(x64) [Service Pack 1]", w.Label1.Caption());
  EXPECT_EQ("Version : 6017601", w.Label2.Caption());
  EXPECT_EQ("MAC : 00-1A-2B-34-4D-5E", w.Label7.Caption());
  EXPECT_EQ("HOST : VESKPC", w.Label8.Caption());
  EXPECT_EQ("IP : 10.0.0.1", w.Label9.Caption());
  EXPECT_EQ("CPU :  Vesk CPU", w.Label3.Caption());
  EXPECT_EQ(std::string("SPEED : 2993") + ui::LocaleDecimalSeparator() + "659968", w.Label6.Caption());
  EXPECT_EQ("INFO : 00000001-000000FF-00001000-FFFFFFFF", w.Label5.Caption());
  EXPECT_EQ("10", w.N1.Text());
  EXPECT_EQ("0", w.N2.Text());
  EXPECT_EQ("0", w.N3.Text());
  EXPECT_EQ("read me\r\n", w.Memo1.Text());

  // The computer name is asked once and both look-ups use it; the second
  // look-up comes after the processor probes.
  std::vector<std::string> order;
  for (const std::string& e : p.log)
    if (e == "computername" || e == "ncbenum" || e == "registry" || e == "flags" ||
        e.compare(0, 6, "lookup") == 0 || e == "sleep 500")
      order.push_back(e);
  EXPECT_EQ((std::vector<std::string>{"computername", "ncbenum", "lookup VESKPC", "registry",
                                      "sleep 500", "flags", "lookup VESKPC"}),
            order);
  EXPECT_EQ(2, p.cleanups);
  EXPECT_EQ(3, p.versionCalls);  // edition, number, adapter platform
}

TEST(IdentityForm, FailuresShowBehindThePrefixes) {
  FakeHardInfo p;
  p.versionOk = false;
  p.computerName = "LONELY";  // resolves nowhere
  p.registry.Result = TRegistryAnswer::ValueMissing;
  p.flags = {0x202, 0x202};
  ShownForm f(&p);
  TForm1& w = *f.form;
  EXPECT_TRUE(f.boxes.Boxes().empty());
  EXPECT_EQ("OS : ", w.Label1.Caption());
  EXPECT_EQ("Version : 0", w.Label2.Caption());
  EXPECT_EQ("MAC : ", w.Label7.Caption());
  EXPECT_EQ("IP : ", w.Label9.Caption());
  EXPECT_EQ("CPU : UnKnow", w.Label3.Caption());
  EXPECT_EQ("SPEED : 0", w.Label6.Caption());
  EXPECT_EQ("INFO : CPUID not available", w.Label5.Caption());
  EXPECT_EQ("", w.N1.Text());
  EXPECT_EQ("", w.N2.Text());
  EXPECT_EQ("", w.N3.Text());
  EXPECT_EQ(f.n4, w.N4.Text());
}

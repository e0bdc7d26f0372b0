// Windows edition naming over random version records. The text must be
// "Windows" followed only by the pieces the naming tables list (literal
// pieces, the two formatted ones, and the service-pack suffix at the end),
// and must equal the naming rebuilt here from those tables. The platform is
// asked only where the tables ask it; the edition lookups and the packed
// version number are held to their tables and formula.
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "probes/hardinfo.h"

namespace {

// ---- the tables ----

const std::map<std::uint32_t, std::string> kClient = {
    {1, "Ultimate"}, {2, "Home Basic"}, {3, "Home Premium"}, {4, "Enterprise Edition"},
    {5, "Home Basic N"}, {6, "Business"}, {11, "Starter Edition"}, {16, "Business N"}};

const std::map<std::uint32_t, std::string> kServer = {
    {7, "Standard Edition"}, {8, "Datacenter Edition"}, {9, "Small Business Server"},
    {10, "Enterprise Edition"}, {12, "Datacenter Edition(Core)"}, {13, "Standard Edition(Core)"},
    {14, "Enterprise Edition(Core)"}, {15, "Enterprise Edition for Itanium-based Systems"},
    {17, "Web Server Edition"}, {18, "Cluster Server Edition"}, {19, "Home Server Edition"},
    {20, "Storage Server Express Edition"}, {21, "Storage Server Standard Edition"},
    {22, "Storage Server Workgroup Edition"}, {23, "Storage Server Enterprise Edition"},
    {24, "for Small Business Edition"}, {25, "Small Business Server Premium Edition"}};

std::string Lookup(const std::map<std::uint32_t, std::string>& t, std::uint32_t code) {
  auto it = t.find(code);
  return it == t.end() ? std::string() : it->second;
}

std::string Server2003(std::uint16_t arch, std::uint16_t suite) {
  const bool dc = suite & 0x0080, ent = suite & 0x0002, blade = suite & 0x0400;
  if (arch == 6)
    return dc ? "Datacenter Edition for Itanium-based Systems"
              : ent ? "Enterprise Edition for Itanium-based Systems" : "Standard Edition for Itanium-based Systems";
  if (arch == 9) return dc ? "Datacenter x64 Edition" : ent ? "Enterprise x64 Edition" : "Standard x64 Edition";
  return dc ? "Datacenter Edition" : ent ? "Enterprise Edition" : blade ? "Web Edition" : "Standard Edition";
}

// Every literal piece of the tables.
std::vector<std::string> LiteralPieces() {
  std::vector<std::string> p = {
      "95", " OSR2", " OSR2.1", " OSR2.5", "98", " Second Edition", "Me", "2000 ", "Professional",
      "Server", "XP ", "Home Edition", "Server 2003", "XP Professional x64 Edition", "Server 2003 ",
      "R2 ", " Vista ", " 7 ", "Server 2008 ", "Server 2008 R2 ", "(IA64)", "(x64)", "WorkStation",
      "Datacenter Edition for Itanium-based Systems", "Enterprise Edition for Itanium-based Systems",
      "Standard Edition for Itanium-based Systems", "Datacenter x64 Edition", "Enterprise x64 Edition",
      "Standard x64 Edition", "Datacenter Edition", "Enterprise Edition", "Web Edition",
      "Standard Edition"};
  for (auto& c : kClient) p.push_back(c.second);
  for (auto& s : kServer) p.push_back(s.second);
  return p;
}

// A "%d" of a 32-bit value at s[i]; its end, or npos.
std::size_t SignedAt(const std::string& s, std::size_t i) {
  std::size_t k = i;
  if (k < s.size() && s[k] == '-') ++k;
  const std::size_t digits = k;
  while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k;
  if (k == digits || k - digits > 10) return std::string::npos;
  if (s[digits] == '0' && k - digits > 1) return std::string::npos;  // no leading zeros
  return k;
}

// "%d.%d" followed by tail at s[i]; the end, or npos.
std::size_t PairAt(const std::string& s, std::size_t i, const char* tail) {
  std::size_t k = SignedAt(s, i);
  if (k == std::string::npos || k >= s.size() || s[k] != '.') return std::string::npos;
  k = SignedAt(s, k + 1);
  if (k == std::string::npos || s.compare(k, std::strlen(tail), tail) != 0) return std::string::npos;
  return k + std::strlen(tail);
}

// Can s[i..] be cut into pieces?
bool MadeOfPieces(const std::string& s, std::size_t i, const std::vector<std::string>& pieces) {
  if (i == s.size()) return true;
  for (const std::string& p : pieces)
    if (s.compare(i, p.size(), p) == 0 && MadeOfPieces(s, i + p.size(), pieces)) return true;
  if (s.compare(i, 2, "NT") == 0) {
    const std::size_t k = PairAt(s, i + 2, " ");
    if (k != std::string::npos && MadeOfPieces(s, k, pieces)) return true;
  }
  const std::size_t k = PairAt(s, i, "(Win32s)");
  return k != std::string::npos && MadeOfPieces(s, k, pieces);
}

// ---- the platform ----

struct Facts {
  bool versionOk = true;
  TOSVersion v;
  bool exFound = true;
  TOSVersionEx ex;
  bool siFound = true;
  TNativeSystemInfo si;
  std::uint32_t productCode = 0;
  bool r2 = false;
};

class FakePlatform : public HardInfoPlatform {
 public:
  explicit FakePlatform(const Facts& f) : f_(f) {}
  int exCalls = 0, siCalls = 0, r2Calls = 0;
  std::vector<std::vector<std::uint32_t>> productCalls;

  bool QueryVersion(TOSVersion& r) override {
    if (f_.versionOk) r = f_.v;
    return f_.versionOk;
  }
  void QueryVersionEx(TOSVersionEx& r) override {
    ++exCalls;
    if (f_.exFound) r = f_.ex;
  }
  void QueryNativeSystemInfo(TNativeSystemInfo& r) override {
    ++siCalls;
    if (f_.siFound) r = f_.si;
  }
  std::uint32_t QueryProductInfo(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) override {
    productCalls.push_back({a, b, c, d});
    return f_.productCode;
  }
  bool IsServer2003R2() override {
    ++r2Calls;
    return f_.r2;
  }
  TFlagsReadings ToggleIdFlag() override { fuzz::Fail("naming touched the processor"); }
  TCPUIDSignature CPUIDLeaf1() override { fuzz::Fail("naming touched the processor"); }
  std::uint64_t ReadTimeStamp() override { fuzz::Fail("naming touched the processor"); }
  std::uint32_t ProcessPriorityClass() override { fuzz::Fail("naming touched priorities"); }
  int ThreadPriority() override { fuzz::Fail("naming touched priorities"); }
  void SetProcessPriorityClass(std::uint32_t) override { fuzz::Fail("naming touched priorities"); }
  void SetThreadPriority(int) override { fuzz::Fail("naming touched priorities"); }
  void SleepMs(std::uint32_t) override { fuzz::Fail("naming slept"); }
  TRegistryAnswer ReadProcessorNameValue() override { fuzz::Fail("naming read the registry"); }
  std::uint8_t Netbios(TNcb&) override { fuzz::Fail("naming used NetBIOS"); }
  bool QueryComputerName(char*, std::uint32_t&) override { fuzz::Fail("naming asked the name"); }
  int StartSockets(std::uint16_t) override { fuzz::Fail("naming started sockets"); }
  void StopSockets() override { fuzz::Fail("naming stopped sockets"); }
  bool ResolveHost(const std::string&, std::array<std::uint8_t, 4>&) override {
    fuzz::Fail("naming resolved a host");
  }

 private:
  const Facts& f_;
};

// ---- the naming, from the tables ----

struct Asked {
  int ex = 0, si = 0, r2 = 0;
  std::vector<std::vector<std::uint32_t>> product;
};

std::string Format2(const char* fmt, std::uint32_t a, std::uint32_t b) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, static_cast<int>(a), static_cast<int>(b));
  return buf;
}

std::string Naming(const Facts& f, Asked& asked) {
  if (!f.versionOk) return "";
  const TOSVersion& v = f.v;
  const std::string sp = fuzz::Trimmed(v.CSDVersion.substr(0, v.CSDVersion.find('\0')));
  // What a query gives: the facts, or the zero-filled record when it finds nothing.
  const TOSVersionEx ex = f.exFound ? f.ex : TOSVersionEx();
  const std::uint16_t arch = f.siFound ? f.si.ProcessorArchitecture : 0;
  std::string r = "Windows";
  if (v.PlatformId == 0) {
    r += Format2("%d.%d(Win32s)", v.MajorVersion, v.MinorVersion);
  } else if (v.PlatformId == 1) {
    const std::uint32_t b = v.BuildNumber & 0xFFFF;
    if (v.MinorVersion == 0) {
      r += "95";
      if (b == 1111) r += " OSR2";
      else if (b == 1212 || b == 1213) r += " OSR2.1";
      else if (b >= 1214 && b <= 9999) r += " OSR2.5";
    } else if (v.MinorVersion == 10) {
      r += "98";
      if (b >= 2222 && b <= 9999) r += " Second Edition";
    } else if (v.MinorVersion == 90) {
      r += "Me";
    }
  } else if (v.PlatformId == 2) {
    const std::uint32_t major = v.MajorVersion, minor = v.MinorVersion;
    const bool work = ex.ProductType == 1, server = ex.ProductType == 2 || ex.ProductType == 3;
    bool generic = false;
    if (major == 5) {
      ++asked.ex;
      if (minor == 0) {
        r += "2000 ";
        r += work ? "Professional" : "Server";
      } else if (minor == 1) {
        if (work) r += std::string("XP ") + ((ex.SuiteMask & 0x0200) ? "Home Edition" : "Professional");
        else r += "Server 2003";
      } else if (minor == 2) {
        ++asked.si;
        if (work && arch == 9) {
          r += "XP Professional x64 Edition";
        } else if (server) {
          r += "Server 2003 ";
          ++asked.r2;
          if (f.r2) r += "R2 ";
          r += Server2003(arch, ex.SuiteMask);
        } else {
          generic = true;
        }
      } else {
        generic = true;
      }
    } else if (major == 6) {
      ++asked.ex;
      if (minor >= 2) {
        generic = true;
      } else {
        ++asked.si;
        asked.product.push_back({6, minor, 0, 0});
        if (work) r += (minor == 0 ? " Vista " : " 7 ") + Lookup(kClient, f.productCode);
        else r += (minor == 0 ? "Server 2008 " : "Server 2008 R2 ") + Lookup(kServer, f.productCode);
        if (arch == 6) r += "(IA64)";
        else if (arch == 9) r += "(x64)";
      }
    } else {
      generic = true;
    }
    if (generic) {
      r += Format2("NT%d.%d ", major, minor);
      if (major >= 5 || (major == 4 && sp.find('6') != std::string::npos)) {
        ++asked.ex;
        r += work ? "WorkStation" : "Server";
      }
    }
  }
  if (!sp.empty()) r += " [" + sp + "]";
  return r;
}

// Mostly the values the tables test, sometimes anything.
std::uint32_t Choose(fuzz::Input& in, std::initializer_list<std::uint32_t> usual) {
  const std::uint8_t b = in.U8();
  if (b < 224) return *(usual.begin() + b % usual.size());
  return in.U32();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  Facts f;
  const std::uint8_t flags = in.U8();
  f.versionOk = (flags & 0x0F) != 0x0F;
  f.exFound = !(flags & 0x10);
  f.siFound = !(flags & 0x20);
  f.r2 = flags & 0x40;
  f.v.PlatformId = Choose(in, {2, 2, 2, 1, 1, 0, 3});
  f.v.MajorVersion = Choose(in, {5, 6, 4, 3, 5, 6, 7, 10, 0});
  f.v.MinorVersion = Choose(in, {0, 1, 2, 0, 1, 2, 3, 10, 51, 90});
  f.v.BuildNumber = in.U32();
  f.v.CSDVersion = in.Text(128);
  f.ex.SuiteMask = in.U16();
  f.ex.ProductType = static_cast<std::uint8_t>(Choose(in, {1, 2, 3, 0, 4}));
  f.si.ProcessorArchitecture = static_cast<std::uint16_t>(Choose(in, {0, 6, 9, 5, 12}));
  f.productCode = Choose(in, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                              20, 21, 22, 23, 24, 25, 26, 48});

  FakePlatform p(f);
  const std::string name = hardinfo::GetOSName(p);
  Asked asked;
  const std::string want = Naming(f, asked);
  fuzz::Same("edition text", name, want);

  if (f.versionOk) {
    std::string body = name;
    const std::string sp = fuzz::Trimmed(f.v.CSDVersion.substr(0, f.v.CSDVersion.find('\0')));
    const std::string suffix = sp.empty() ? "" : " [" + sp + "]";
    fuzz::Check("starts with Windows", body.compare(0, 7, "Windows") == 0);
    fuzz::Check("ends with the service-pack suffix",
                body.size() >= 7 + suffix.size() && body.compare(body.size() - suffix.size(), suffix.size(), suffix) == 0);
    body = body.substr(7, body.size() - 7 - suffix.size());
    static const std::vector<std::string> pieces = LiteralPieces();
    if (!MadeOfPieces(body, 0, pieces)) fuzz::Fail("edition text made of listed pieces", name, "");
  }
  fuzz::Same("extended-record queries", p.exCalls, asked.ex);
  fuzz::Same("architecture queries", p.siCalls, asked.si);
  fuzz::Same("R2 questions", p.r2Calls, asked.r2);
  fuzz::Same("product-code queries", p.productCalls.size(), asked.product.size());
  for (std::size_t i = 0; i < asked.product.size(); ++i)
    for (int k = 0; k < 4; ++k) fuzz::Same("product-code arguments", p.productCalls[i][k], asked.product[i][k]);

  // The version number.
  const std::uint32_t build = f.v.PlatformId == 1 ? (f.v.BuildNumber & 0xFFFF) : f.v.BuildNumber;
  const std::int32_t number = f.versionOk ? static_cast<std::int32_t>(f.v.MajorVersion * 1000000u +
                                                                       f.v.MinorVersion * 10000u + build)
                                          : 0;
  fuzz::Same("version number", hardinfo::GetOSVersionNumber(p), number);

  // The lookups on their own, over any code.
  const std::uint32_t code = in.U32();
  fuzz::Same("client edition", hardinfo::ClientEditionName(code), Lookup(kClient, code));
  fuzz::Same("server edition", hardinfo::ServerEditionName(code), Lookup(kServer, code));
  const std::uint16_t arch = in.U16(), suite = in.U16();
  fuzz::Same("Server 2003 edition", hardinfo::Server2003EditionName(arch, suite), Server2003(arch, suite));
  return 0;
}

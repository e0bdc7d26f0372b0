// Windows edition naming and the packed version number.
#include "base/text.h"
#include "probes/hardinfo.h"

namespace hardinfo {

namespace {

std::string ServicePackText(const TOSVersion& v) {
  return base::Trim(v.CSDVersion.substr(0, v.CSDVersion.find('\0')));
}

int Signed(uint32_t v) { return static_cast<int>(v); }

void AppendWindows9x(std::string& r, const TOSVersion& v) {
  const uint32_t b = v.BuildNumber & 0xFFFF;  // the high word holds the version here
  switch (v.MinorVersion) {
    case 0:
      r += "95";
      if (b == 1111)
        r += " OSR2";
      else if (b == 1212 || b == 1213)
        r += " OSR2.1";
      else if (b >= 1214 && b <= 9999)
        r += " OSR2.5";
      break;
    case 10:
      r += "98";
      if (b >= 2222 && b <= 9999) r += " Second Edition";
      break;
    case 90:
      r += "Me";
      break;
    default:
      break;
  }
}

void AppendWindowsNT(std::string& r, const TOSVersion& v, const std::string& sp,
                     HardInfoPlatform& p) {
  const uint32_t major = v.MajorVersion, minor = v.MinorVersion;
  // Zero-filled unless a query fills them; the naming reads them regardless.
  TOSVersionEx ex;
  TNativeSystemInfo si;
  bool generic = false;

  if (major == 5) {
    p.QueryVersionEx(ex);
    if (minor == 0) {
      r += "2000 ";
      r += ex.ProductType == kWorkstation ? "Professional" : "Server";
    } else if (minor == 1) {
      if (ex.ProductType == kWorkstation) {
        r += "XP ";
        r += (ex.SuiteMask & kSuitePersonal) ? "Home Edition" : "Professional";
      } else {
        r += "Server 2003";
      }
    } else if (minor == 2) {
      p.QueryNativeSystemInfo(si);
      if (ex.ProductType == kWorkstation) {
        if (si.ProcessorArchitecture == kArchAMD64)
          r += "XP Professional x64 Edition";
        else
          generic = true;
      } else if (ex.ProductType == kDomainController || ex.ProductType == kServer) {
        r += "Server 2003 ";
        if (p.IsServer2003R2()) r += "R2 ";
        r += Server2003EditionName(si.ProcessorArchitecture, ex.SuiteMask);
      } else {
        generic = true;
      }
    } else {
      generic = true;
    }
  } else if (major == 6) {
    p.QueryVersionEx(ex);
    if (minor >= 2) {
      generic = true;
    } else {
      p.QueryNativeSystemInfo(si);
      if (ex.ProductType == kWorkstation) {
        r += minor == 0 ? " Vista " : " 7 ";
        r += ClientEditionName(p.QueryProductInfo(6, minor, 0, 0));
      } else {
        r += minor == 0 ? "Server 2008 " : "Server 2008 R2 ";
        r += ServerEditionName(p.QueryProductInfo(6, minor, 0, 0));
      }
      if (si.ProcessorArchitecture == kArchIA64)
        r += "(IA64)";
      else if (si.ProcessorArchitecture == kArchAMD64)
        r += "(x64)";
    }
  } else {
    generic = true;
  }

  if (generic) {
    r += base::Format("NT%d.%d ", Signed(major), Signed(minor));
    if (major >= 5 || (major == 4 && sp.find('6') != std::string::npos)) {
      p.QueryVersionEx(ex);
      r += ex.ProductType == kWorkstation ? "WorkStation" : "Server";
    }
  }
}

}  // namespace

std::string Server2003EditionName(uint16_t arch, uint16_t suite) {
  const bool datacenter = suite & kSuiteDatacenter, enterprise = suite & kSuiteEnterprise;
  if (arch == kArchIA64) {
    if (datacenter) return "Datacenter Edition for Itanium-based Systems";
    if (enterprise) return "Enterprise Edition for Itanium-based Systems";
    return "Standard Edition for Itanium-based Systems";
  }
  if (arch == kArchAMD64) {
    if (datacenter) return "Datacenter x64 Edition";
    if (enterprise) return "Enterprise x64 Edition";
    return "Standard x64 Edition";
  }
  if (datacenter) return "Datacenter Edition";
  if (enterprise) return "Enterprise Edition";
  if (suite & kSuiteBlade) return "Web Edition";
  return "Standard Edition";
}

std::string ClientEditionName(uint32_t code) {
  switch (code) {
    case 1: return "Ultimate";
    case 2: return "Home Basic";
    case 3: return "Home Premium";
    case 4: return "Enterprise Edition";
    case 5: return "Home Basic N";
    case 6: return "Business";
    case 11: return "Starter Edition";
    case 16: return "Business N";
    default: return "";
  }
}

std::string ServerEditionName(uint32_t code) {
  switch (code) {
    case 7: return "Standard Edition";
    case 8: return "Datacenter Edition";
    case 9: return "Small Business Server";
    case 10: return "Enterprise Edition";
    case 12: return "Datacenter Edition(Core)";
    case 13: return "Standard Edition(Core)";
    case 14: return "Enterprise Edition(Core)";
    case 15: return "Enterprise Edition for Itanium-based Systems";
    case 17: return "Web Server Edition";
    case 18: return "Cluster Server Edition";
    case 19: return "Home Server Edition";
    case 20: return "Storage Server Express Edition";
    case 21: return "Storage Server Standard Edition";
    case 22: return "Storage Server Workgroup Edition";
    case 23: return "Storage Server Enterprise Edition";
    case 24: return "for Small Business Edition";
    case 25: return "Small Business Server Premium Edition";
    default: return "";
  }
}

std::string GetOSName(HardInfoPlatform& p) {
  TOSVersion v;
  if (!p.QueryVersion(v)) return "";
  std::string r = "Windows";
  const std::string sp = ServicePackText(v);
  switch (v.PlatformId) {
    case kPlatformWin32s:
      r += base::Format("%d.%d(Win32s)", Signed(v.MajorVersion), Signed(v.MinorVersion));
      break;
    case kPlatformWindows:
      AppendWindows9x(r, v);
      break;
    case kPlatformNT:
      AppendWindowsNT(r, v, sp, p);
      break;
    default:
      break;
  }
  if (!sp.empty()) r += base::Format(" [%s]", sp.c_str());
  return r;
}

int32_t GetOSVersionNumber(HardInfoPlatform& p) {
  TOSVersion v;
  if (!p.QueryVersion(v)) return 0;
  const uint32_t build = v.PlatformId == kPlatformWindows ? (v.BuildNumber & 0xFFFF) : v.BuildNumber;
  // Wraps like the 32-bit sum it is.
  return static_cast<int32_t>(v.MajorVersion * 1000000u + v.MinorVersion * 10000u + build);
}

}  // namespace hardinfo

// HardInfo: the system identity probes of the OS and CPU tabs. The logic is
// portable; every fact comes from a HardInfoPlatform, which on Windows makes
// the real calls and in tests hands back given answers.
#pragma once
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

// The basic version record's fields the probes read.
struct TOSVersion {
  uint32_t MajorVersion = 0;
  uint32_t MinorVersion = 0;
  uint32_t BuildNumber = 0;
  uint32_t PlatformId = 0;
  std::string CSDVersion;  // up to its first NUL, untrimmed
};

// The extended version record (a record of its own, never merged with the
// basic one).
struct TOSVersionEx {
  uint16_t SuiteMask = 0;
  uint8_t ProductType = 0;
};

struct TNativeSystemInfo {
  uint16_t ProcessorArchitecture = 0;
};

// EAX, EBX, ECX, EDX after CPUID leaf 1.
using TCPUIDSignature = std::array<uint32_t, 4>;

// The flags register before and after its ID bit was inverted.
struct TFlagsReadings {
  uint64_t Before = 0;
  uint64_t After = 0;
};

// What the registry said about the processor name value.
struct TRegistryAnswer {
  enum Outcome { KeyNotOpened, ValueMissing, ReadFailed, Found };
  Outcome Result = KeyNotOpened;
  uint32_t Type = 0;  // registry type of the value (1 string, 2 expandable string)
  std::string Data;   // the value's bytes as stored
};

// A NetBIOS control block: only the fields the probes set. A fresh block is
// all zero.
struct TNcb {
  uint8_t Command = 0;
  uint8_t* Buffer = nullptr;
  uint16_t Length = 0;
  char CallName[16] = {};
  uint8_t LanaNum = 0;
};

class HardInfoPlatform {
 public:
  virtual ~HardInfoPlatform() = default;

  // Windows version. The basic query is the directly imported one; the other
  // three are looked up at run time and leave the record as it was when the
  // function is missing or fails.
  virtual bool QueryVersion(TOSVersion& r) = 0;
  virtual void QueryVersionEx(TOSVersionEx& r) = 0;
  virtual void QueryNativeSystemInfo(TNativeSystemInfo& r) = 0;
  virtual uint32_t QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor,
                                    uint32_t spMinor) = 0;
  // True only on the R2 release of Server 2003.
  virtual bool IsServer2003R2() = 0;

  // Processor.
  virtual TFlagsReadings ToggleIdFlag() = 0;
  virtual TCPUIDSignature CPUIDLeaf1() = 0;
  virtual uint64_t ReadTimeStamp() = 0;  // not "...Counter": winnt.h has a macro of that name
  virtual uint32_t ProcessPriorityClass() = 0;
  virtual int ThreadPriority() = 0;
  virtual void SetProcessPriorityClass(uint32_t c) = 0;
  virtual void SetThreadPriority(int p) = 0;
  virtual void SleepMs(uint32_t ms) = 0;
  // HKLM "Hardware\Description\System\CentralProcessor\0", value
  // "ProcessorNameString", opened for reading only.
  virtual TRegistryAnswer ReadProcessorNameValue() = 0;

  // Network. The NetBIOS requests of one probe come between OpenNetbios and
  // CloseNetbios, which keep the library loaded (and its state) in between.
  virtual void OpenNetbios() {}
  virtual void CloseNetbios() {}
  virtual uint8_t Netbios(TNcb& ncb) = 0;
  virtual bool QueryComputerName(char* buffer, uint32_t& size) = 0;
  virtual int StartSockets(uint16_t version) = 0;  // 0 on success
  virtual void StopSockets() = 0;
  // The first IPv4 address of the host, in network order; false when the
  // name does not resolve or has no address.
  virtual bool ResolveHost(const std::string& name, std::array<uint8_t, 4>& address) = 0;
};

// The registry layer's read error: a value that is not a string.
class TRegistryReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace hardinfo {

// Platform codes the naming tests.
constexpr uint32_t kPlatformWin32s = 0, kPlatformWindows = 1, kPlatformNT = 2;
constexpr uint8_t kWorkstation = 1, kDomainController = 2, kServer = 3;
constexpr uint16_t kSuiteEnterprise = 0x0002, kSuiteDatacenter = 0x0080, kSuitePersonal = 0x0200,
                   kSuiteBlade = 0x0400;
constexpr uint16_t kArchIA64 = 6, kArchAMD64 = 9;
constexpr uint32_t kRealtimePriorityClass = 0x00000100;
constexpr int kThreadPriorityTimeCritical = 15;
constexpr uint8_t kNcbEnum = 0x37, kNcbReset = 0x32, kNcbAStat = 0x33;
// The NetBIOS replies as the probes read them: LANA_ENUM (a count byte and
// the numbers), and ADAPTER_STATUS with one NAME_BUFFER, whose first six
// bytes are the adapter address.
constexpr uint32_t kLanaEnumSize = 256;
constexpr uint32_t kAdapterStatusSize = 78;
constexpr uint32_t kAdapterAddressAt = 0;
extern const char* const kProcessorNameValue;
extern const char* const kRegistryReadErrorText;   // the value is not a string
extern const char* const kRegistryUnreadableText;  // the value could not be read

// Windows edition and version.
std::string GetOSName(HardInfoPlatform& p);
int32_t GetOSVersionNumber(HardInfoPlatform& p);
// The edition pieces by product code; empty for codes not listed.
std::string ClientEditionName(uint32_t productCode);
std::string ServerEditionName(uint32_t productCode);
std::string Server2003EditionName(uint16_t architecture, uint16_t suiteMask);

// Processor.
bool HasCPUID(HardInfoPlatform& p);
TCPUIDSignature ReadCPUIDSignature(HardInfoPlatform& p);
std::string CPUIDText(const TCPUIDSignature& words);
std::string GetCPUIDText(HardInfoPlatform& p);
double ClockFromTicks(uint64_t elapsed);
double GetCPUSpeed(HardInfoPlatform& p);
std::string GetCPUName(HardInfoPlatform& p);  // throws TRegistryReadError

// Network identity.
std::string GetMACAddress(HardInfoPlatform& p);
std::string GetLocalComputerName(HardInfoPlatform& p);
std::string GetIPAddress(HardInfoPlatform& p, const std::string& hostName);

// The first three dotted parts of an address text, for N1 to N3.
std::array<std::string, 3> FirstThreeOctets(std::string address);

}  // namespace hardinfo

#include "base/win/winsock.h"
#include "probes/win/hardinfo_win.h"

#include <nb30.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "base/win/late_bound.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define VESK_HAVE_X86 1
#endif

namespace hardinfo {

// The records the probes hand to Windows, pinned on both builds: the version
// records are copied whole, and the NetBIOS replies are read byte by byte.
constexpr bool kWide = sizeof(void*) == 8;
static_assert(sizeof(OSVERSIONINFOA) == 148, "");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "");
static_assert(offsetof(OSVERSIONINFOA, dwMajorVersion) == 4 && offsetof(OSVERSIONINFOA, dwMinorVersion) == 8 &&
                  offsetof(OSVERSIONINFOA, dwBuildNumber) == 12 && offsetof(OSVERSIONINFOA, dwPlatformId) == 16 &&
                  offsetof(OSVERSIONINFOA, szCSDVersion) == 20, "");
static_assert(offsetof(OSVERSIONINFOEXA, wSuiteMask) == 152 && offsetof(OSVERSIONINFOEXA, wProductType) == 154, "");
static_assert(sizeof(SYSTEM_INFO) == (kWide ? 48 : 36), "");
static_assert(offsetof(SYSTEM_INFO, wProcessorArchitecture) == 0, "");
static_assert(sizeof(NCB) == (kWide ? 96 : 64), "");
static_assert(sizeof(LANA_ENUM) == kLanaEnumSize, "");
static_assert(sizeof(ADAPTER_STATUS) + sizeof(NAME_BUFFER) == kAdapterStatusSize, "");
static_assert(offsetof(ADAPTER_STATUS, adapter_address) == kAdapterAddressAt, "");

const char* const kProcessorKey = "Hardware\\Description\\System\\CentralProcessor\\0";

namespace {

class RegKey {
 public:
  explicit RegKey(HKEY h) : h_(h) {}
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() { RegCloseKey(h_); }
  HKEY get() const { return h_; }

 private:
  HKEY h_;
};

}  // namespace

bool QueryVersionEx(OSVERSIONINFOEXA& record) {
  auto fn = base::LateBound<BOOL(WINAPI*)(OSVERSIONINFOA*)>("kernel32.dll", "GetVersionExA");
  if (!fn) return false;
  OSVERSIONINFOEXA local;
  std::memset(&local, 0, sizeof local);
  local.dwOSVersionInfoSize = sizeof local;
  if (!fn(reinterpret_cast<OSVERSIONINFOA*>(&local))) return false;
  record = local;
  return true;
}

bool QueryNativeSystemInfo(SYSTEM_INFO& record) {
  auto fn = base::LateBound<void(WINAPI*)(SYSTEM_INFO*)>("kernel32.dll", "GetNativeSystemInfo");
  if (!fn) return false;
  SYSTEM_INFO local;
  std::memset(&local, 0, sizeof local);
  fn(&local);
  record = local;
  return true;
}

DWORD QueryProductInfo(DWORD major, DWORD minor, DWORD spMajor, DWORD spMinor) {
  auto fn = base::LateBound<BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*)>("kernel32.dll", "GetProductInfo");
  DWORD code = 0;
  if (fn) fn(major, minor, spMajor, spMinor, &code);  // the code alone counts
  return code;
}

bool Win32HardInfo::QueryVersion(TOSVersion& r) {
  OSVERSIONINFOA v;
  std::memset(&v, 0, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  if (!GetVersionExA(&v)) return false;
  r.MajorVersion = v.dwMajorVersion;
  r.MinorVersion = v.dwMinorVersion;
  r.BuildNumber = v.dwBuildNumber;
  r.PlatformId = v.dwPlatformId;
  r.CSDVersion.assign(v.szCSDVersion, strnlen(v.szCSDVersion, sizeof v.szCSDVersion));
  return true;
}

void Win32HardInfo::QueryVersionEx(TOSVersionEx& r) {
  OSVERSIONINFOEXA v;
  std::memset(&v, 0, sizeof v);
  if (!hardinfo::QueryVersionEx(v)) return;
  r.SuiteMask = v.wSuiteMask;
  r.ProductType = v.wProductType;
}

void Win32HardInfo::QueryNativeSystemInfo(TNativeSystemInfo& r) {
  SYSTEM_INFO si;
  std::memset(&si, 0, sizeof si);
  if (!hardinfo::QueryNativeSystemInfo(si)) return;
  r.ProcessorArchitecture = si.wProcessorArchitecture;
}

uint32_t Win32HardInfo::QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor,
                                         uint32_t spMinor) {
  return hardinfo::QueryProductInfo(major, minor, spMajor, spMinor);
}

// The system metric is set only on the R2 release of Server 2003.
bool Win32HardInfo::IsServer2003R2() { return GetSystemMetrics(SM_SERVERR2) != 0; }

TFlagsReadings Win32HardInfo::ToggleIdFlag() {
  TFlagsReadings f;
#if defined(__x86_64__)
  uint64_t before, after;
  // One block, so no compiled code can touch the flags between the readings;
  // the original flags are put back at the end.
  __asm__ volatile(
      "pushfq\n\t"
      "popq %1\n\t"
      "movq %1, %0\n\t"
      "xorq $0x200000, %0\n\t"
      "pushq %0\n\t"
      "popfq\n\t"
      "pushfq\n\t"
      "popq %0\n\t"
      "pushq %1\n\t"
      "popfq"
      : "=&r"(after), "=&r"(before)
      :
      : "cc", "memory");
  f.Before = before;
  f.After = after;
#elif defined(__i386__)
  uint32_t before, after;
  __asm__ volatile(
      "pushfl\n\t"
      "popl %1\n\t"
      "movl %1, %0\n\t"
      "xorl $0x200000, %0\n\t"
      "pushl %0\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "pushl %1\n\t"
      "popfl"
      : "=&r"(after), "=&r"(before)
      :
      : "cc", "memory");
  f.Before = before;
  f.After = after;
#endif
  // Elsewhere both readings stay equal: no CPUID.
  return f;
}

TCPUIDSignature Win32HardInfo::CPUIDLeaf1() {
  TCPUIDSignature w{};
#ifdef VESK_HAVE_X86
  unsigned a, b, c, d;
  __cpuid(1, a, b, c, d);
  w = {a, b, c, d};
#endif
  return w;
}

uint64_t Win32HardInfo::ReadTimeStamp() {
#ifdef VESK_HAVE_X86
  return __rdtsc();
#else
  return 0;
#endif
}

uint32_t Win32HardInfo::ProcessPriorityClass() { return GetPriorityClass(GetCurrentProcess()); }
int Win32HardInfo::ThreadPriority() { return GetThreadPriority(GetCurrentThread()); }
void Win32HardInfo::SetProcessPriorityClass(uint32_t c) { SetPriorityClass(GetCurrentProcess(), c); }
void Win32HardInfo::SetThreadPriority(int p) { ::SetThreadPriority(GetCurrentThread(), p); }
void Win32HardInfo::SleepMs(uint32_t ms) { Sleep(ms); }

TRegistryAnswer Win32HardInfo::ReadProcessorNameValue() {
  TRegistryAnswer a;
  HKEY h = nullptr;
  // Query access only: full access is refused to ordinary users, and the key
  // must never be created.
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorKey, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
    return a;
  RegKey key(h);
  DWORD size = 0, type = 0;
  LONG rc = RegQueryValueExA(key.get(), kProcessorNameValue, nullptr, &type, nullptr, &size);
  // The value may grow between the size query and the read.
  for (int attempt = 0; rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA; ++attempt) {
    if (attempt == 4) break;
    std::string data(size + 1, '\0');
    DWORD got = size + 1;
    rc = RegQueryValueExA(key.get(), kProcessorNameValue, nullptr, &type,
                          reinterpret_cast<BYTE*>(&data[0]), &got);
    if (rc == ERROR_SUCCESS) {
      data.resize(got < data.size() ? got : data.size());
      a.Result = TRegistryAnswer::Found;
      a.Type = type;
      a.Data = std::move(data);
      return a;
    }
    if (rc == ERROR_MORE_DATA) size = got;
  }
  a.Result = rc == ERROR_FILE_NOT_FOUND ? TRegistryAnswer::ValueMissing : TRegistryAnswer::ReadFailed;
  return a;
}

void Win32HardInfo::OpenNetbios() { netapi_ = std::make_unique<base::SystemLibrary>("netapi32.dll"); }
void Win32HardInfo::CloseNetbios() { netapi_.reset(); }

uint8_t Win32HardInfo::Netbios(TNcb& b) {
  const base::SystemLibrary netapi("netapi32.dll");
  const auto netbios = base::LateBound<UCHAR(APIENTRY*)(PNCB)>(netapi.get(), "Netbios");
  if (!netbios) return NRC_SYSTEM;
  NCB n;
  std::memset(&n, 0, sizeof n);
  n.ncb_command = b.Command;
  n.ncb_buffer = b.Buffer;
  n.ncb_length = b.Length;
  std::memcpy(n.ncb_callname, b.CallName, sizeof n.ncb_callname);
  n.ncb_lana_num = b.LanaNum;
  return netbios(&n);
}

bool Win32HardInfo::QueryComputerName(char* buffer, uint32_t& size) {
  DWORD n = size;
  const BOOL ok = GetComputerNameA(buffer, &n);
  size = n;
  return ok != FALSE;
}

int Win32HardInfo::StartSockets(uint16_t version) { return base::WinsockStartup(version); }
void Win32HardInfo::StopSockets() { base::WinsockCleanup(); }

bool Win32HardInfo::ResolveHost(const std::string& name, std::array<uint8_t, 4>& address) {
  const base::Wsock32 ws;
  const hostent* h = ws.getHostByName ? ws.getHostByName(name.c_str()) : nullptr;
  if (!h || h->h_addrtype != AF_INET || h->h_length < 4 || !h->h_addr_list || !h->h_addr_list[0])
    return false;
  std::memcpy(address.data(), h->h_addr_list[0], 4);
  return true;
}

}  // namespace hardinfo

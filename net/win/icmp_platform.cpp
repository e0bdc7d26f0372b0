// Winsock 1.1 and icmp.dll behind the echo client's seam.
#include "base/win/winsock.h"
#include "base/win/late_bound.h"
#include "base/win/system_library.h"

#include <ipexport.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "net/icmp.h"

namespace {

// The reply records DecodeEchoReply reads byte by byte, and the options
// header the request carries, pinned on both builds.
constexpr EchoReplyLayout kReply = EchoReplyLayoutFor(sizeof(void*));
static_assert(sizeof(ICMP_ECHO_REPLY) == kReply.size, "");
static_assert(offsetof(ICMP_ECHO_REPLY, Address) == kReply.kAddress, "");
static_assert(offsetof(ICMP_ECHO_REPLY, Status) == kReply.kStatus, "");
static_assert(offsetof(ICMP_ECHO_REPLY, RoundTripTime) == kReply.kRoundTripTime, "");
static_assert(offsetof(ICMP_ECHO_REPLY, DataSize) == kReply.kDataSize, "");
static_assert(offsetof(ICMP_ECHO_REPLY, Reserved) == kReply.kReserved, "");
static_assert(offsetof(ICMP_ECHO_REPLY, Data) == kReply.kData, "");
static_assert(offsetof(ICMP_ECHO_REPLY, Options) == kReply.options, "");
static_assert(offsetof(ICMP_ECHO_REPLY, Options) + offsetof(IP_OPTION_INFORMATION, OptionsData) ==
                  kReply.optionsData, "");
static_assert(offsetof(IP_OPTION_INFORMATION, Ttl) == 0 && offsetof(IP_OPTION_INFORMATION, Tos) == 1 &&
                  offsetof(IP_OPTION_INFORMATION, Flags) == 2 && offsetof(IP_OPTION_INFORMATION, OptionsSize) == 3,
              "");

typedef HANDLE(WINAPI* IcmpCreateFileFn)();
typedef BOOL(WINAPI* IcmpCloseHandleFn)(HANDLE);
typedef DWORD(WINAPI* IcmpSendEchoFn)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID,
                                      DWORD, DWORD);

class Win32Icmp : public IcmpPlatform {
 public:
  int WsaStartup(std::uint16_t version) override { return base::WinsockStartup(version); }
  void WsaCleanup() override { base::WinsockCleanup(); }
  std::uint32_t InetAddr(const std::string& text) override {
    const base::Wsock32 ws;
    return ws.inetAddr ? ws.inetAddr(text.c_str()) : kNoAddress;
  }
  std::string InetNtoa(std::uint32_t address) override {
    const base::Wsock32 ws;
    in_addr a;
    a.s_addr = address;
    const char* s = ws.inetNtoa ? ws.inetNtoa(a) : nullptr;
    return s ? s : "";
  }
  bool GetHostByName(const std::string& name, HostEntry& entry) override {
    const base::Wsock32 ws;
    const hostent* h = ws.getHostByName ? ws.getHostByName(name.c_str()) : nullptr;
    if (!h || !h->h_addr_list || !h->h_addr_list[0] || h->h_length != 4) return false;
    std::memcpy(&entry.FirstAddress, h->h_addr_list[0], 4);
    entry.OfficialName = h->h_name ? h->h_name : "";
    return true;
  }
  bool GetHostByAddr(std::uint32_t address, std::string& officialName) override {
    const base::Wsock32 ws;
    const hostent* h =
        ws.getHostByAddr ? ws.getHostByAddr(reinterpret_cast<const char*>(&address), 4, AF_INET) : nullptr;
    if (!h) return false;
    officialName = h->h_name ? h->h_name : "";
    return true;
  }
  int LastError() override { return static_cast<int>(::GetLastError()); }

  // icmp.dll forwards its functions to iphlpapi.dll on Vista and 7, so
  // that is loaded first and held with it.
  Module LoadLib(const char* name) override {
    auto lib = std::make_unique<base::SystemLibrary>(name, "iphlpapi.dll");
    return *lib ? lib.release() : nullptr;
  }
  Proc ProcAddress(Module module, const char* name) override {
    return base::LateBound<Proc>(static_cast<base::SystemLibrary*>(module)->get(), name);
  }
  void FreeLib(Module module) override { delete static_cast<base::SystemLibrary*>(module); }

  Handle IcmpCreateFile(Proc createFile) override {
    HANDLE h = reinterpret_cast<IcmpCreateFileFn>(createFile)();
    return reinterpret_cast<Handle>(h);
  }
  void IcmpCloseHandle(Proc closeHandle, Handle echo) override {
    reinterpret_cast<IcmpCloseHandleFn>(closeHandle)(reinterpret_cast<HANDLE>(echo));
  }
  unsigned IcmpSendEcho(Proc sendEcho, Handle echo, std::uint32_t destination,
                        const void* requestData, std::uint16_t requestSize,
                        const EchoOptions& options, void* replyBuffer, std::uint32_t replySize,
                        std::uint32_t timeoutMs) override {
    IP_OPTION_INFORMATION info;
    std::memset(&info, 0, sizeof info);
    info.Ttl = options.Ttl;
    info.Tos = options.Tos;
    info.Flags = options.Flags;
    info.OptionsSize = options.OptionsSize;
    return reinterpret_cast<IcmpSendEchoFn>(sendEcho)(
        reinterpret_cast<HANDLE>(echo), destination, const_cast<void*>(requestData), requestSize,
        &info, replyBuffer, replySize, timeoutMs);
  }
  std::size_t ReplyRecordSize() override { return sizeof(ICMP_ECHO_REPLY); }
};

}  // namespace

IcmpPlatform& Win32IcmpPlatform() {
  static Win32Icmp platform;
  return platform;
}

// ICMP echo client: resolves a host through Winsock 1.1 and sends one echo
// request through the platform's ICMP library per SendEcho.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// What the client needs from the platform: Winsock 1.1, the run-time library
// loader and calls through the ICMP entry points it looked up. Handles and
// entry points are opaque values the platform hands out and takes back.
class IcmpPlatform {
 public:
  using Module = void*;
  using Proc = void*;
  using Handle = std::uintptr_t;
  static constexpr Handle kInvalidHandle = ~Handle(0);
  static constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;  // inet_addr's INADDR_NONE

  struct HostEntry {
    std::string OfficialName;
    std::uint32_t FirstAddress = 0;  // network byte order
  };
  // IP_OPTION_INFORMATION without its options data.
  struct EchoOptions {
    std::uint8_t Ttl = 0, Tos = 0, Flags = 0, OptionsSize = 0;
  };

  virtual ~IcmpPlatform() = default;

  // Winsock 1.1. WsaStartup returns 0 on success.
  virtual int WsaStartup(std::uint16_t version) = 0;
  virtual void WsaCleanup() = 0;
  virtual std::uint32_t InetAddr(const std::string& text) = 0;
  virtual std::string InetNtoa(std::uint32_t address) = 0;
  virtual bool GetHostByName(const std::string& name, HostEntry& entry) = 0;
  virtual bool GetHostByAddr(std::uint32_t address, std::string& officialName) = 0;
  virtual int LastError() = 0;

  // Run-time library loading; null when missing.
  virtual Module LoadLib(const char* name) = 0;
  virtual Proc ProcAddress(Module module, const char* name) = 0;
  virtual void FreeLib(Module module) = 0;

  // Calls through the ICMP entry points.
  virtual Handle IcmpCreateFile(Proc createFile) = 0;
  virtual void IcmpCloseHandle(Proc closeHandle, Handle echo) = 0;
  virtual unsigned IcmpSendEcho(Proc sendEcho, Handle echo, std::uint32_t destination,
                                const void* requestData, std::uint16_t requestSize,
                                const EchoOptions& options, void* replyBuffer,
                                std::uint32_t replySize, std::uint32_t timeoutMs) = 0;

  // Bytes of one ICMP_ECHO_REPLY record in the platform's own layout.
  virtual std::size_t ReplyRecordSize() = 0;
};

// ICMP_ECHO_REPLY with its pointers widened so that both layouts fit.
struct IcmpEchoReply {
  std::uint32_t Address = 0;
  std::uint32_t Status = 0;
  std::uint32_t RoundTripTime = 0;
  std::uint16_t DataSize = 0;
  std::uint16_t Reserved = 0;
  std::uint64_t Data = 0;
  IcmpPlatform::EchoOptions Options;
  std::uint64_t OptionsData = 0;
};

// Where ICMP_ECHO_REPLY keeps its fields for pointers of `pointer` bytes:
// the options header follows the data pointer, and the options data pointer
// is aligned to its own width.
struct EchoReplyLayout {
  static constexpr std::size_t kAddress = 0, kStatus = 4, kRoundTripTime = 8, kDataSize = 12,
                               kReserved = 14, kData = 16;
  std::size_t options, optionsData, size;
};
constexpr EchoReplyLayout EchoReplyLayoutFor(std::size_t pointer) {
  return {16 + pointer, 16 + 2 * pointer, 16 + 3 * pointer};
}

// Reads a reply record of 28 bytes (4-byte pointers) or 40 bytes (8-byte
// pointers).
IcmpEchoReply DecodeEchoReply(const std::uint8_t* record, std::size_t recordSize);

class TICMPException : public std::runtime_error {
 public:
  explicit TICMPException(const std::string& message) : std::runtime_error(message) {}
};

class TICMP {
 public:
  using TNoticeEvent = std::function<void(TICMP* Sender, const std::string& Text)>;
  using TNotifyEvent = std::function<void(TICMP* Sender)>;
  using TAfterSendEvent = std::function<void(TICMP* Sender, int ReplyCount)>;

  static constexpr const char* kPayload = "Pinging from Kormic code written by R. Vollan";
  static constexpr int kPayloadLength = 45;
  static constexpr int kBadDestination = 11018;  // IP_BAD_DESTINATION

  // Starts Winsock, loads icmp.dll and opens an echo handle; raises
  // TICMPException after releasing whatever it already took.
  explicit TICMP(IcmpPlatform& platform);
  ~TICMP();
  TICMP(const TICMP&) = delete;
  TICMP& operator=(const TICMP&) = delete;

  void SetHost(const std::string& host);
  const std::string& Host() const { return HostText; }
  void Resolve();
  int SendEcho();

  // The request data for the current DataSize.
  std::string RequestData() const;
  // The reply buffer's size for the current DataSize: one record in the
  // platform's layout, the data and room for an ICMP error.
  std::size_t ReplyBufferSize() const;

  IcmpPlatform::Module LibraryHandle = nullptr;
  IcmpPlatform::Proc CreateFileProc = nullptr;
  IcmpPlatform::Proc CloseHandleProc = nullptr;
  IcmpPlatform::Proc SendEchoProc = nullptr;
  IcmpPlatform::Handle EchoHandle = IcmpPlatform::kInvalidHandle;
  IcmpEchoReply LastReply;
  std::string HostText;
  std::string ResolvedName;
  std::string ResolvedAddressText;
  std::uint32_t TargetAddress = 0;
  std::int32_t DataSize = 56;
  std::int32_t TimeoutMs = 4000;
  std::int32_t TimeToLive = 64;
  std::uint8_t IpFlags = 0;
  TNoticeEvent OnNotice;
  TNotifyEvent OnBeforeSend;
  TAfterSendEvent OnAfterSend;
  std::int32_t LastErrorCode = 0;
  bool IsResolved = false;

 private:
  void Release();
  void Notice(const std::string& text);
  IcmpPlatform& platform_;
};

// The host's official name for a dotted address, or empty text; runs its own
// Winsock start-up. Control bytes (below 0x20, and 0x7F) show as "?".
std::string LookupHostName(IcmpPlatform& platform, const std::string& address);

// "a.b.c.d" from the texts of the first three octets and the last octet.
std::string ProbeAddressText(const std::string& n1, const std::string& n2, const std::string& n3,
                             int last);

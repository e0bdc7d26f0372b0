#include "net/icmp.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::uint64_t ReadLE(const std::uint8_t* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

IcmpEchoReply DecodeEchoReply(const std::uint8_t* r, std::size_t recordSize) {
  IcmpEchoReply out;
  if (recordSize < 28) return out;
  const int ptr = recordSize >= EchoReplyLayoutFor(8).size ? 8 : 4;
  const EchoReplyLayout at = EchoReplyLayoutFor(ptr);
  out.Address = static_cast<std::uint32_t>(ReadLE(r + at.kAddress, 4));
  out.Status = static_cast<std::uint32_t>(ReadLE(r + at.kStatus, 4));
  out.RoundTripTime = static_cast<std::uint32_t>(ReadLE(r + at.kRoundTripTime, 4));
  out.DataSize = static_cast<std::uint16_t>(ReadLE(r + at.kDataSize, 2));
  out.Reserved = static_cast<std::uint16_t>(ReadLE(r + at.kReserved, 2));
  out.Data = ReadLE(r + at.kData, ptr);
  const std::uint8_t* o = r + at.options;
  out.Options.Ttl = o[0];
  out.Options.Tos = o[1];
  out.Options.Flags = o[2];
  out.Options.OptionsSize = o[3];
  out.OptionsData = ReadLE(r + at.optionsData, ptr);
  return out;
}

TICMP::TICMP(IcmpPlatform& platform) : platform_(platform) {
  try {
    if (platform_.WsaStartup(0x0101) != 0) throw TICMPException("Error initialising Winsock");
    LibraryHandle = platform_.LoadLib("icmp.dll");
    if (!LibraryHandle) throw TICMPException("Unable to register icmp.dll");
    CreateFileProc = platform_.ProcAddress(LibraryHandle, "IcmpCreateFile");
    CloseHandleProc = platform_.ProcAddress(LibraryHandle, "IcmpCloseHandle");
    SendEchoProc = platform_.ProcAddress(LibraryHandle, "IcmpSendEcho");
    if (!CreateFileProc || !CloseHandleProc || !SendEchoProc)
      throw TICMPException("Error loading dll functions");
    EchoHandle = platform_.IcmpCreateFile(CreateFileProc);
    if (EchoHandle == IcmpPlatform::kInvalidHandle) throw TICMPException("Unable to get ping handle");
  } catch (...) {
    // The destructor does not run for a half-built object.
    Release();
    throw;
  }
}

TICMP::~TICMP() { Release(); }

void TICMP::Release() {
  if (EchoHandle != IcmpPlatform::kInvalidHandle) {
    platform_.IcmpCloseHandle(CloseHandleProc, EchoHandle);
    EchoHandle = IcmpPlatform::kInvalidHandle;
  }
  if (LibraryHandle) {
    platform_.FreeLib(LibraryHandle);
    LibraryHandle = nullptr;
    CreateFileProc = CloseHandleProc = SendEchoProc = nullptr;
  }
  platform_.WsaCleanup();
}

void TICMP::Notice(const std::string& text) {
  if (OnNotice) OnNotice(this, text);
}

void TICMP::SetHost(const std::string& host) {
  if (host == HostText) return;
  HostText = host;
  IsResolved = false;
}

void TICMP::Resolve() {
  TargetAddress = platform_.InetAddr(HostText);
  if (TargetAddress != IcmpPlatform::kNoAddress) {
    ResolvedName = HostText;
  } else {
    IcmpPlatform::HostEntry entry;
    if (!platform_.GetHostByName(HostText, entry)) {
      LastErrorCode = platform_.LastError();
      Notice("Unable to resolve " + HostText);
      return;
    }
    TargetAddress = entry.FirstAddress;
    ResolvedName = entry.OfficialName;
  }
  ResolvedAddressText = platform_.InetNtoa(TargetAddress);
  IsResolved = true;
}

std::string TICMP::RequestData() const {
  const std::size_t size = static_cast<std::size_t>(std::max(DataSize, 0));
  std::string data(size, ' ');
  std::memcpy(&data[0], kPayload, std::min<std::size_t>(size, kPayloadLength));
  return data;
}

std::size_t TICMP::ReplyBufferSize() const {
  return platform_.ReplyRecordSize() + static_cast<std::size_t>(std::max(DataSize, 0)) + 8;
}

int TICMP::SendEcho() {
  int result = 0;
  LastErrorCode = 0;
  if (!IsResolved) Resolve();
  if (TargetAddress == IcmpPlatform::kNoAddress) {
    LastErrorCode = kBadDestination;
    Notice("Invalid host address");
    return 0;
  }
  const std::string request = RequestData();
  // The low 16 bits of what the request holds: a negative DataSize holds
  // nothing, and the size sent must never claim more than there is.
  const auto requestSize = static_cast<std::uint16_t>(request.size() & 0xFFFF);
  const std::size_t record = platform_.ReplyRecordSize();
  std::vector<std::uint8_t> reply(ReplyBufferSize(), 0);
  std::fill(reply.begin(), reply.begin() + record, 0);
  if (OnBeforeSend) OnBeforeSend(this);
  IcmpPlatform::EchoOptions options;
  options.Ttl = static_cast<std::uint8_t>(TimeToLive & 0xFF);
  options.Flags = IpFlags;
  result = static_cast<int>(platform_.IcmpSendEcho(
      SendEchoProc, EchoHandle, TargetAddress, request.data(), requestSize, options, reply.data(),
      static_cast<std::uint32_t>(reply.size()), static_cast<std::uint32_t>(TimeoutMs)));
  LastErrorCode = platform_.LastError();
  LastReply = DecodeEchoReply(reply.data(), record);
  if (OnAfterSend) OnAfterSend(this, result);
  return result;
}

std::string LookupHostName(IcmpPlatform& platform, const std::string& address) {
  std::string name;
  if (address.empty()) return name;
  const std::uint32_t addr = platform.InetAddr(address);
  platform.WsaStartup(0x0101);
  std::string official;
  if (platform.GetHostByAddr(addr, official)) name = official;
  // The name comes from whoever answers the look-up: a line break in it
  // could forge further "address:name" lines of the list and its print.
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  platform.WsaCleanup();
  return name;
}

std::string ProbeAddressText(const std::string& n1, const std::string& n2, const std::string& n3,
                             int last) {
  return n1 + "." + n2 + "." + n3 + "." + std::to_string(last);
}

// Network identity: adapter address, computer name, IPv4 address.
#include <cstring>

#include "base/text.h"
#include "probes/hardinfo.h"

namespace hardinfo {

namespace {

void AppendAddress(std::string& text, const uint8_t* status) {
  for (int i = 0; i < 6; ++i) text += base::Format("%02X-", status[kAdapterAddressAt + i]);
  text.pop_back();
}

// Keeps NetBIOS open for the requests of one probe.
class NetbiosSession {
 public:
  explicit NetbiosSession(HardInfoPlatform& p) : p_(p) { p_.OpenNetbios(); }
  NetbiosSession(const NetbiosSession&) = delete;
  NetbiosSession& operator=(const NetbiosSession&) = delete;
  ~NetbiosSession() { p_.CloseNetbios(); }

 private:
  HardInfoPlatform& p_;
};

// Balances a successful start-up of Windows Sockets.
class SocketsSession {
 public:
  explicit SocketsSession(HardInfoPlatform& p) : p_(p), started_(p.StartSockets(0x0002) == 0) {}
  SocketsSession(const SocketsSession&) = delete;
  SocketsSession& operator=(const SocketsSession&) = delete;
  ~SocketsSession() {
    if (started_) p_.StopSockets();
  }
  bool Started() const { return started_; }

 private:
  HardInfoPlatform& p_;
  bool started_;
};

}  // namespace

std::string GetMACAddress(HardInfoPlatform& p) {
  TOSVersion v;
  const uint32_t platformId = p.QueryVersion(v) ? v.PlatformId : 0;
  std::string text;
  NetbiosSession netbios(p);

  uint8_t lanas[kLanaEnumSize] = {};  // count byte, then the LANA numbers
  {
    TNcb enumerate;
    enumerate.Command = kNcbEnum;
    enumerate.Buffer = lanas;
    enumerate.Length = sizeof lanas;
    p.Netbios(enumerate);
  }

  // One status buffer for every LANA, never cleared between requests.
  uint8_t status[kAdapterStatusSize] = {};
  for (int i = 0; i < lanas[0]; ++i) {
    const uint8_t lana = lanas[1 + i];
    TNcb reset;
    reset.Command = kNcbReset;
    reset.LanaNum = lana;
    p.Netbios(reset);
    p.Netbios(reset);

    TNcb astat;
    astat.Command = kNcbAStat;
    astat.LanaNum = lana;
    astat.CallName[0] = '*';
    astat.Buffer = status;
    astat.Length = sizeof status;
    const uint8_t rc = p.Netbios(astat);
    if (platformId == kPlatformNT) {
      if (rc == 0) text.clear();
      AppendAddress(text, status);
    } else if (rc != 0) {
      text.clear();
      AppendAddress(text, status);
    }
  }
  return text;
}

std::string GetLocalComputerName(HardInfoPlatform& p) {
  char buffer[17] = {};  // one spare byte keeps a full buffer terminated
  uint32_t size = 16;
  p.QueryComputerName(buffer, size);
  return std::string(buffer, strnlen(buffer, 16));
}

std::string GetIPAddress(HardInfoPlatform& p, const std::string& hostName) {
  SocketsSession sockets(p);
  // Without a start-up there is nothing to ask, and no clean-up is owed.
  if (!sockets.Started()) return "";
  std::array<uint8_t, 4> a{};
  if (!p.ResolveHost(hostName, a)) return "";
  return base::Format("%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
}

std::array<std::string, 3> FirstThreeOctets(std::string rest) {
  std::array<std::string, 3> out;
  for (auto& field : out) {
    const size_t dot = rest.find('.');
    if (dot == std::string::npos) continue;  // field stays empty, nothing removed
    field = rest.substr(0, dot);
    rest.erase(0, dot + 1);
  }
  return out;
}

}  // namespace hardinfo

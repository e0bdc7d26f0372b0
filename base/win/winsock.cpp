#include "base/win/winsock.h"

#include "base/win/late_bound.h"

#include <memory>
#include <vector>

namespace base {

Wsock32::Wsock32()
    : lib("wsock32.dll"),
      startup(LateBound<decltype(startup)>(lib.get(), "WSAStartup")),
      cleanup(LateBound<decltype(cleanup)>(lib.get(), "WSACleanup")),
      inetAddr(LateBound<decltype(inetAddr)>(lib.get(), "inet_addr")),
      inetNtoa(LateBound<decltype(inetNtoa)>(lib.get(), "inet_ntoa")),
      getHostByName(LateBound<decltype(getHostByName)>(lib.get(), "gethostbyname")),
      getHostByAddr(LateBound<decltype(getHostByAddr)>(lib.get(), "gethostbyaddr")) {}

namespace {

// The loads of the start-ups that succeeded, latest last.
std::vector<std::unique_ptr<Wsock32>>& StartedLoads() {
  static std::vector<std::unique_ptr<Wsock32>> loads;
  return loads;
}

}  // namespace

int WinsockStartup(WORD version) {
  auto ws = std::make_unique<Wsock32>();
  if (!ws->startup || !ws->cleanup) return WSASYSNOTREADY;
  WSADATA data;
  const int r = ws->startup(version, &data);
  if (r == 0) StartedLoads().push_back(std::move(ws));
  return r;
}

void WinsockCleanup() {
  auto& loads = StartedLoads();
  if (loads.empty()) return;  // nothing started: WSACleanup would only fail
  const std::unique_ptr<Wsock32> ws = std::move(loads.back());
  loads.pop_back();
  ws->cleanup();
}

}  // namespace base

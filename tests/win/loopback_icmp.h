// The Win32 echo platform for window tests: every call goes through to it,
// except an echo outside 127.0.0.0/8, and a name look-up outside the
// loopback-only namespace, which fail the test and never leave the process.
// Derived platforms override what they record or change.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/win/main.h"
#include "net/icmp.h"

// Why name look-ups would leave this machine, or empty when they stay on
// it: the tests run in the network namespace of scripts/loopback-ns.sh, whose
// resolver is on loopback and whose hosts file holds the test hosts' names
// (seen through Wine's Z:).
inline std::string WhyLookupsLeave() {
  const char* inside = std::getenv("VESK_LOOPBACK_ONLY");
  if (!inside || std::string(inside) != "1")
    return "not in the loopback-only network namespace (scripts/loopback-ns.sh)";
  std::ifstream resolv("Z:\\etc\\resolv.conf");
  std::string line;
  while (std::getline(resolv, line)) {
    std::istringstream words(line);
    std::string key, server;
    if (words >> key >> server && key == "nameserver" && server.compare(0, 4, "127.") != 0)
      return "the resolver " + server + " is not on loopback";
  }
  std::ifstream hosts("Z:\\etc\\hosts");
  std::stringstream all;
  all << hosts.rdbuf();
  if (all.str().find("vesk-seven.test") == std::string::npos)
    return "/etc/hosts does not hold the test hosts' names";
  return "";
}

// Asked before every look-up of a sweep; the files are read once a run.
inline bool LookupsStayLocal(std::string* why = nullptr) {
  static const std::string reason = WhyLookupsLeave();
  if (why) *why = reason;
  return reason.empty();
}

#define SKIP_UNLESS_LOOKUPS_STAY_LOCAL()                       \
  do {                                                         \
    std::string why_;                                          \
    if (!LookupsStayLocal(&why_)) GTEST_SKIP() << why_;        \
  } while (0)

class LoopbackIcmp : public IcmpPlatform {
 public:
  IcmpPlatform& real = Win32IcmpPlatform();

  int WsaStartup(std::uint16_t v) override { return real.WsaStartup(v); }
  void WsaCleanup() override { real.WsaCleanup(); }
  std::uint32_t InetAddr(const std::string& t) override { return real.InetAddr(t); }
  std::string InetNtoa(std::uint32_t a) override { return real.InetNtoa(a); }
  bool GetHostByName(const std::string& n, HostEntry& e) override {
    return LookupAllowed(n) && real.GetHostByName(n, e);
  }
  bool GetHostByAddr(std::uint32_t a, std::string& n) override {
    return LookupAllowed(real.InetNtoa(a)) && real.GetHostByAddr(a, n);
  }
  int LastError() override { return real.LastError(); }
  Module LoadLib(const char* name) override { return real.LoadLib(name); }
  Proc ProcAddress(Module m, const char* n) override { return real.ProcAddress(m, n); }
  void FreeLib(Module m) override { real.FreeLib(m); }
  Handle IcmpCreateFile(Proc p) override { return real.IcmpCreateFile(p); }
  void IcmpCloseHandle(Proc p, Handle h) override { real.IcmpCloseHandle(p, h); }
  unsigned IcmpSendEcho(Proc p, Handle h, std::uint32_t dest, const void* data, std::uint16_t size,
                        const EchoOptions& o, void* reply, std::uint32_t replySize,
                        std::uint32_t timeout) override {
    if (!IsLoopback(dest)) {
      ADD_FAILURE() << "echo to " << real.InetNtoa(dest) << " refused";
      return 0;
    }
    return real.IcmpSendEcho(p, h, dest, data, size, o, reply, replySize, timeout);
  }
  std::size_t ReplyRecordSize() override { return real.ReplyRecordSize(); }

  // The first octet is the low byte of the network-order address.
  static bool IsLoopback(std::uint32_t dest) { return (dest & 0xFF) == 127; }

  static bool LookupAllowed(const std::string& what) {
    std::string why;
    if (LookupsStayLocal(&why)) return true;
    ADD_FAILURE() << "look-up of " << what << " refused: " << why;
    return false;
  }
};

// The Win32 echo platform for window tests: every call goes through to it,
// except an echo outside 127.0.0.0/8, which fails the test and never leaves
// the process. Derived platforms override what they record or change.
#pragma once
#include <gtest/gtest.h>

#include "app/win/main.h"
#include "net/icmp.h"

class LoopbackIcmp : public IcmpPlatform {
 public:
  IcmpPlatform& real = Win32IcmpPlatform();

  int WsaStartup(std::uint16_t v) override { return real.WsaStartup(v); }
  void WsaCleanup() override { real.WsaCleanup(); }
  std::uint32_t InetAddr(const std::string& t) override { return real.InetAddr(t); }
  std::string InetNtoa(std::uint32_t a) override { return real.InetNtoa(a); }
  bool GetHostByName(const std::string& n, HostEntry& e) override { return real.GetHostByName(n, e); }
  bool GetHostByAddr(std::uint32_t a, std::string& n) override { return real.GetHostByAddr(a, n); }
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
};

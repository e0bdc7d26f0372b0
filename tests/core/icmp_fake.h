// A scripted ICMP platform that records every call in order.
#pragma once
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "net/icmp.h"

class FakeIcmpPlatform : public IcmpPlatform {
 public:
  // Script.
  int startupResult = 0;
  bool haveLibrary = true;
  std::vector<std::string> missingProcs;
  Handle echoHandle = 0x1234;
  std::map<std::string, HostEntry> names;      // gethostbyname answers
  std::map<std::uint32_t, std::string> reverse;  // gethostbyaddr answers
  int resolveError = 11001;                    // WSAHOST_NOT_FOUND
  unsigned replies = 1;
  int sendError = 0;
  std::size_t recordSize = 28;

  // Record.
  std::vector<std::string> calls;
  int libraryLoads = 0, libraryFrees = 0, startups = 0, cleanups = 0, opens = 0, closes = 0;
  struct Echo {
    std::uint32_t destination;
    std::string data;
    std::uint16_t requestSize;
    EchoOptions options;
    std::uint32_t replySize, timeoutMs;
  };
  std::vector<Echo> echoes;

  int WsaStartup(std::uint16_t version) override {
    calls.push_back("WSAStartup " + std::to_string(version));
    ++startups;
    return startupResult;
  }
  void WsaCleanup() override {
    calls.push_back("WSACleanup");
    ++cleanups;
  }
  std::uint32_t InetAddr(const std::string& text) override {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 ||
        b > 255 || c > 255 || d > 255)
      return kNoAddress;
    return a | b << 8 | c << 16 | d << 24;
  }
  std::string InetNtoa(std::uint32_t x) override {
    return std::to_string(x & 255) + "." + std::to_string(x >> 8 & 255) + "." +
           std::to_string(x >> 16 & 255) + "." + std::to_string(x >> 24);
  }
  bool GetHostByName(const std::string& name, HostEntry& entry) override {
    calls.push_back("gethostbyname " + name);
    auto it = names.find(name);
    if (it == names.end()) {
      lastError_ = resolveError;
      return false;
    }
    entry = it->second;
    return true;
  }
  bool GetHostByAddr(std::uint32_t address, std::string& official) override {
    calls.push_back("gethostbyaddr " + InetNtoa(address));
    auto it = reverse.find(address);
    if (it == reverse.end()) return false;
    official = it->second;
    return true;
  }
  int LastError() override { return lastError_; }

  Module LoadLib(const char* name) override {
    calls.push_back(std::string("LoadLibrary ") + name);
    if (!haveLibrary) return nullptr;
    ++libraryLoads;
    return &module_;
  }
  Proc ProcAddress(Module, const char* name) override {
    calls.push_back(std::string("GetProcAddress ") + name);
    for (const auto& m : missingProcs)
      if (m == name) return nullptr;
    return const_cast<char*>(name);  // any distinct non-null value
  }
  void FreeLib(Module) override {
    calls.push_back("FreeLibrary");
    ++libraryFrees;
  }
  Handle IcmpCreateFile(Proc) override {
    calls.push_back("IcmpCreateFile");
    if (echoHandle != kInvalidHandle) ++opens;
    return echoHandle;
  }
  void IcmpCloseHandle(Proc, Handle) override {
    calls.push_back("IcmpCloseHandle");
    ++closes;
  }
  unsigned IcmpSendEcho(Proc, Handle, std::uint32_t destination, const void* data,
                        std::uint16_t size, const EchoOptions& options, void* reply,
                        std::uint32_t replySize, std::uint32_t timeoutMs) override {
    calls.push_back("IcmpSendEcho " + InetNtoa(destination));
    echoes.push_back({destination, std::string(static_cast<const char*>(data), size), size,
                      options, replySize, timeoutMs});
    auto* r = static_cast<std::uint8_t*>(reply);
    if (replies) {
      std::memcpy(r, &destination, 4);  // Address; Status 0 = success
      r[8] = 1;                         // RoundTripTime
    }
    lastError_ = sendError;
    return replies;
  }
  std::size_t ReplyRecordSize() override { return recordSize; }

 private:
  int lastError_ = 0;
  char module_ = 0;
};

// A platform that answers from given facts and records what was asked.
#pragma once
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "probes/hardinfo.h"

class FakeHardInfo : public HardInfoPlatform {
 public:
  // Windows version.
  bool versionOk = true;
  TOSVersion version;
  bool exFound = true;  // false: the record is left as it was
  TOSVersionEx ex;
  bool siFound = true;
  TNativeSystemInfo si;
  uint32_t productCode = 0;
  bool r2 = false;
  int versionCalls = 0, exCalls = 0, siCalls = 0, r2Calls = 0;
  std::vector<std::vector<uint32_t>> productCalls;

  bool QueryVersion(TOSVersion& r) override {
    ++versionCalls;
    log.push_back("version");
    if (versionOk) r = version;
    return versionOk;
  }
  void QueryVersionEx(TOSVersionEx& r) override {
    ++exCalls;
    if (exFound) r = ex;
  }
  void QueryNativeSystemInfo(TNativeSystemInfo& r) override {
    ++siCalls;
    if (siFound) r = si;
  }
  uint32_t QueryProductInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d) override {
    productCalls.push_back({a, b, c, d});
    return productCode;
  }
  bool IsServer2003R2() override {
    ++r2Calls;
    return r2;
  }

  // Processor. Every call lands in `log`, in order.
  TFlagsReadings flags{0x202, 0x200202};
  TCPUIDSignature cpuid{};
  std::deque<uint64_t> counter;
  uint32_t priorityClass = 0x20;
  int threadPriority = 0;
  bool throwOnLongSleep = false;
  TRegistryAnswer registry;
  std::vector<std::string> log;
  int cpuidCalls = 0;

  TFlagsReadings ToggleIdFlag() override {
    log.push_back("flags");
    return flags;
  }
  TCPUIDSignature CPUIDLeaf1() override {
    ++cpuidCalls;
    return cpuid;
  }
  uint64_t ReadTimeStamp() override {
    log.push_back("rdtsc");
    uint64_t v = counter.empty() ? 0 : counter.front();
    if (!counter.empty()) counter.pop_front();
    return v;
  }
  uint32_t ProcessPriorityClass() override {
    log.push_back("getclass");
    return priorityClass;
  }
  int ThreadPriority() override {
    log.push_back("getthread");
    return threadPriority;
  }
  void SetProcessPriorityClass(uint32_t c) override {
    log.push_back("setclass " + std::to_string(c));
    priorityClass = c;
  }
  void SetThreadPriority(int p) override {
    log.push_back("setthread " + std::to_string(p));
    threadPriority = p;
  }
  void SleepMs(uint32_t ms) override {
    log.push_back("sleep " + std::to_string(ms));
    if (throwOnLongSleep && ms > 100) throw std::runtime_error("interrupted");
  }
  TRegistryAnswer ReadProcessorNameValue() override {
    log.push_back("registry");
    return registry;
  }

  // Network.
  struct StatusAnswer {
    uint8_t code = 0;
    std::optional<std::array<uint8_t, 6>> address;  // none: the buffer is not written
  };
  std::vector<uint8_t> lanas;
  bool enumWrites = true;
  std::map<uint8_t, StatusAnswer> status;
  struct NcbCall {
    uint8_t command, lana;
    uint16_t length;
    std::string callName;
    bool hasBuffer;
  };
  std::vector<NcbCall> ncbCalls;

  uint8_t Netbios(TNcb& n) override {
    if (n.Command == hardinfo::kNcbEnum) log.push_back("ncbenum");
    ncbCalls.push_back({n.Command, n.LanaNum, n.Length, std::string(n.CallName, 16),
                        n.Buffer != nullptr});
    if (n.Command == hardinfo::kNcbEnum && enumWrites) {
      n.Buffer[0] = static_cast<uint8_t>(lanas.size());
      for (size_t i = 0; i < lanas.size(); ++i) n.Buffer[1 + i] = lanas[i];
    } else if (n.Command == hardinfo::kNcbAStat) {
      const StatusAnswer& a = status[n.LanaNum];
      if (a.address) std::memcpy(n.Buffer, a.address->data(), 6);
      return a.code;
    }
    return 0;
  }

  std::string computerName = "VESKPC";
  bool computerNameOk = true;
  uint32_t computerNameSizeAsked = 0;
  bool QueryComputerName(char* buffer, uint32_t& size) override {
    computerNameSizeAsked = size;
    log.push_back("computername");
    if (!computerNameOk) return false;
    std::memcpy(buffer, computerName.data(), std::min<size_t>(computerName.size(), size));
    if (computerName.size() < size) buffer[computerName.size()] = '\0';
    size = static_cast<uint32_t>(computerName.size());
    return true;
  }

  int startupResult = 0;
  std::vector<uint16_t> startups;
  int cleanups = 0;
  std::map<std::string, std::array<uint8_t, 4>> hosts;
  std::vector<std::string> lookups;
  int StartSockets(uint16_t v) override {
    startups.push_back(v);
    log.push_back("startup");
    return startupResult;
  }
  void StopSockets() override {
    ++cleanups;
    log.push_back("cleanup");
  }
  bool ResolveHost(const std::string& name, std::array<uint8_t, 4>& a) override {
    lookups.push_back(name);
    log.push_back("lookup " + name);
    auto it = hosts.find(name);
    if (it == hosts.end()) return false;
    a = it->second;
    return true;
  }
};

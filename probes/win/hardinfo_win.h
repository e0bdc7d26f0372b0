// The Win32 side of HardInfo: the real version queries, processor
// instructions, registry, NetBIOS and Windows Sockets calls.
#pragma once
#include <windows.h>

#include <memory>

#include "base/win/system_library.h"
#include "probes/hardinfo.h"

namespace hardinfo {

// Run-time look-ups in kernel32, loaded and freed on every call. Each leaves
// the caller's record untouched when the function is missing or fails.
bool QueryVersionEx(OSVERSIONINFOEXA& record);
bool QueryNativeSystemInfo(SYSTEM_INFO& record);
DWORD QueryProductInfo(DWORD major, DWORD minor, DWORD spMajor, DWORD spMinor);

extern const char* const kProcessorKey;

class Win32HardInfo : public HardInfoPlatform {
 public:
  bool QueryVersion(TOSVersion& r) override;
  void QueryVersionEx(TOSVersionEx& r) override;
  void QueryNativeSystemInfo(TNativeSystemInfo& r) override;
  uint32_t QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor,
                            uint32_t spMinor) override;
  bool IsServer2003R2() override;

  TFlagsReadings ToggleIdFlag() override;
  TCPUIDSignature CPUIDLeaf1() override;
  uint64_t ReadTimeStamp() override;
  uint32_t ProcessPriorityClass() override;
  int ThreadPriority() override;
  void SetProcessPriorityClass(uint32_t c) override;
  void SetThreadPriority(int p) override;
  void SleepMs(uint32_t ms) override;
  TRegistryAnswer ReadProcessorNameValue() override;

  void OpenNetbios() override;
  void CloseNetbios() override;
  uint8_t Netbios(TNcb& ncb) override;
  bool QueryComputerName(char* buffer, uint32_t& size) override;
  int StartSockets(uint16_t version) override;
  void StopSockets() override;
  bool ResolveHost(const std::string& name, std::array<uint8_t, 4>& address) override;

 private:
  std::unique_ptr<base::SystemLibrary> netapi_;  // between OpenNetbios and CloseNetbios
};

}  // namespace hardinfo

// Processor identification and clock measurement.
#include "base/text.h"
#include "probes/hardinfo.h"

namespace hardinfo {

const char* const kProcessorNameValue = "ProcessorNameString";
const char* const kRegistryReadErrorText =
    "Registry read error: 'ProcessorNameString' is not a string value";
const char* const kRegistryUnreadableText =
    "Registry read error: 'ProcessorNameString' cannot be read";

namespace {

// Puts the saved priorities back however the measurement ends.
class PriorityRestorer {
 public:
  explicit PriorityRestorer(HardInfoPlatform& p)
      : p_(p), processClass_(p.ProcessPriorityClass()), thread_(p.ThreadPriority()) {}
  PriorityRestorer(const PriorityRestorer&) = delete;
  PriorityRestorer& operator=(const PriorityRestorer&) = delete;
  ~PriorityRestorer() {
    p_.SetThreadPriority(thread_);
    p_.SetProcessPriorityClass(processClass_);
  }

 private:
  HardInfoPlatform& p_;
  uint32_t processClass_;
  int thread_;
};

}  // namespace

bool HasCPUID(HardInfoPlatform& p) {
  const TFlagsReadings f = p.ToggleIdFlag();
  return f.Before != f.After;
}

TCPUIDSignature ReadCPUIDSignature(HardInfoPlatform& p) { return p.CPUIDLeaf1(); }

std::string CPUIDText(const TCPUIDSignature& w) {
  return base::Format("%08X-%08X-%08X-%08X", w[0], w[1], w[2], w[3]);
}

std::string GetCPUIDText(HardInfoPlatform& p) {
  if (!HasCPUID(p)) return "CPUID not available";
  return CPUIDText(ReadCPUIDSignature(p));
}

double ClockFromTicks(uint64_t elapsed) { return static_cast<double>(elapsed) / 500000.0; }

double GetCPUSpeed(HardInfoPlatform& p) {
  uint64_t elapsed;
  {
    PriorityRestorer restore(p);
    p.SetProcessPriorityClass(kRealtimePriorityClass);
    p.SetThreadPriority(kThreadPriorityTimeCritical);
    p.SleepMs(10);
    const uint64_t t0 = p.ReadTimeStamp();
    p.SleepMs(500);
    const uint64_t t1 = p.ReadTimeStamp();
    elapsed = t1 - t0;
  }
  return ClockFromTicks(elapsed);
}

std::string GetCPUName(HardInfoPlatform& p) {
  const TRegistryAnswer a = p.ReadProcessorNameValue();
  switch (a.Result) {
    case TRegistryAnswer::KeyNotOpened:
      return "";
    case TRegistryAnswer::ValueMissing:
      return "UnKnow";
    case TRegistryAnswer::ReadFailed:
      throw TRegistryReadError(kRegistryUnreadableText);
    case TRegistryAnswer::Found:
      break;
  }
  if (a.Type != 1 && a.Type != 2) throw TRegistryReadError(kRegistryReadErrorText);
  return a.Data.substr(0, a.Data.find('\0'));
}

}  // namespace hardinfo

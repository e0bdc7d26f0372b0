// The adapter-address text over random NetBIOS answers: the enumeration
// (written or not, any count and LANA numbers), and per status request its
// return code and how much of the status buffer it writes. The text must
// follow the documented appends and clears exactly (rebuilt here with its
// own status buffer), be made of 17-character groups of upper-case hex
// pairs, and every control block must be filled as NetBIOS expects. The
// computer name is read from a buffer the platform may leave unterminated.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "probes/hardinfo.h"

namespace {

struct StatusAnswer {
  std::uint8_t code = 0;
  int writes = 0;  // 0: nothing, 1: the six address bytes, 2: all 78 bytes
  std::vector<std::uint8_t> bytes;
};

struct Script {
  std::uint32_t platform = 2;
  bool enumWrites = true;
  std::vector<std::uint8_t> enumBuffer;  // the 256 bytes written
  std::vector<StatusAnswer> status;      // in request order
  bool nameOk = true;
  std::vector<std::uint8_t> name;        // the 16 bytes written
};

class FakeNetbios : public HardInfoPlatform {
 public:
  explicit FakeNetbios(const Script& s) : s_(s) {}
  struct Call {
    std::uint8_t command, lana;
    std::uint16_t length;
    std::string callName;
    bool buffer;
  };
  std::vector<Call> calls;
  int nameCalls = 0;

  bool QueryVersion(TOSVersion& r) override {
    r.PlatformId = s_.platform;
    return true;
  }
  std::uint8_t Netbios(TNcb& n) override {
    calls.push_back({n.Command, n.LanaNum, n.Length, std::string(n.CallName, 16), n.Buffer != nullptr});
    if (n.Command == hardinfo::kNcbEnum) {
      fuzz::Same("enumeration length", n.Length, 256);
      if (s_.enumWrites) std::memcpy(n.Buffer, s_.enumBuffer.data(), 256);
      return 0;
    }
    if (n.Command != hardinfo::kNcbAStat) return 0;
    fuzz::Same("status length", n.Length, 78);
    if (status_ >= s_.status.size()) fuzz::Fail("more status requests than LANAs");
    const StatusAnswer& a = s_.status[status_++];
    if (a.writes) std::memcpy(n.Buffer, a.bytes.data(), a.writes == 1 ? 6 : 78);
    return a.code;
  }
  bool QueryComputerName(char* buffer, std::uint32_t& size) override {
    ++nameCalls;
    fuzz::Same("name buffer size", size, 16);
    if (!s_.nameOk) return false;
    std::memcpy(buffer, s_.name.data(), 16);  // the full size, NUL or not
    size = static_cast<std::uint32_t>(strnlen(buffer, 16));
    return true;
  }

  void QueryVersionEx(TOSVersionEx&) override {}
  void QueryNativeSystemInfo(TNativeSystemInfo&) override {}
  std::uint32_t QueryProductInfo(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override { return 0; }
  bool IsServer2003R2() override { return false; }
  TFlagsReadings ToggleIdFlag() override { return {}; }
  TCPUIDSignature CPUIDLeaf1() override { return {}; }
  std::uint64_t ReadTimeStamp() override { return 0; }
  std::uint32_t ProcessPriorityClass() override { return 0; }
  int ThreadPriority() override { return 0; }
  void SetProcessPriorityClass(std::uint32_t) override {}
  void SetThreadPriority(int) override {}
  void SleepMs(std::uint32_t) override {}
  TRegistryAnswer ReadProcessorNameValue() override { return {}; }
  int StartSockets(std::uint16_t) override { fuzz::Fail("the address text started sockets"); }
  void StopSockets() override { fuzz::Fail("the address text stopped sockets"); }
  bool ResolveHost(const std::string&, std::array<std::uint8_t, 4>&) override {
    fuzz::Fail("the address text resolved a host");
  }

 private:
  const Script& s_;
  std::size_t status_ = 0;
};

std::string Address(const std::uint8_t* b) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
  return buf;
}

bool Hex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  Script s;
  static const std::uint32_t platforms[4] = {2, 1, 0, 3};
  const std::uint8_t flags = in.U8();
  s.platform = platforms[flags & 3];
  s.enumWrites = !(flags & 4);
  s.nameOk = !(flags & 8);
  s.name = in.Bytes(16);
  // The count byte, then that many LANA numbers; the rest of the buffer
  // is filled with a marker that must never be read as a LANA.
  const std::uint8_t count = in.U8();
  s.enumBuffer.assign(256, 0xEE);
  s.enumBuffer[0] = count;
  for (int i = 0; i < count; ++i) s.enumBuffer[1 + i] = in.U8();
  for (int i = 0; i < 256; ++i) {
    StatusAnswer a;
    const std::uint8_t ctl = in.U8();
    a.code = (ctl & 0x80) ? in.U8() : 0;
    a.writes = ctl % 3;
    a.bytes = in.Bytes(a.writes == 1 ? 6 : a.writes == 2 ? 78 : 0);
    a.bytes.resize(78);
    s.status.push_back(a);
  }

  FakeNetbios p(s);
  const std::string text = hardinfo::GetMACAddress(p);

  // The documented steps with their own status buffer.
  const int lanas = s.enumWrites ? count : 0;
  std::uint8_t status[78] = {};
  std::string want;
  for (int i = 0; i < lanas; ++i) {
    const StatusAnswer& a = s.status[i];
    if (a.writes) std::memcpy(status, a.bytes.data(), a.writes == 1 ? 6 : 78);
    if (s.platform == 2) {
      if (a.code == 0) want.clear();
      want += Address(status);
    } else if (a.code != 0) {
      want = Address(status);
    }
  }
  fuzz::Same("adapter address text", text, want);

  fuzz::Check("whole addresses only", text.size() % 17 == 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t k = i % 17;
    if (k % 3 == 2 ? text[i] != '-' : !Hex(text[i])) fuzz::Fail("six upper-case hex pairs joined by -", text, "");
  }

  // The control blocks: the enumeration, then per LANA two resets and a status request.
  fuzz::Same("control blocks", p.calls.size(), 1 + 3 * lanas);
  const std::string zero(16, '\0'), star = std::string("*") + std::string(15, '\0');
  fuzz::Same("enumeration command", p.calls[0].command, hardinfo::kNcbEnum);
  fuzz::Check("enumeration buffer", p.calls[0].buffer);
  fuzz::Same("enumeration call name", p.calls[0].callName, zero);
  fuzz::Same("enumeration LANA", p.calls[0].lana, 0);
  for (int i = 0; i < lanas; ++i) {
    const std::uint8_t lana = s.enumBuffer[1 + i];
    for (int r = 0; r < 2; ++r) {
      const FakeNetbios::Call& c = p.calls[1 + 3 * i + r];
      fuzz::Same("reset command", c.command, hardinfo::kNcbReset);
      fuzz::Same("reset LANA", c.lana, lana);
      fuzz::Same("reset length", c.length, 0);
      fuzz::Check("reset has no buffer", !c.buffer);
      fuzz::Same("reset call name", c.callName, zero);
    }
    const FakeNetbios::Call& c = p.calls[3 + 3 * i];
    fuzz::Same("status command", c.command, hardinfo::kNcbAStat);
    fuzz::Same("status LANA", c.lana, lana);
    fuzz::Check("status buffer", c.buffer);
    fuzz::Same("status call name", c.callName, star);
  }

  // Computer name: the buffer's text up to its first NUL, at most 16 bytes.
  const std::string name = hardinfo::GetLocalComputerName(p);
  fuzz::Same("one name query", p.nameCalls, 1);
  const std::string raw(s.name.begin(), s.name.end());
  fuzz::Same("computer name", name, s.nameOk ? raw.substr(0, raw.find('\0')) : "");
  return 0;
}

// The echo client against a fake platform driven by the input: set-up
// failures at every step, host texts that are addresses, names that resolve
// or not, random DataSize, time-outs, time-to-live and flags, and reply
// buffers filled to the last byte with random reply records. Checked: the
// set-up messages and that every start-up, load and handle is given back;
// the request data (payload, then blanks, as long as the size sent says);
// that the reply buffer is as large as claimed and has room for a record,
// the data and an ICMP error; the options, time-out and callbacks; the
// resolution state and notices; and LastReply decoded from the first record.
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "net/icmp.h"

namespace {

const char kPayload[] = "Pinging from Kormic code written by R. Vollan";

// The request data of the largest size tried: the payload, then blanks.
const std::string& Expected() {
  static const std::string data = [] {
    std::string d((1 << 20) + 1, ' ');
    std::memcpy(&d[0], kPayload, 45);
    return d;
  }();
  return data;
}

class FakeIcmp : public IcmpPlatform {
 public:
  explicit FakeIcmp(fuzz::Input& in) : in_(in) {}

  int startupResult = 0;
  bool haveLibrary = true;
  int missing = 0;  // bit k: the k-th entry point is missing
  bool badHandle = false;
  std::size_t recordSize = 28;

  int startups = 0, cleanups = 0, loads = 0, frees = 0, opens = 0, closes = 0, lookups = 0;
  int names = 0, sends = 0;
  std::vector<std::string> log;  // callbacks and sends, in order
  // The last send.
  std::uint32_t destination = 0, timeout = 0;
  std::uint16_t requestSize = 0;
  EchoOptions options;
  std::uint32_t replySize = 0;
  std::vector<std::uint8_t> replyWritten;
  unsigned replies = 0;
  int sendError = 0;

  int WsaStartup(std::uint16_t version) override {
    fuzz::Same("Winsock version", version, 0x0101);
    ++startups;
    return startupResult;
  }
  void WsaCleanup() override { ++cleanups; }
  std::uint32_t InetAddr(const std::string& text) override { return Dotted(text); }
  std::string InetNtoa(std::uint32_t x) override {
    return std::to_string(x & 255) + "." + std::to_string(x >> 8 & 255) + "." + std::to_string(x >> 16 & 255) +
           "." + std::to_string(x >> 24);
  }
  bool GetHostByName(const std::string& name, HostEntry& entry) override {
    ++names;
    if (!Resolves(name)) {
      lastError_ = 11001;
      return false;
    }
    entry.OfficialName = name + ".lan";
    entry.FirstAddress = AddressOf(name);
    return true;
  }
  bool GetHostByAddr(std::uint32_t, std::string&) override { return false; }
  int LastError() override { return lastError_; }

  Module LoadLib(const char* name) override {
    fuzz::Same("library name", name, "icmp.dll");
    if (!haveLibrary) return nullptr;
    ++loads;
    return &module_;
  }
  Proc ProcAddress(Module m, const char* name) override {
    fuzz::Check("entry point of the loaded library", m == &module_ && loads > frees);
    static const char* const order[3] = {"IcmpCreateFile", "IcmpCloseHandle", "IcmpSendEcho"};
    fuzz::Same("entry point looked up", name, order[lookups % 3]);
    const int k = lookups++ % 3;
    return (missing >> k) & 1 ? nullptr : &procs_[k];
  }
  void FreeLib(Module m) override {
    fuzz::Check("free of the loaded library", m == &module_);
    ++frees;
  }
  Handle IcmpCreateFile(Proc p) override {
    fuzz::Check("IcmpCreateFile entry", p == &procs_[0]);
    if (badHandle) return kInvalidHandle;
    ++opens;
    return 0x5150;
  }
  void IcmpCloseHandle(Proc p, Handle h) override {
    fuzz::Check("IcmpCloseHandle entry and handle", p == &procs_[1] && h == 0x5150);
    ++closes;
  }
  unsigned IcmpSendEcho(Proc p, Handle h, std::uint32_t dest, const void* data, std::uint16_t size,
                        const EchoOptions& o, void* reply, std::uint32_t rsize, std::uint32_t ms) override {
    fuzz::Check("IcmpSendEcho entry and handle", p == &procs_[2] && h == 0x5150);
    ++sends;
    log.push_back("send");
    destination = dest;
    requestSize = size;
    options = o;
    replySize = rsize;
    timeout = ms;
    // Read as much request data as the size says.
    if (std::memcmp(data, Expected().data(), size) != 0)
      fuzz::Fail("request data", std::string(static_cast<const char*>(data), std::min<std::size_t>(size, 64)),
                 Expected().substr(0, 64));
    auto* r = static_cast<std::uint8_t*>(reply);
    for (std::size_t i = 0; i < recordSize; ++i)
      if (r[i]) fuzz::Fail("first reply record zeroed before the send");
    // Fill all of the size claimed: the head from the input, the rest patterned.
    std::vector<std::uint8_t> head = in_.Bytes(std::min<std::size_t>(rsize, 3 * recordSize));
    std::memset(r, 0xA5, rsize);
    std::memcpy(r, head.data(), head.size());
    replyWritten.assign(r, r + std::min<std::size_t>(rsize, recordSize));
    replies = in_.U8() % 4;
    sendError = in_.U8();
    lastError_ = sendError;
    return replies;
  }
  std::size_t ReplyRecordSize() override { return recordSize; }

  // a.b.c.d with each part 0..255, in network order; all bits set otherwise.
  static std::uint32_t Dotted(const std::string& t) {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(t.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 || c > 255 ||
        d > 255 || t.find('\0') != std::string::npos)
      return kNoAddress;
    return a | b << 8 | c << 16 | d << 24;
  }
  static bool Resolves(const std::string& name) { return !name.empty() && name[0] >= 'a' && name[0] <= 'm'; }
  static std::uint32_t AddressOf(const std::string& name) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : name) h = (h ^ c) * 16777619u;
    return name.size() == 1 ? kNoAddress : h;  // one-letter names resolve to all bits set
  }

 private:
  fuzz::Input& in_;
  int lastError_ = 0;
  char module_ = 0;
  char procs_[3] = {};
};

// The reply record as laid out with 4- or 8-byte pointers.
IcmpEchoReply Decode(const std::vector<std::uint8_t>& r, std::size_t record) {
  auto le = [&](std::size_t at, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(r[at + i]) << (8 * i);
    return v;
  };
  IcmpEchoReply x;
  const int ptr = record == 40 ? 8 : 4;
  x.Address = static_cast<std::uint32_t>(le(0, 4));
  x.Status = static_cast<std::uint32_t>(le(4, 4));
  x.RoundTripTime = static_cast<std::uint32_t>(le(8, 4));
  x.DataSize = static_cast<std::uint16_t>(le(12, 2));
  x.Reserved = static_cast<std::uint16_t>(le(14, 2));
  x.Data = le(16, ptr);
  const std::size_t o = 16 + ptr;
  x.Options.Ttl = r[o];
  x.Options.Tos = r[o + 1];
  x.Options.Flags = r[o + 2];
  x.Options.OptionsSize = r[o + 3];
  x.OptionsData = le(record == 40 ? 32 : 24, ptr);
  return x;
}

void SameReply(const IcmpEchoReply& a, const IcmpEchoReply& b) {
  fuzz::Same("reply address", a.Address, b.Address);
  fuzz::Same("reply status", a.Status, b.Status);
  fuzz::Same("reply round trip", a.RoundTripTime, b.RoundTripTime);
  fuzz::Same("reply data size", a.DataSize, b.DataSize);
  fuzz::Same("reply reserved", a.Reserved, b.Reserved);
  fuzz::Check("reply data pointer", a.Data == b.Data);
  fuzz::Same("reply ttl", a.Options.Ttl, b.Options.Ttl);
  fuzz::Same("reply tos", a.Options.Tos, b.Options.Tos);
  fuzz::Same("reply flags", a.Options.Flags, b.Options.Flags);
  fuzz::Same("reply options size", a.Options.OptionsSize, b.Options.OptionsSize);
  fuzz::Check("reply options pointer", a.OptionsData == b.OptionsData);
}

std::int32_t ChooseDataSize(fuzz::Input& in) {
  static const std::int32_t usual[] = {56, 0, 1, 20, 44, 45, 46, 100, 65535, 65536, 65536 + 56, 1 << 20,
                                       -1, -56, -65536 + 20, INT_MIN};
  const std::uint8_t b = in.U8();
  if (b < 192) return usual[b % (sizeof usual / sizeof usual[0])];
  // Any value; sizes past a megabyte would only measure the allocator.
  const std::int32_t v = in.I32();
  return v > 0 ? v % ((1 << 20) + 1) : v;
}

std::string ChooseHost(fuzz::Input& in) {
  const std::uint8_t b = in.U8();
  if (b & 1) {  // an address text, sometimes out of range
    const std::uint8_t a = in.U8(), c = in.U8(), d = in.U8(), e = in.U8();
    return std::to_string(a) + "." + std::to_string(c) + "." + std::to_string(d) + "." +
           std::to_string((b & 2) ? e + 200 : e);
  }
  return in.Text(12);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  FakeIcmp fake(in);
  const std::uint8_t setup = in.U8();
  // Mostly a working set-up; each step fails one time in sixteen or so.
  const std::uint8_t fail = (setup & 0xF0) == 0xF0 ? (setup & 0x0F) : 0;
  fake.startupResult = fail == 1 ? 10091 : 0;
  fake.haveLibrary = fail != 2;
  fake.missing = fail >= 3 && fail <= 9 ? fail - 2 : 0;
  fake.badHandle = fail == 10;
  fake.recordSize = (setup & 1) ? 40 : 28;

  std::string message;
  std::unique_ptr<TICMP> icmp;
  try {
    icmp = std::make_unique<TICMP>(fake);
  } catch (const TICMPException& e) {
    message = e.what();
  }
  const char* want = fake.startupResult ? "Error initialising Winsock"
                     : !fake.haveLibrary ? "Unable to register icmp.dll"
                     : fake.missing      ? "Error loading dll functions"
                     : fake.badHandle    ? "Unable to get ping handle"
                                         : "";
  fuzz::Same("set-up failure", message, want);
  if (fake.haveLibrary && !fake.startupResult) fuzz::Same("all three entry points looked up", fake.lookups, 3);

  if (icmp) {
    TICMP& c = *icmp;
    fuzz::Same("default data size", c.DataSize, 56);
    fuzz::Same("default time-out", c.TimeoutMs, 4000);
    fuzz::Same("default time-to-live", c.TimeToLive, 64);
    std::vector<std::string> notices;
    const std::uint8_t hooks = in.U8();
    if (hooks & 1) c.OnNotice = [&](const TICMP* s, const std::string& t) {
      fuzz::Check("notice sender", s == &c);
      notices.push_back(t);
    };
    int afterCount = -1;
    if (hooks & 2) c.OnBeforeSend = [&](const TICMP* s) {
      fuzz::Check("before-send sender", s == &c);
      fake.log.push_back("before");
    };
    if (hooks & 4) c.OnAfterSend = [&](const TICMP* s, int n) {
      fuzz::Check("after-send sender", s == &c);
      fake.log.push_back("after");
      afterCount = n;
    };

    // The model's resolution state.
    std::string host;
    bool resolved = false;
    std::uint32_t target = 0;
    std::string name, addressText;
    for (int step = 0; step < 24 && !in.Empty(); ++step) {
      switch (in.U8() % 6) {
        case 0: c.DataSize = ChooseDataSize(in); break;
        case 1: c.TimeoutMs = in.I32(); break;
        case 2: c.TimeToLive = in.I32(); break;
        case 3: c.IpFlags = in.U8(); break;
        case 4: {
          const std::string h = ChooseHost(in);
          c.SetHost(h);
          if (h != host) {
            host = h;
            resolved = false;
          }
          break;
        }
        default: {
          notices.clear();
          fake.log.clear();
          afterCount = -1;
          const int namesBefore = fake.names, sendsBefore = fake.sends;
          const int result = c.SendEcho();

          std::vector<std::string> wantNotices;
          bool lookedUp = false;
          if (!resolved) {
            target = FakeIcmp::Dotted(host);
            if (target != IcmpPlatform::kNoAddress) {
              name = host;
              resolved = true;
            } else {
              lookedUp = true;
              if (FakeIcmp::Resolves(host)) {
                target = FakeIcmp::AddressOf(host);
                name = host + ".lan";
                resolved = true;
              } else {
                wantNotices.push_back("Unable to resolve " + host);
              }
            }
            if (resolved) addressText = fake.InetNtoa(target);
          }
          fuzz::Same("looked up by name only when not an address", fake.names - namesBefore, lookedUp ? 1 : 0);
          fuzz::Same("resolved", c.IsResolved, resolved);
          fuzz::Check("target address", c.TargetAddress == target);
          if (resolved) {
            fuzz::Same("resolved name", c.ResolvedName, name);
            fuzz::Same("resolved address text", c.ResolvedAddressText, addressText);
          }
          if (target == IcmpPlatform::kNoAddress) {
            wantNotices.push_back("Invalid host address");
            fuzz::Same("no request to a bad address", fake.sends - sendsBefore, 0);
            fuzz::Same("bad address: result", result, 0);
            fuzz::Same("bad address: error code", c.LastErrorCode, TICMP::kBadDestination);
            fuzz::Same("bad address: no send callbacks", fake.log.size(), 0);
          } else {
            fuzz::Same("one request", fake.sends - sendsBefore, 1);
            fuzz::Same("result", result, fake.replies);
            fuzz::Same("error code", c.LastErrorCode, fake.sendError);
            fuzz::Check("destination", fake.destination == target);
            // A negative DataSize asks for no data.
            const std::size_t dataBytes = c.DataSize > 0 ? static_cast<std::size_t>(c.DataSize) : 0;
            fuzz::Same("request size: low 16 bits of the data size", fake.requestSize, dataBytes & 0xFFFF);
            fuzz::Same("reply size passed", fake.replySize, c.ReplyBufferSize());
            fuzz::Same("reply buffer: a record, the data and an ICMP error", c.ReplyBufferSize(),
                       fake.recordSize + dataBytes + 8);
            fuzz::Check("reply buffer holds what the request asks back",
                        fake.replySize >= fake.recordSize + fake.requestSize + 8);
            fuzz::Same("time-to-live: low byte", fake.options.Ttl, c.TimeToLive & 0xFF);
            fuzz::Same("flags", fake.options.Flags, c.IpFlags);
            fuzz::Same("tos", fake.options.Tos, 0);
            fuzz::Same("options size", fake.options.OptionsSize, 0);
            fuzz::Same("time-out", fake.timeout, static_cast<std::uint32_t>(c.TimeoutMs));
            std::vector<std::string> order;
            if (c.OnBeforeSend) order.push_back("before");
            order.push_back("send");
            if (c.OnAfterSend) order.push_back("after");
            fuzz::Same("callback order", fake.log.size(), order.size());
            for (std::size_t i = 0; i < order.size(); ++i) fuzz::Same("callback order", fake.log[i], order[i]);
            if (c.OnAfterSend) fuzz::Same("after-send count", afterCount, fake.replies);
            SameReply(c.LastReply, Decode(fake.replyWritten, fake.recordSize));
          }
          if (c.OnNotice) {
            fuzz::Same("notices", notices.size(), wantNotices.size());
            for (std::size_t i = 0; i < notices.size(); ++i) fuzz::Same("notice", notices[i], wantNotices[i]);
          }
          // The request data, checked directly.
          const std::string req = c.RequestData();
          const std::size_t n = c.DataSize > 0 ? static_cast<std::size_t>(c.DataSize) : 0;
          fuzz::Same("request data length", req.size(), n);
          if (req.compare(0, n, Expected(), 0, n) != 0) fuzz::Fail("request data content", req.substr(0, 64), "");
          break;
        }
      }
    }
    icmp.reset();
  }
  fuzz::Same("every start-up cleaned up", fake.cleanups, 1);
  fuzz::Same("every load freed", fake.frees, fake.loads);
  fuzz::Same("every echo handle closed", fake.closes, fake.opens);
  return 0;
}

// NvmeReadDrive against storage queries whose every reply comes from the
// input. The reply rules are written out again here from the descriptor's
// wire format; a read succeeds exactly when both replies keep them, and
// then the record holds the data areas' bytes, the 128-bit counters'
// texts checked against the compiler's own 128-bit integer.
//
// Input per query: control byte (bit 0: the call fails), the bytes the reply
// claims fewer than its buffer (u16), then the whole reply buffer.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "smart/drive_replay.h"

using namespace smart;

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

std::string Decimal(unsigned __int128 v) {
  std::string s;
  do s.insert(s.begin(), static_cast<char>('0' + int(v % 10))); while (v /= 10);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  ReplayDrive dev;
  std::vector<std::vector<std::uint8_t>> areas;  // of the replies that count
  dev.hook = [&](const ReplayDrive::ControlCall& c, std::uint8_t* out, std::uint32_t outLen,
                 std::uint32_t&) -> std::optional<bool> {
    const std::uint32_t want = areas.empty() ? 4096 : 512;
    fuzz::Same("query code", c.code, kStorageQueryProperty);
    fuzz::Same("query property", Le32(c.in.data()), areas.empty() ? 49 : 50);
    fuzz::Check("one buffer of head and data", c.sameBuffer && outLen == 48 + want);
    const bool fails = in.U8() & 1;
    const std::uint32_t shortBy = in.U16();
    dev.returnedShort = shortBy;
    std::vector<std::uint8_t> reply = in.Bytes(outLen);
    std::memcpy(out, reply.data(), outLen);
    const std::uint64_t returned = shortBy >= outLen ? 0 : outLen - shortBy;
    const std::uint64_t offset = Le32(out + 24), length = Le32(out + 28);
    if (!fails && Le32(out) == 48 && Le32(out + 4) == 48 && offset >= 40 && length >= want &&
        8 + offset + length <= returned)
      areas.emplace_back(out + 8 + offset, out + 8 + offset + want);
    else
      areas.emplace_back();
    return !fails;
  };
  TNvmeHealthInfo info;
  std::string error;
  const bool ok = NvmeReadDrive(dev, 0, info, error);
  fuzz::Check("handles closed", dev.openHandles == 0 && dev.badHandles == 0);
  fuzz::Same("queries sent", dev.calls.size(), !areas.empty() && !areas[0].empty() ? 2 : 1);
  fuzz::Check("read succeeds when both replies count",
              ok == (areas.size() == 2 && !areas[0].empty() && !areas[1].empty()));
  if (!ok) return 0;
  const std::uint8_t *id = areas[0].data(), *h = areas[1].data();
  fuzz::Same("model", info.Model, fuzz::Trimmed(std::string(id + 24, id + 64)));
  fuzz::Same("serial", info.Serial, fuzz::Trimmed(std::string(id + 4, id + 24)));
  fuzz::Same("temperature", info.Temperature, h[1] | (h[2] << 8));
  const std::vector<NvmeRow> rows = NvmeHealthRows(info, ',');
  int sensors = 0;
  for (int i = 0; i < 8; ++i) sensors += (h[200 + 2 * i] | h[201 + 2 * i]) != 0;
  fuzz::Same("rows", rows.size(), 16 + sensors);
  for (int i = 0; i < kNvmeCounters; ++i) {
    unsigned __int128 v = 0;
    for (int b = 15; b >= 0; --b) v = (v << 8) | h[32 + 16 * i + b];
    fuzz::Same("counter text", U128Text(info.Counters[i]), Decimal(v));
    std::string digits = rows[4 + i][5];
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    fuzz::Same("counter row", digits, Decimal(v));
  }
  return 0;
}

// NvmeReadDrive over replies from the input (per query: a byte whose bit 0 fails the call, the bytes
// claimed fewer than the buffer as u16, the buffer): it succeeds exactly when both keep the descriptor's
// rules, written again here, and then its counter rows match the compiler's 128-bit integers.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "smart/drive_replay.h"

using namespace smart;

static std::uint32_t Le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  ReplayDrive dev;
  std::vector<std::vector<std::uint8_t>> areas;  // empty for a reply that does not count
  dev.hook = [&](const ReplayDrive::ControlCall&, std::uint8_t* out, std::uint32_t outLen,
                 std::uint32_t&) -> std::optional<bool> {
    const std::uint32_t want = outLen - 48;  // the data area the program asks for
    const bool fails = in.U8() & 1;
    dev.returnedShort = in.U16();
    std::memcpy(out, in.Bytes(outLen).data(), outLen);
    const std::uint64_t returned = outLen - std::min(dev.returnedShort, outLen);
    const std::uint64_t offset = Le32(out + 24), length = Le32(out + 28);
    const bool counts = !fails && Le32(out) == 48 && Le32(out + 4) == 48 && offset >= 40 &&
                        length >= want && 8 + offset + length <= returned;
    areas.push_back(counts ? std::vector<std::uint8_t>(out + 8 + offset, out + 8 + offset + want)
                           : std::vector<std::uint8_t>());
    return !fails;
  };
  TNvmeHealthInfo info;
  std::string error;
  const bool ok = NvmeReadDrive(dev, 0, info, error);
  fuzz::Check("handles closed", dev.openHandles == 0 && dev.badHandles == 0);
  fuzz::Same("queries sent", areas.size(), areas[0].empty() ? 1 : 2);
  fuzz::Check("read succeeds when both replies count", ok == (areas.size() == 2 && !areas[1].empty()));
  for (int i = 0; ok && i < kNvmeCounters; ++i) {
    unsigned __int128 v = 0;
    for (int b = 15; b >= 0; --b) v = (v << 8) | areas[1][32 + 16 * i + b];
    std::string want, got = NvmeHealthRows(info, '.')[4 + i][5];
    do want.insert(want.begin(), static_cast<char>('0' + int(v % 10))); while (v /= 10);
    got.erase(std::remove(got.begin(), got.end(), '.'), got.end());
    fuzz::Same("counter row", got, want);
  }
  return 0;
}

// Random replies to every request: the drive layer must stay inside its
// buffers (the native build runs this under ASan and UBSan) and release
// every handle.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <stdexcept>

#include "smart/drive_replay.h"
#include "smart/smartapi.h"

using namespace smart;

namespace {

// Fills exactly the reply length it is given, so a length larger than the
// buffer behind it is caught, and succeeds or fails or throws at random.
class RandomDrive : public ReplayDrive {
 public:
  explicit RandomDrive(std::uint32_t seed) : rng_(seed) {
    deviceMap = Byte();
    platform = Pick(8) == 0 ? kPlatform9x : kPlatformNT;
    openFails = Pick(16) == 0;
    hook = [this](const ControlCall&, std::uint8_t* out, std::uint32_t outLen,
                  std::uint32_t& error) -> std::optional<bool> {
      for (std::uint32_t i = 0; i < outLen; ++i) out[i] = Byte();
      error = static_cast<std::uint32_t>(rng_());
      if (Pick(64) == 0) throw std::runtime_error("random failure");
      return Pick(4) != 0;
    };
  }

 private:
  std::uint8_t Byte() { return static_cast<std::uint8_t>(rng_()); }
  unsigned Pick(unsigned n) { return static_cast<unsigned>(rng_() % n); }
  std::mt19937 rng_;
};

}  // namespace

TEST(SmartFuzz, RandomRepliesStayInBounds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int rounds = 0;
  for (std::uint32_t seed = 1; rounds < 20000 && std::chrono::steady_clock::now() < until;
       ++seed, ++rounds) {
    std::string error, model, serial;
    std::int64_t size = 0;
    {
      RandomDrive dev(seed);
      try {
        SmartIdentifyDrive(dev, static_cast<std::int32_t>(seed), error, model, serial, size);
      } catch (const std::runtime_error&) {
      }
      EXPECT_EQ(0, dev.openHandles) << seed;
    }
    {
      RandomDrive dev(seed * 7919u);
      ScsiSerialNumber(dev, 0, error, model, serial, size);
      EXPECT_LE(serial.size(), 188u);
      EXPECT_EQ(0, dev.openHandles) << seed;
    }
    {
      RandomDrive dev(seed * 104729u);
      TDriveSmartInfo info;
      SmartReadDrive(dev, -1, info, error);
      EXPECT_LE(info.AttributeCount, 30);
      EXPECT_GE(info.AttributeCount, 0);
      for (int r = info.AttributeCount; r < kSmartRows; ++r) EXPECT_EQ(0, info.Numbers[r]);
      EXPECT_EQ(0, dev.openHandles) << seed;
      EXPECT_EQ(0, dev.badHandles) << seed;
    }
  }
  EXPECT_GT(rounds, 100);
}

TEST(SmartFuzz, RandomSectorsDecode) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 3000; ++round) {
    Sector a, t;
    for (auto& b : a) b = static_cast<std::uint8_t>(rng());
    for (auto& b : t) b = static_cast<std::uint8_t>(rng());
    // Mostly non-empty entries, so long tables are covered too.
    for (int k = 0; k < kSmartEntries; ++k)
      if (a[2 + 12 * k] == 0 && rng() % 8) a[2 + 12 * k] = 1;
    TDriveSmartInfo info;
    DecodeSmartData(a, t, info);
    ASSERT_LE(info.AttributeCount, 30);
    EXPECT_LE(info.FailingCount + info.WarningCount, info.AttributeCount);
    for (int r = 0; r < info.AttributeCount; ++r) {
      EXPECT_GE(info.Raw[r], 0);
      EXPECT_LT(info.Raw[r], std::int64_t(1) << 48);
      EXPECT_FALSE(info.Names[r].empty());
      EXPECT_FALSE(info.Status[r].empty());
    }
  }
}

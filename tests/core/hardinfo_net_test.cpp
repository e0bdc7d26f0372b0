// Network identity from given NetBIOS, computer-name and resolver answers.
#include <gtest/gtest.h>

#include "tests/core/hardinfo_fake.h"

using namespace hardinfo;

namespace {

using Mac = std::array<uint8_t, 6>;
const Mac kA = {0x00, 0x1A, 0x2B, 0x34, 0x4D, 0x5E};
const Mac kB = {0x0A, 0xFF, 0x10, 0x01, 0xC0, 0xDE};

FakeHardInfo Adapters(uint32_t platformId, std::vector<uint8_t> lanas) {
  FakeHardInfo f;
  f.version.PlatformId = platformId;
  f.lanas = std::move(lanas);
  return f;
}

}  // namespace

TEST(HardInfoMAC, OneAdapterOnNT) {
  FakeHardInfo f = Adapters(kPlatformNT, {3});
  f.status[3] = {0, kA};
  EXPECT_EQ("00-1A-2B-34-4D-5E", GetMACAddress(f));
}

TEST(HardInfoMAC, RequestsAreBuiltAsNetBIOSExpects) {
  FakeHardInfo f = Adapters(kPlatformNT, {3, 0});
  f.status[3] = {0, kA};
  f.status[0] = {0, kB};
  GetMACAddress(f);
  ASSERT_EQ(7u, f.ncbCalls.size());
  EXPECT_EQ(kNcbEnum, f.ncbCalls[0].command);
  EXPECT_EQ(256, f.ncbCalls[0].length);
  EXPECT_TRUE(f.ncbCalls[0].hasBuffer);
  const std::string star = std::string("*") + std::string(15, '\0');
  for (int i = 0; i < 2; ++i) {
    const uint8_t lana = i == 0 ? 3 : 0;
    const auto* c = &f.ncbCalls[1 + 3 * i];
    for (int r = 0; r < 2; ++r) {  // the reset goes out twice
      EXPECT_EQ(kNcbReset, c[r].command);
      EXPECT_EQ(lana, c[r].lana);
      EXPECT_EQ(0, c[r].length);
      EXPECT_FALSE(c[r].hasBuffer);
      EXPECT_EQ(std::string(16, '\0'), c[r].callName);
    }
    EXPECT_EQ(kNcbAStat, c[2].command);
    EXPECT_EQ(lana, c[2].lana);
    EXPECT_EQ(78, c[2].length);
    EXPECT_EQ(star, c[2].callName);
  }
}

TEST(HardInfoMAC, LaterGoodAnswerReplacesEarlier) {
  FakeHardInfo f = Adapters(kPlatformNT, {0, 1});
  f.status[0] = {0, kA};
  f.status[1] = {0, kB};
  EXPECT_EQ("0A-FF-10-01-C0-DE", GetMACAddress(f));
}

TEST(HardInfoMAC, FailedAnswerOnNTIsAppendedWithoutSeparator) {
  FakeHardInfo f = Adapters(kPlatformNT, {0, 1});
  f.status[0] = {0, kA};
  f.status[1] = {0x23, kB};
  const std::string text = GetMACAddress(f);
  EXPECT_EQ("00-1A-2B-34-4D-5E0A-FF-10-01-C0-DE", text);
  EXPECT_EQ(34u, text.size());
}

TEST(HardInfoMAC, SharedStatusBufferKeepsThePreviousAnswer) {
  // The second adapter writes nothing: its append repeats the first address.
  FakeHardInfo f = Adapters(kPlatformNT, {0, 1});
  f.status[0] = {0, kA};
  f.status[1] = {0x34, std::nullopt};
  EXPECT_EQ("00-1A-2B-34-4D-5E00-1A-2B-34-4D-5E", GetMACAddress(f));
  // Before any answer the buffer holds zeros.
  FakeHardInfo g = Adapters(kPlatformNT, {5});
  g.status[5] = {0x34, std::nullopt};
  EXPECT_EQ("00-00-00-00-00-00", GetMACAddress(g));
}

TEST(HardInfoMAC, Windows9xKeepsOnlyFailedAnswers) {
  FakeHardInfo ok = Adapters(kPlatformWindows, {0, 1});
  ok.status[0] = {0, kA};
  ok.status[1] = {0, kB};
  EXPECT_EQ("", GetMACAddress(ok));
  FakeHardInfo bad = Adapters(kPlatformWindows, {0, 1});
  bad.status[0] = {0x23, kA};
  bad.status[1] = {0, kB};
  EXPECT_EQ("00-1A-2B-34-4D-5E", GetMACAddress(bad));
  FakeHardInfo both = Adapters(kPlatformWindows, {0, 1});
  both.status[0] = {0x23, kA};
  both.status[1] = {0x23, kB};
  EXPECT_EQ("0A-FF-10-01-C0-DE", GetMACAddress(both));
}

TEST(HardInfoMAC, NoAdaptersNoRequests) {
  FakeHardInfo f = Adapters(kPlatformNT, {});
  EXPECT_EQ("", GetMACAddress(f));
  EXPECT_EQ(1u, f.ncbCalls.size());
  // NetBIOS absent: the enumeration writes nothing, read as a count of 0.
  FakeHardInfo g = Adapters(kPlatformNT, {0});
  g.enumWrites = false;
  EXPECT_EQ("", GetMACAddress(g));
  EXPECT_EQ(1u, g.ncbCalls.size());
}

TEST(HardInfoMAC, ManyAdaptersInListedOrder) {
  std::vector<uint8_t> lanas;
  for (int i = 0; i < 255; ++i) lanas.push_back(static_cast<uint8_t>(254 - i));
  FakeHardInfo f = Adapters(kPlatformNT, lanas);
  f.status[0] = {0, kB};
  EXPECT_EQ("0A-FF-10-01-C0-DE", GetMACAddress(f));  // LANA 0 comes last
  EXPECT_EQ(1u + 255 * 3, f.ncbCalls.size());
  EXPECT_EQ(254, f.ncbCalls[3].lana);
}

TEST(HardInfoMAC, FailedVersionQueryCountsAsNotNT) {
  FakeHardInfo f = Adapters(kPlatformNT, {0});
  f.versionOk = false;
  f.status[0] = {0, kA};
  EXPECT_EQ("", GetMACAddress(f));
}

TEST(HardInfoComputerName, TextUpToFirstNul) {
  FakeHardInfo f;
  f.computerName = "VESK-PC01";
  EXPECT_EQ("VESK-PC01", GetLocalComputerName(f));
  EXPECT_EQ(16u, f.computerNameSizeAsked);
  f.computerName = "ABCDEFGHIJKLMNOP";  // fills the buffer with no NUL
  EXPECT_EQ("ABCDEFGHIJKLMNOP", GetLocalComputerName(f));
  f.computerNameOk = false;
  EXPECT_EQ("", GetLocalComputerName(f));
}

TEST(HardInfoIPAddress, FirstAddressDotted) {
  FakeHardInfo f;
  f.hosts["VESKPC"] = {192, 168, 0, 5};
  EXPECT_EQ("192.168.0.5", GetIPAddress(f, "VESKPC"));
  EXPECT_EQ((std::vector<uint16_t>{0x0002}), f.startups);
  EXPECT_EQ(1, f.cleanups);
  f.hosts["HIGH"] = {255, 0, 128, 255};
  EXPECT_EQ("255.0.128.255", GetIPAddress(f, "HIGH"));
}

TEST(HardInfoIPAddress, UnresolvedNameStillCleansUp) {
  FakeHardInfo f;
  EXPECT_EQ("", GetIPAddress(f, "nowhere"));
  EXPECT_EQ(1, f.cleanups);
  EXPECT_EQ("", GetIPAddress(f, ""));
  EXPECT_EQ((std::vector<std::string>{"nowhere", ""}), f.lookups);
  EXPECT_EQ((std::vector<std::string>{"startup", "lookup nowhere", "cleanup", "startup",
                                      "lookup ", "cleanup"}),
            f.log);
}

TEST(HardInfoIPAddress, FailedStartupSkipsLookupAndCleanup) {
  FakeHardInfo f;
  f.startupResult = 10091;  // the network subsystem is not ready
  f.hosts["VESKPC"] = {10, 0, 0, 1};
  EXPECT_EQ("", GetIPAddress(f, "VESKPC"));
  EXPECT_TRUE(f.lookups.empty());
  EXPECT_EQ(0, f.cleanups);
}

TEST(HardInfoOctets, SplitAtTheFirstDots) {
  using A = std::array<std::string, 3>;
  EXPECT_EQ((A{"192", "168", "1"}), FirstThreeOctets("192.168.1.20"));
  EXPECT_EQ((A{"10", "0", "0"}), FirstThreeOctets("10.0.0.1"));
  EXPECT_EQ((A{"", "", ""}), FirstThreeOctets(""));
  EXPECT_EQ((A{"", "", ""}), FirstThreeOctets("localhost"));
  EXPECT_EQ((A{"1", "", ""}), FirstThreeOctets("1.2"));
  EXPECT_EQ((A{"1", "2", ""}), FirstThreeOctets("1.2.3"));
  EXPECT_EQ((A{"", "", "x"}), FirstThreeOctets("..x.y"));
}

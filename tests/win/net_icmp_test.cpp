// The echo client over the real Winsock and icmp.dll; loopback only.
#include <windows.h>
#include <winsock.h>
#include <ipexport.h>

#include <gtest/gtest.h>

#include "app/win/main.h"
#include "net/icmp.h"
#include "tests/win/loopback_icmp.h"

namespace {

TEST(NetEcho, LoopbackAnswersWithSuccessRecord) {
  TICMP c(Win32IcmpPlatform());
  c.SetHost("127.0.0.1");
  c.TimeoutMs = 1000;
  int replies = 0;
  c.OnAfterSend = [&](TICMP*, int n) { replies = n; };
  const int n = c.SendEcho();
  EXPECT_GT(n, 0) << "LastErrorCode " << c.LastErrorCode;
  EXPECT_EQ(replies, n);
  EXPECT_EQ(c.LastReply.Status, static_cast<unsigned>(IP_SUCCESS));
  EXPECT_EQ(c.LastReply.Address, inet_addr("127.0.0.1"));
  EXPECT_EQ(c.LastReply.DataSize, 56);
  EXPECT_EQ(c.ResolvedAddressText, "127.0.0.1");
}

TEST(NetEcho, ReplyRecordMatchesThisBuild) {
  // 28 bytes on x86, 40 on x64: the buffer must follow the build.
  EXPECT_EQ(Win32IcmpPlatform().ReplyRecordSize(), sizeof(ICMP_ECHO_REPLY));
  EXPECT_EQ(sizeof(ICMP_ECHO_REPLY), sizeof(void*) == 8 ? 40u : 28u);
  TICMP c(Win32IcmpPlatform());
  EXPECT_EQ(c.ReplyBufferSize(), sizeof(ICMP_ECHO_REPLY) + 56 + 8);
}

TEST(NetEcho, OddDataSizesStillEcho) {
  TICMP c(Win32IcmpPlatform());
  c.SetHost("127.0.0.2");
  c.TimeoutMs = 1000;
  for (int size : {0, 20, 100, 1000}) {
    c.DataSize = size;
    EXPECT_GT(c.SendEcho(), 0) << size << " bytes, LastErrorCode " << c.LastErrorCode;
    EXPECT_EQ(c.LastReply.DataSize, size);
  }
}

TEST(NetEcho, NamesResolveThroughWinsock) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  TICMP c(Win32IcmpPlatform());
  c.SetHost("localhost");
  c.TimeoutMs = 1000;
  EXPECT_GT(c.SendEcho(), 0);
  EXPECT_TRUE(c.IsResolved);
  EXPECT_EQ(c.ResolvedAddressText, "127.0.0.1");
  EXPECT_FALSE(c.ResolvedName.empty());

  std::vector<std::string> notices;
  c.OnNotice = [&](TICMP*, const std::string& t) { notices.push_back(t); };
  c.SetHost("nosuchhost.invalid");
  EXPECT_EQ(c.SendEcho(), 0);
  EXPECT_EQ(c.LastErrorCode, 11018);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0], "Unable to resolve nosuchhost.invalid");
}

TEST(NetEcho, ReverseLookupOfLoopback) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  EXPECT_EQ(LookupHostName(Win32IcmpPlatform(), "127.0.0.1"), "localhost");
  EXPECT_EQ(LookupHostName(Win32IcmpPlatform(), "127.0.0.7"), "vesk-seven.test");
  EXPECT_EQ(LookupHostName(Win32IcmpPlatform(), "127.0.0.8"), "");
  EXPECT_EQ(LookupHostName(Win32IcmpPlatform(), ""), "");
}

}  // namespace

#include "net/icmp.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/core/icmp_fake.h"

using ::testing::ElementsAre;

namespace {

const std::string kPayload = "Pinging from Kormic code written by R. Vollan";

TEST(IcmpClient, TakesAndReleasesInOrder) {
  FakeIcmpPlatform p;
  {
    TICMP c(p);
    EXPECT_EQ(c.EchoHandle, p.echoHandle);
    EXPECT_THAT(p.calls, ElementsAre("WSAStartup 257", "LoadLibrary icmp.dll",
                                     "GetProcAddress IcmpCreateFile",
                                     "GetProcAddress IcmpCloseHandle",
                                     "GetProcAddress IcmpSendEcho", "IcmpCreateFile"));
    p.calls.clear();
  }
  EXPECT_THAT(p.calls, ElementsAre("IcmpCloseHandle", "FreeLibrary", "WSACleanup"));
}

TEST(IcmpClient, PayloadPaddedOrCutToDataSize) {
  FakeIcmpPlatform p;
  TICMP c(p);
  c.SetHost("127.0.0.1");
  struct Case {
    int size;
    std::string data;
  } const cases[] = {{56, kPayload + std::string(11, ' ')},
               {20, kPayload.substr(0, 20)},
               {100, kPayload + std::string(55, ' ')},
               {45, kPayload},
               {0, ""}};
  for (const auto& k : cases) {
    c.DataSize = k.size;
    EXPECT_EQ(c.RequestData(), k.data) << k.size;
    c.SendEcho();
    EXPECT_EQ(p.echoes.back().data, k.data) << k.size;
    EXPECT_EQ(p.echoes.back().requestSize, k.size);
  }
}

TEST(IcmpClient, NegativeDataSizeClaimsNoData) {
  // The request holds no data then; the size sent must not claim any.
  FakeIcmpPlatform p;
  TICMP c(p);
  c.SetHost("127.0.0.1");
  for (int size : {-1, -56, -65536 + 20, INT_MIN}) {
    c.DataSize = size;
    EXPECT_EQ(c.RequestData(), "") << size;
    c.SendEcho();
    EXPECT_EQ(p.echoes.back().requestSize, 0) << size;
    EXPECT_EQ(p.echoes.back().data, "") << size;
    EXPECT_EQ(p.echoes.back().replySize, 28u + 8) << size;
  }
}

TEST(IcmpClient, ReplyBufferHoldsRecordDataAndError) {
  FakeIcmpPlatform p;
  {
    TICMP c(p);
    EXPECT_EQ(c.ReplyBufferSize(), 28u + 56 + 8);
    c.SetHost("127.0.0.1");
    c.SendEcho();
    EXPECT_EQ(p.echoes.back().replySize, 92u);
  }
  p.recordSize = 40;  // 64-bit layout
  TICMP c(p);
  c.SetHost("127.0.0.1");
  c.DataSize = 20;
  c.SendEcho();
  EXPECT_EQ(p.echoes.back().replySize, 40u + 20 + 8);
}

TEST(IcmpClient, SendsTimeoutTtlLowByteAndFlags) {
  FakeIcmpPlatform p;
  TICMP c(p);
  c.SetHost("127.0.0.1");
  c.TimeoutMs = 1;
  c.TimeToLive = 300;
  c.IpFlags = 2;
  EXPECT_EQ(c.SendEcho(), 1);
  const auto& e = p.echoes.back();
  EXPECT_EQ(e.options.Ttl, 44);
  EXPECT_EQ(e.options.Flags, 2);
  EXPECT_EQ(e.options.Tos, 0);
  EXPECT_EQ(e.options.OptionsSize, 0);
  EXPECT_EQ(e.timeoutMs, 1u);
  EXPECT_EQ(e.destination, 0x0100007Fu);
}

TEST(IcmpClient, DottedAddressIsNeverLookedUpByName) {
  FakeIcmpPlatform p;
  TICMP c(p);
  c.SetHost("192.168.0.1");
  c.SendEcho();
  EXPECT_TRUE(c.IsResolved);
  EXPECT_EQ(c.ResolvedName, "192.168.0.1");
  EXPECT_EQ(c.ResolvedAddressText, "192.168.0.1");
  for (const auto& call : p.calls) EXPECT_EQ(call.find("gethostbyname"), std::string::npos);
}

TEST(IcmpClient, ResolvesOncePerDistinctHostText) {
  FakeIcmpPlatform p;
  p.names["printer"] = {"printer.lan", 0x0A00007Fu};
  p.names["Printer"] = {"printer.lan", 0x0B00007Fu};
  TICMP c(p);
  c.SetHost("printer");
  c.SendEcho();
  c.SetHost("printer");
  c.SendEcho();
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "gethostbyname printer"), 1);
  EXPECT_EQ(c.ResolvedName, "printer.lan");
  EXPECT_EQ(c.ResolvedAddressText, "127.0.0.10");
  c.SetHost("Printer");  // letter case alone counts as a change
  EXPECT_FALSE(c.IsResolved);
  c.SendEcho();
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "gethostbyname Printer"), 1);
  EXPECT_EQ(p.echoes.back().destination, 0x0B00007Fu);
}

TEST(IcmpClient, UnresolvableHostSendsNothing) {
  FakeIcmpPlatform p;
  TICMP c(p);
  std::vector<std::string> notices;
  c.OnNotice = [&](const TICMP* sender, const std::string& t) {
    EXPECT_EQ(sender, &c);
    notices.push_back(t);
  };
  bool sent = false;
  c.OnBeforeSend = [&](TICMP*) { sent = true; };
  c.SetHost("nosuchhost");
  EXPECT_EQ(c.SendEcho(), 0);
  EXPECT_EQ(c.LastErrorCode, 11018);
  EXPECT_FALSE(c.IsResolved);
  EXPECT_EQ(c.TargetAddress, 0xFFFFFFFFu);
  EXPECT_TRUE(p.echoes.empty());
  EXPECT_FALSE(sent);
  EXPECT_THAT(notices, ElementsAre("Unable to resolve nosuchhost", "Invalid host address"));
  // A failed resolution is retried at the next echo.
  c.SendEcho();
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "gethostbyname nosuchhost"), 2);
}

TEST(IcmpClient, CallbacksAndLastReplyAroundAnEcho) {
  FakeIcmpPlatform p;
  p.sendError = 11010;
  p.replies = 0;
  TICMP c(p);
  std::vector<std::string> order;
  c.OnBeforeSend = [&](TICMP*) { order.push_back("before " + std::to_string(p.echoes.size())); };
  c.OnAfterSend = [&](TICMP*, int n) { order.push_back("after " + std::to_string(n)); };
  c.SetHost("127.0.0.3");
  EXPECT_EQ(c.SendEcho(), 0);
  EXPECT_EQ(c.LastErrorCode, 11010);
  p.replies = 1;
  p.sendError = 0;
  EXPECT_EQ(c.SendEcho(), 1);
  EXPECT_EQ(c.LastErrorCode, 0);
  EXPECT_EQ(c.LastReply.Address, 0x0300007Fu);
  EXPECT_EQ(c.LastReply.RoundTripTime, 1u);
  EXPECT_THAT(order, ElementsAre("before 0", "after 0", "before 1", "after 1"));
}

struct Failure {
  const char* message;
  int loads, frees, opens, closes;
};

void ExpectConstructionFails(FakeIcmpPlatform& p, const Failure& f) {
  try {
    TICMP c(p);
    ADD_FAILURE() << "no exception for " << f.message;
  } catch (const TICMPException& e) {
    EXPECT_STREQ(e.what(), f.message);
  }
  EXPECT_EQ(p.libraryLoads, f.loads) << f.message;
  EXPECT_EQ(p.libraryFrees, f.frees) << f.message;
  EXPECT_EQ(p.opens, f.opens) << f.message;
  EXPECT_EQ(p.closes, f.closes) << f.message;
  EXPECT_EQ(p.cleanups, 1) << f.message;
  EXPECT_EQ(p.calls.back(), "WSACleanup");
}

TEST(IcmpClient, ConstructionFailuresReleaseWhatWasTaken) {
  {
    FakeIcmpPlatform p;
    p.startupResult = 10091;  // WSASYSNOTREADY
    ExpectConstructionFails(p, {"Error initialising Winsock", 0, 0, 0, 0});
  }
  {
    FakeIcmpPlatform p;
    p.haveLibrary = false;
    ExpectConstructionFails(p, {"Unable to register icmp.dll", 0, 0, 0, 0});
  }
  {
    FakeIcmpPlatform p;
    p.missingProcs = {"IcmpCreateFile"};
    ExpectConstructionFails(p, {"Error loading dll functions", 1, 1, 0, 0});
    // All three are looked up before any is tested.
    EXPECT_EQ(std::count_if(p.calls.begin(), p.calls.end(),
                            [](const std::string& s) { return s.rfind("GetProcAddress", 0) == 0; }),
              3);
  }
  {
    FakeIcmpPlatform p;
    p.echoHandle = IcmpPlatform::kInvalidHandle;
    ExpectConstructionFails(p, {"Unable to get ping handle", 1, 1, 0, 0});
  }
}

TEST(IcmpReply, DecodesBothRecordLayouts) {
  std::uint8_t r32[28] = {127, 0, 0, 1, 0, 0, 0, 0, 3, 0, 0, 0, 56, 0, 0, 0,
                          0x10, 0x20, 0x30, 0x40, 64, 0, 2, 0, 0, 0, 0, 0};
  IcmpEchoReply a = DecodeEchoReply(r32, 28);
  EXPECT_EQ(a.Address, 0x0100007Fu);
  EXPECT_EQ(a.RoundTripTime, 3u);
  EXPECT_EQ(a.DataSize, 56);
  EXPECT_EQ(a.Data, 0x40302010u);
  EXPECT_EQ(a.Options.Ttl, 64);
  EXPECT_EQ(a.Options.Flags, 2);

  std::uint8_t r64[40] = {};
  std::memcpy(r64, r32, 16);
  r64[16] = 0x10;
  r64[23] = 0x80;  // high byte of the data pointer
  r64[24] = 128;   // Ttl after the 8-byte pointer
  r64[32] = 0x55;  // options data pointer, aligned to 8
  IcmpEchoReply b = DecodeEchoReply(r64, 40);
  EXPECT_EQ(b.Data, 0x8000000000000010ull);
  EXPECT_EQ(b.Options.Ttl, 128);
  EXPECT_EQ(b.OptionsData, 0x55u);
  EXPECT_EQ(b.Status, 0u);
}

TEST(IcmpLookup, ReverseLookupRunsItsOwnWinsock) {
  FakeIcmpPlatform p;
  p.reverse[0x0100007Fu] = "localhost";
  EXPECT_EQ(LookupHostName(p, "127.0.0.1"), "localhost");
  EXPECT_THAT(p.calls, ElementsAre("WSAStartup 257", "gethostbyaddr 127.0.0.1", "WSACleanup"));
  p.calls.clear();
  p.reverse[0x0200007Fu] = "a\r\n127.0.0.3:b\x7f\x81\x40";  // a double-byte character stays
  EXPECT_EQ(LookupHostName(p, "127.0.0.2"), "a??127.0.0.3:b?\x81\x40");
  p.calls.clear();
  EXPECT_EQ(LookupHostName(p, "127.0.0.9"), "");
  EXPECT_THAT(p.calls, ElementsAre("WSAStartup 257", "gethostbyaddr 127.0.0.9", "WSACleanup"));
  p.calls.clear();
  EXPECT_EQ(LookupHostName(p, ""), "");
  EXPECT_TRUE(p.calls.empty());
}

}  // namespace

// Processor probes from given CPUID words, counter values and registry answers.
#include <gtest/gtest.h>

#include "base/text.h"
#include "tests/core/hardinfo_fake.h"

using namespace hardinfo;

TEST(HardInfoCPUID, SignatureText) {
  EXPECT_EQ("00000001-000000FF-00001000-FFFFFFFF", CPUIDText({1, 255, 4096, 4294967295u}));
  EXPECT_EQ("00000000-00000000-00000000-00000000", CPUIDText({0, 0, 0, 0}));
  EXPECT_EQ("000306C3-03100800-7FFAFBFF-BFEBFBFF",
            CPUIDText({0x000306C3, 0x03100800, 0x7FFAFBFF, 0xBFEBFBFF}));
  EXPECT_EQ(35u, CPUIDText({0xABCDEF01, 0x10, 0x2, 0xA0A0A0A0}).size());
}

TEST(HardInfoCPUID, ReadsLeafOneOnlyWhenTheIdFlagToggles) {
  FakeHardInfo f;
  f.cpuid = {0x906EA, 0x1020800, 0x7FFAFBBF, 0xBFEBFBFF};
  EXPECT_TRUE(HasCPUID(f));
  EXPECT_EQ("000906EA-01020800-7FFAFBBF-BFEBFBFF", GetCPUIDText(f));
  EXPECT_EQ(1, f.cpuidCalls);

  FakeHardInfo old;
  old.flags = {0x202, 0x202};
  EXPECT_FALSE(HasCPUID(old));
  EXPECT_EQ("CPUID not available", GetCPUIDText(old));
  EXPECT_EQ(0, old.cpuidCalls);
}

TEST(HardInfoCPUID, AnyDifferenceInTheFlagsCounts) {
  FakeHardInfo f;
  f.flags = {0x00200202, 0x00000202};  // bit set before, cleared after
  EXPECT_TRUE(HasCPUID(f));
}

TEST(HardInfoClock, TicksPerMicrosecond) {
  EXPECT_DOUBLE_EQ(2993.659968, ClockFromTicks(1496829984));
  EXPECT_EQ("2993.659968", base::GeneralNumberText(ClockFromTicks(1496829984)));
  EXPECT_EQ("3000", base::GeneralNumberText(ClockFromTicks(1500000000)));
  EXPECT_EQ("0", base::GeneralNumberText(ClockFromTicks(0)));
  EXPECT_EQ("2993,659968", base::GeneralNumberText(ClockFromTicks(1496829984), ','));
  // Above 2^32 ticks the count is divided whole.
  EXPECT_DOUBLE_EQ(10000.0, ClockFromTicks(5000000000ull));
  EXPECT_DOUBLE_EQ(8589.934594, ClockFromTicks(4294967297ull));
}

TEST(HardInfoClock, MeasuresBetweenTheSleepsAtRaisedPriority) {
  FakeHardInfo f;
  f.priorityClass = 0x8000;  // above normal
  f.threadPriority = 1;
  f.counter = {1000000, 1000000 + 1496829984ull};
  EXPECT_DOUBLE_EQ(2993.659968, GetCPUSpeed(f));
  const std::vector<std::string> expected = {
      "getclass", "getthread", "setclass 256", "setthread 15", "sleep 10", "rdtsc",
      "sleep 500", "rdtsc",    "setthread 1",  "setclass 32768"};
  EXPECT_EQ(expected, f.log);
}

TEST(HardInfoClock, ElapsedCountIsUnsigned64Bit) {
  FakeHardInfo f;
  f.counter = {0xFFFFFFFFFFFFFFF0ull, 0x10};  // the counter wrapped
  EXPECT_DOUBLE_EQ(32 / 500000.0, GetCPUSpeed(f));
  FakeHardInfo g;
  g.counter = {0xFFFFFFF0u, 0x1FFFFFFF0ull};
  EXPECT_DOUBLE_EQ(4294967296.0 / 500000.0, GetCPUSpeed(g));
}

TEST(HardInfoClock, PrioritiesRestoredWhenTheMeasurementFails) {
  FakeHardInfo f;
  f.priorityClass = 0x20;
  f.threadPriority = -2;
  f.throwOnLongSleep = true;
  EXPECT_THROW(GetCPUSpeed(f), std::runtime_error);
  EXPECT_EQ(0x20u, f.priorityClass);
  EXPECT_EQ(-2, f.threadPriority);
  ASSERT_GE(f.log.size(), 2u);
  EXPECT_EQ("setthread -2", f.log[f.log.size() - 2]);
  EXPECT_EQ("setclass 32", f.log.back());
}

namespace {
TRegistryAnswer Value(uint32_t type, std::string data) {
  TRegistryAnswer a;
  a.Result = TRegistryAnswer::Found;
  a.Type = type;
  a.Data = std::move(data);
  return a;
}
std::string NameFrom(const TRegistryAnswer& a) {
  FakeHardInfo f;
  f.registry = a;
  return GetCPUName(f);
}
}  // namespace

TEST(HardInfoCPUName, StringValuesAsStored) {
  const std::string name = "Intel(R) Core(TM) i7-2600 CPU @ 3.40GHz";
  EXPECT_EQ(name, NameFrom(Value(1, name + '\0')));
  EXPECT_EQ(name, NameFrom(Value(2, name)));
  // Blanks are part of the name.
  EXPECT_EQ("       Intel(R) Pentium(R) 4 CPU 2.40GHz ",
            NameFrom(Value(1, std::string("       Intel(R) Pentium(R) 4 CPU 2.40GHz \0", 42))));
  EXPECT_EQ("AMD", NameFrom(Value(1, std::string("AMD\0garbage", 11))));
  EXPECT_EQ("", NameFrom(Value(1, "")));
  EXPECT_EQ("", NameFrom(Value(1, std::string(1, '\0'))));
}

TEST(HardInfoCPUName, KeyOrValueMissing) {
  TRegistryAnswer noKey;
  noKey.Result = TRegistryAnswer::KeyNotOpened;
  EXPECT_EQ("", NameFrom(noKey));
  TRegistryAnswer noValue;
  noValue.Result = TRegistryAnswer::ValueMissing;
  EXPECT_EQ("UnKnow", NameFrom(noValue));
}

TEST(HardInfoCPUName, OtherTypesRaiseTheReadError) {
  for (uint32_t type : {0u, 3u, 4u, 5u, 7u, 11u}) {
    try {
      NameFrom(Value(type, std::string("\x01\x02\x03\x04", 4)));
      ADD_FAILURE() << "type " << type << " was read as a name";
    } catch (const TRegistryReadError& e) {
      EXPECT_STREQ(kRegistryReadErrorText, e.what());
    }
  }
  TRegistryAnswer failed;
  failed.Result = TRegistryAnswer::ReadFailed;
  EXPECT_THROW(NameFrom(failed), TRegistryReadError);
}

TEST(HardInfoCPUName, ReadErrorIsAStandardException) {
  try {
    NameFrom(Value(4, "\x10\0\0\0"));
    FAIL();
  } catch (const std::exception& e) {
    // What the error box shows, with the full stop it adds.
    EXPECT_EQ(std::string(kRegistryReadErrorText) + ".", base::ErrorBoxText(e.what()));
  }
}

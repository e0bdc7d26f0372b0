// Attribute decoding: rows, statuses and the summary values.
#include <gtest/gtest.h>

#include "smart/smartapi.h"

using smart::Sector;

namespace {

struct Entry {
  int number;
  std::uint16_t flags;
  int current, worst;
  std::uint64_t raw;
  int threshold;
};

// Builds the two sectors from entries in position order.
struct Sectors {
  Sector attr{}, thresh{};
  explicit Sectors(std::initializer_list<Entry> entries) {
    int k = 0;
    for (const Entry& e : entries) {
      std::uint8_t* p = attr.data() + 2 + 12 * k;
      p[0] = static_cast<std::uint8_t>(e.number);
      p[1] = e.flags & 0xFF;
      p[2] = e.flags >> 8;
      p[3] = static_cast<std::uint8_t>(e.current);
      p[4] = static_cast<std::uint8_t>(e.worst);
      for (int i = 0; i < 6; ++i) p[5 + i] = static_cast<std::uint8_t>(e.raw >> (8 * i));
      thresh[2 + 12 * k] = static_cast<std::uint8_t>(e.number);
      thresh[2 + 12 * k + 1] = static_cast<std::uint8_t>(e.threshold);
      ++k;
    }
  }
  TDriveSmartInfo Decode() const {
    TDriveSmartInfo info;
    DecodeSmartData(attr, thresh, info);
    return info;
  }
};

constexpr std::uint16_t kPre = 0x0001;

std::string StatusOf(Entry e) { return Sectors({e}).Decode().Status[0]; }

}  // namespace

TEST(SmartDecode, ScanEndsAtTheFirstEmptyEntry) {
  auto info = Sectors({{1, kPre, 100, 100, 7, 50}, {5, kPre, 100, 100, 3, 36}, {0, 0, 0, 0, 0, 0},
                       {9, 0, 100, 100, 600, 0}})
                  .Decode();
  EXPECT_EQ(2, info.AttributeCount);
  EXPECT_EQ(0, info.PowerOn);  // attribute 9 is never read
  EXPECT_EQ(0, info.Numbers[2]);
  EXPECT_EQ("", info.Names[2]);
}

TEST(SmartDecode, ThirtyEntriesFillThirtyRows) {
  Sectors s({});
  for (int k = 0; k < 30; ++k) s.attr[2 + 12 * k] = static_cast<std::uint8_t>(200 + k % 50);
  s.attr[2 + 12 * 30] = 77;  // beyond the table: never an entry
  auto info = s.Decode();
  EXPECT_EQ(30, info.AttributeCount);
  for (int r : {30, 31}) {
    EXPECT_EQ(0, info.Numbers[r]);
    EXPECT_EQ("", info.Names[r]);
    EXPECT_EQ("", info.Status[r]);
    EXPECT_EQ(0, info.Raw[r]);
  }
}

TEST(SmartDecode, RowFieldsAndFlags) {
  auto info = Sectors({{194, 0x0019, 0x64, 0x50, 0x0000AABBCCDDEEFFull, 7}}).Decode();
  EXPECT_EQ(194, info.Numbers[0]);
  EXPECT_EQ("温度", info.Names[0]);
  EXPECT_TRUE(info.PreFailure[0]);
  EXPECT_TRUE(info.FlagBit4[0]);
  EXPECT_TRUE(info.FlagBit3[0]);
  EXPECT_EQ(100, info.Current[0]);
  EXPECT_EQ(80, info.Worst[0]);
  EXPECT_EQ(7, info.Threshold[0]);
  EXPECT_EQ(0xAABBCCDDEEFFll, info.Raw[0]);  // 48 bits, never negative

  info = Sectors({{1, 0x0002, 1, 1, 0, 0}}).Decode();
  EXPECT_FALSE(info.PreFailure[0]);
  EXPECT_FALSE(info.FlagBit4[0]);
  EXPECT_FALSE(info.FlagBit3[0]);
}

TEST(SmartDecode, ThresholdsArePairedByPositionOnly) {
  Sectors s({{5, kPre, 100, 100, 0, 36}, {9, kPre, 100, 100, 0, 11}});
  s.thresh[2] = 9;  // entry numbers that do not match are ignored
  s.thresh[14] = 5;
  auto info = s.Decode();
  EXPECT_EQ(36, info.Threshold[0]);
  EXPECT_EQ(11, info.Threshold[1]);
}

TEST(SmartDecode, ReallocatedSectorsAndTheirWarning) {
  auto info = Sectors({{5, kPre, 100, 100, 500, 36}}).Decode();
  EXPECT_EQ("OK", info.Status[0]);
  EXPECT_EQ(500, info.ReallocatedSectors);
  EXPECT_EQ(0, info.WarningCount);

  info = Sectors({{5, kPre, 100, 100, 501, 36}}).Decode();
  EXPECT_EQ("Warning", info.Status[0]);
  EXPECT_EQ(501, info.ReallocatedSectors);
  EXPECT_EQ(1, info.WarningCount);

  // Beyond the summary range the count is not kept, but the warning is.
  info = Sectors({{5, kPre, 100, 100, 0x80000000ull, 36}}).Decode();
  EXPECT_EQ(0, info.ReallocatedSectors);
  EXPECT_EQ("Warning", info.Status[0]);

  info = Sectors({{5, kPre, 100, 100, 0, 36}}).Decode();
  EXPECT_EQ(0, info.ReallocatedSectors);
}

TEST(SmartDecode, SummaryValuesKeepTheirRange) {
  auto powerOn = [](std::uint64_t raw) { return Sectors({{9, 0, 100, 100, raw, 0}}).Decode().PowerOn; };
  EXPECT_EQ(3, powerOn(120));
  EXPECT_EQ(1, powerOn(59));
  EXPECT_EQ(0, powerOn(0));
  EXPECT_EQ(0, powerOn(2147483647));
  EXPECT_EQ(2147483646 / 60 + 1, powerOn(2147483646));

  auto cycles = Sectors({{12, 0, 100, 100, 1755, 0}, {12, 0, 100, 100, 1756, 0}}).Decode();
  EXPECT_EQ(1756, cycles.PowerCycles);  // a later row overwrites
  EXPECT_EQ(0, Sectors({{12, 0, 100, 100, 0x1000000000ull, 0}}).Decode().PowerCycles);
}

TEST(SmartDecode, Temperature) {
  const std::uint64_t raw = 0x003700120028ull;  // bytes 28 00 12 00 37 00
  auto info = Sectors({{194, 0, 100, 100, raw, 0}}).Decode();
  EXPECT_EQ(40, info.Temperature);
  EXPECT_EQ(18, info.MinTemperature);
  EXPECT_EQ(55, info.MaxTemperature);

  info = Sectors({{194, 0, 40, 30, raw, 0}}).Decode();
  EXPECT_EQ(40, info.Temperature);
  EXPECT_EQ(30, info.MaxTemperature);  // raw byte 0 equals the current value

  info = Sectors({{9, 0, 100, 100, 120, 0}}).Decode();
  EXPECT_EQ(0, info.Temperature);
  EXPECT_EQ(0, info.MaxTemperature);
}

TEST(SmartDecode, BaselineOf253) {
  auto info = Sectors({{3, 0x0003, 253, 253, 0, 21}, {7, kPre, 130, 130, 0, 21}}).Decode();
  EXPECT_EQ("OK", info.Status[0]);
  EXPECT_EQ("Warning", info.Status[1]);  // 130 < 21 + 116
  EXPECT_EQ(1, info.WarningCount);

  info = Sectors({{3, 0x0003, 230, 230, 0, 21}, {7, kPre, 130, 130, 0, 21}}).Decode();
  EXPECT_EQ("OK", info.Status[1]);  // baseline stays 100: limit 60

  // Once raised it stays, also after a later spin-up row below 231.
  info = Sectors({{4, 0, 240, 240, 0, 0}, {3, 0, 100, 100, 0, 0}, {7, kPre, 136, 136, 0, 21}})
             .Decode();
  EXPECT_EQ("Warning", info.Status[2]);
  // The row that raises it is judged with the new baseline.
  EXPECT_EQ("Warning", StatusOf({3, kPre, 231, 231, 0, 220}));  // 220 + 16; with 100: 160
  EXPECT_EQ("OK", StatusOf({3, kPre, 231, 231, 0, 209}));       // 209 + 22 = 231
}

TEST(SmartDecode, StatusOrder) {
  EXPECT_EQ("-", StatusOf({1, 0, 10, 10, 0, 50}));      // not pre-failure
  EXPECT_EQ("-", StatusOf({1, kPre, 10, 10, 0, 0}));    // no threshold
  EXPECT_EQ("Failing Now", StatusOf({1, kPre, 10, 5, 0, 20}));
  EXPECT_EQ("Failed In Past", StatusOf({1, kPre, 30, 5, 0, 20}));
  EXPECT_EQ("Warning", StatusOf({1, kPre, 67, 67, 0, 36}));
  EXPECT_EQ("OK", StatusOf({1, kPre, 68, 68, 0, 36}));
  EXPECT_EQ("Warning", StatusOf({1, kPre, 97, 97, 0, 97}));  // limit 98
  EXPECT_EQ("OK", StatusOf({1, kPre, 98, 98, 0, 97}));
  // A threshold above the baseline: -3 halves to -1, the limit is 102.
  EXPECT_EQ("Failing Now", StatusOf({1, kPre, 101, 101, 0, 103}));
  EXPECT_EQ("OK", StatusOf({1, kPre, 103, 103, 0, 103}));

  auto info = Sectors({{1, kPre, 10, 5, 0, 20}, {2, kPre, 30, 5, 0, 20}, {3, kPre, 67, 67, 0, 36},
                       {4, 0, 1, 1, 0, 90}})
                  .Decode();
  EXPECT_EQ(2, info.FailingCount);
  EXPECT_EQ(1, info.WarningCount);
  EXPECT_EQ("-", info.Status[3]);
}

TEST(SmartDecode, CatalogueNames) {
  EXPECT_EQ("不明", AttributeName(13));
  EXPECT_EQ("不明", AttributeName(191));
  EXPECT_EQ("不明", AttributeName(210));
  EXPECT_EQ("不明", AttributeName(255));
  EXPECT_EQ("Offline Seek Perf", AttributeName(209));
  EXPECT_EQ("電源投入回数", AttributeName(12));
  EXPECT_EQ("リードエラーレート", AttributeName(1));
  EXPECT_EQ("電源直切によるHDDヘッドの緊急退避回数", AttributeName(192));
  // Shift-JIS bytes: the full-width solidus and the ordinary spaces.
  EXPECT_EQ("\x83\x58\x83\x5e\x81\x5b\x83\x67\x81\x5e\x83\x58\x83\x67\x83\x62\x83\x76\x89\xf1\x90\x94",
            AttributeName(4));
  EXPECT_EQ("UltraDMA CRC \x83\x47\x83\x89\x81\x5b\x90\x94", AttributeName(199));
  EXPECT_EQ(" ECC ", AttributeName(195).substr(12, 5));
}

TEST(SmartThousands, GroupsOfThree) {
  EXPECT_EQ("999", AddThousandSeparators("999", ','));
  EXPECT_EQ("1,000", AddThousandSeparators("1000", ','));
  EXPECT_EQ("1,234,567", AddThousandSeparators("1234567", ','));
  EXPECT_EQ("-1,234,567", AddThousandSeparators("-1234567", ','));
  EXPECT_EQ("-999", AddThousandSeparators("-999", ','));
  EXPECT_EQ("-1,000", AddThousandSeparators("-1000", ','));
  EXPECT_EQ("-", AddThousandSeparators("-", ','));
  EXPECT_EQ("", AddThousandSeparators("", ','));
  EXPECT_EQ("12.345", AddThousandSeparators("12345", '.'));

  EXPECT_EQ("0", IntToThousands(0, ','));
  EXPECT_EQ("-1", IntToThousands(-1, ','));
  EXPECT_EQ("2,147,483,647", IntToThousands(2147483647, ','));
  EXPECT_EQ("-2,147,483,648", IntToThousands(INT32_MIN, ','));
  EXPECT_EQ("100 000", IntToThousands(100000, ' '));
}

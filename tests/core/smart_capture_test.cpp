// Real drives' sectors replayed through the full read, checked against what
// an independent decoder printed for the same files.
#include <gtest/gtest.h>

#include <set>

#include "smart/drive_replay.h"
#include "smart/smartapi.h"

using namespace smart;

namespace {

const std::string kDir = VESK_CAPTURES_DIR;

// Where the peer and we are known to part: it prints n/a for values it
// judges invalid, and it lists entries after an empty one, where our scan
// stops. Any other difference, also in a capture added later, is a fault.
const std::map<std::string, std::set<std::string>> kKnownDifferences = {
    {"FUJITSU_MHY2120BH--0084000D", {"203 after end", "240 after end"}},
    {"FUJITSU_MHZ2160BH_G1--0084000A", {"203 after end", "240 after end"}},
    {"INTEL_SSDSA2MH080G1GC--045C8820",
     {"3 worst n/a", "4 worst n/a", "226 value n/a", "226 worst n/a", "227 value n/a",
      "227 worst n/a", "228 value n/a", "228 worst n/a"}},
};

std::vector<std::uint8_t> RawBytes(std::int64_t raw) {
  std::vector<std::uint8_t> b;
  for (int i = 0; i < 6; ++i) b.push_back(static_cast<std::uint8_t>(raw >> (8 * i)));
  return b;
}

void Compare(const char* field, int id, std::optional<int> peer, int ours,
             std::set<std::string>& differences) {
  if (!peer) {
    differences.insert(std::to_string(id) + " " + field + " n/a");
    return;
  }
  EXPECT_EQ(*peer, ours) << "attribute " << id << " " << field;
}

}  // namespace

TEST(SmartCaptures, DirectoryHoldsTheCaptures) {
  auto files = CaptureFiles(kDir);
  EXPECT_GE(files.size(), 19u) << kDir;
  for (auto& f : files) {
    auto c = ReadCapture(f);
    ASSERT_TRUE(c) << f;
    EXPECT_TRUE(c->Has("IDFY") && c->Has("SMDT") && c->Has("SMTH")) << f;
  }
}

TEST(SmartCaptures, EveryCaptureReadsAsThePeerDecodedIt) {
  std::set<std::string> seen;
  for (auto& file : CaptureFiles(kDir)) {
    auto cap = ReadCapture(file);
    ASSERT_TRUE(cap) << file;
    SCOPED_TRACE(cap->name);
    std::string peerFile = file.substr(0, file.size() - 4) + ".skdump.txt";
    auto peer = ReadPeerReport(peerFile);
    ASSERT_TRUE(peer) << peerFile;
    seen.insert(cap->name);

    ReplayDrive dev(*cap);
    std::string error, model, serial;
    std::int64_t size = -1;
    ASSERT_TRUE(SmartIdentifyDrive(dev, 0, error, model, serial, size)) << error;
    EXPECT_EQ(peer->model, model);
    EXPECT_EQ(peer->serial, serial);
    const Sector idfy = cap->SectorOf("IDFY");
    std::uint32_t sectors = idfy[120] | (idfy[121] << 8) | (idfy[122] << 16) |
                            (std::uint32_t(idfy[123]) << 24);
    EXPECT_EQ(std::int64_t(sectors) * 512, size);

    TDriveSmartInfo info;
    ASSERT_TRUE(SmartReadDrive(dev, 0, info, error)) << error;
    EXPECT_EQ("", error);
    EXPECT_EQ(0, info.DrivePosition);
    EXPECT_EQ(peer->model, info.Model);
    EXPECT_EQ(peer->serial, info.Serial);
    EXPECT_EQ(peer->firmware, info.Firmware);
    EXPECT_EQ(0, dev.openHandles);
    EXPECT_EQ(0, dev.badHandles);

    std::set<std::string> differences;
    for (std::size_t i = 0; i < peer->rows.size(); ++i) {
      const auto& row = peer->rows[i];
      if (int(i) >= info.AttributeCount) {
        differences.insert(std::to_string(row.id) + " after end");
        continue;
      }
      ASSERT_EQ(row.id, info.Numbers[i]) << "row " << i;
      Compare("value", row.id, row.value, info.Current[i], differences);
      Compare("worst", row.id, row.worst, info.Worst[i], differences);
      Compare("threshold", row.id, row.threshold, info.Threshold[i], differences);
      EXPECT_EQ(row.raw, RawBytes(info.Raw[i])) << "attribute " << row.id;
      EXPECT_EQ(AttributeName(row.id), info.Names[i]);
    }
    EXPECT_LE(info.AttributeCount, int(peer->rows.size())) << "rows the peer did not list";

    auto known = kKnownDifferences.find(cap->name);
    EXPECT_EQ(known == kKnownDifferences.end() ? std::set<std::string>() : known->second,
              differences);
  }
  // The known differences must belong to captures that are still there.
  for (const auto& k : kKnownDifferences) EXPECT_TRUE(seen.count(k.first)) << k.first;
}

// One capture in depth: the temperature and summary values a user sees.
TEST(SmartCaptures, SummaryValuesOfOneDrive) {
  auto cap = ReadCapture(kDir + "/ST320410A--3.39.bin");
  ASSERT_TRUE(cap);
  TDriveSmartInfo info;
  DecodeSmartData(cap->SectorOf("SMDT"), cap->SectorOf("SMTH"), info);
  EXPECT_EQ(15, info.AttributeCount);
  EXPECT_EQ(40, info.Temperature);  // raw 0x28, equal to the current value...
  EXPECT_EQ(61, info.MaxTemperature);  // ...so the maximum is the worst value
  EXPECT_EQ(5, info.ReallocatedSectors);
  EXPECT_EQ(1755, info.PowerCycles);
  EXPECT_EQ(0x76B3 / 60 + 1, info.PowerOn);
  // Attribute 10: current 100, worst 96, threshold 97.
  EXPECT_EQ("Failed In Past", info.Status[6]);
  EXPECT_EQ(1, info.FailingCount);
}

// Every NVMe drive of tests/data/nvme read through the replayed storage
// queries, checked against the smartctl report its files were rebuilt from.
#include <gtest/gtest.h>

#include "tests/core/nvme_report.h"

using namespace smart;

static const std::string kNvmeDir = std::string(VESK_CAPTURES_DIR) + "/../nvme";

class NvmeDrive : public testing::TestWithParam<std::string> {};

TEST_P(NvmeDrive, ReadsAsItsReportSays) {
  ReplayDrive dev;
  dev.nvme = ReadNvmeCapture(GetParam());
  ASSERT_TRUE(dev.nvme) << GetParam();
  const auto report = ReadSmartctlReport(kNvmeDir + "/" + dev.nvme->name + ".smartctl.txt");
  TNvmeHealthInfo info;
  std::string error;
  ASSERT_TRUE(NvmeReadDrive(dev, 4, info, error)) << error;
  EXPECT_EQ(report.at("Model Number"), info.Model);
  EXPECT_EQ(report.at("Firmware Version"), info.Firmware);
  EXPECT_EQ(dev.nvme->name.substr(dev.nvme->name.rfind('-') + 1), info.Serial);  // the sample ID
  EXPECT_EQ(nvme_test::ExpectedRows(report, ','), NvmeHealthRows(info, ','));
  EXPECT_EQ("\\\\.\\PhysicalDrive4", dev.opens[0].path);
  EXPECT_EQ(0, dev.openHandles);
  dev.platform = kPlatform9x;  // nothing is asked there
  EXPECT_FALSE(NvmeReadDrive(dev, 4, info, error) || dev.opens.size() > 1);
}

// One case per drive, named by its file.
INSTANTIATE_TEST_SUITE_P(Nvme, NvmeDrive, testing::ValuesIn(NvmeCaptureFiles(kNvmeDir)), [](const auto& p) {
  std::string name = std::filesystem::path(p.param).stem().stem().string();
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

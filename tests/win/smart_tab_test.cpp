// The S.M.A.R.T tab in the window, with replayed disks and on Wine's own
// device layer.
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>

#include "smart/drive_replay.h"
#include "smart/smartapi.h"
#include "smart/win/drive_access.h"
#include "tests/core/nvme_report.h"
#include "tests/win/harness.h"
#include "ui/win/app.h"

using namespace smart;
using Call = ReplayDrive::ControlCall;

namespace {

const std::string kDir = VESK_CAPTURES_DIR;
const std::string kDeg = "\xDF" "C";

// A shown form whose disks are the given device.
struct Tab {
  std::unique_ptr<TForm1> form = MakeForm();
  explicit Tab(DriveAccess& dev) {
    form->Drives = &dev;
    ShowWithoutFormShow(*form);
  }
  void Press() {
    form->doSmart.Click();
    Pump(10);
  }
  std::string Model() const { return form->Label10.Caption(); }
  std::string Serial() const { return form->Label11.Caption(); }
  std::string Temp() const { return form->TempLabel.Caption(); }
  int Rows() const { return form->ListView2.Count(); }
  std::string Cell(int r, int c) const { return form->ListView2.Cell(r, c); }
};

std::vector<std::uint8_t> IdentifySector(const std::string& model, const std::string& serial) {
  std::vector<std::uint8_t> s(512, 0);
  auto put = [&](std::size_t at, const std::string& t, std::size_t width) {
    std::string padded = t + std::string(width, ' ');
    for (std::size_t i = 0; i < width; i += 2) {
      s[at + i] = static_cast<std::uint8_t>(padded[i + 1]);
      s[at + i + 1] = static_cast<std::uint8_t>(padded[i]);
    }
  };
  put(20, serial, 20);
  put(46, "FW", 8);
  put(54, model, 40);
  return s;
}

struct Attr {
  int number, current, worst;
  std::uint64_t raw;
  int threshold;
};

Capture Drive(const std::string& model, const std::string& serial, std::vector<Attr> attrs) {
  Capture c;
  c.sections["IDFY"] = IdentifySector(model, serial);
  std::vector<std::uint8_t> d(512, 0), t(512, 0);
  for (std::size_t k = 0; k < attrs.size(); ++k) {
    std::uint8_t* p = &d[2 + 12 * k];
    p[0] = static_cast<std::uint8_t>(attrs[k].number);
    p[3] = static_cast<std::uint8_t>(attrs[k].current);
    p[4] = static_cast<std::uint8_t>(attrs[k].worst);
    for (int i = 0; i < 6; ++i) p[5 + i] = static_cast<std::uint8_t>(attrs[k].raw >> (8 * i));
    t[2 + 12 * k + 1] = static_cast<std::uint8_t>(attrs[k].threshold);
  }
  c.sections["SMDT"] = d;
  c.sections["SMTH"] = t;
  return c;
}

std::string WithSeparators(const char* commaText) {
  std::string s = commaText;
  for (char& ch : s)
    if (ch == ',') ch = ui::LocaleThousandSeparator();
  return s;
}

ReplayDrive::HookFn NoSmartButSerial(const std::string& serial) {
  return [serial](const Call& c, std::uint8_t* out, std::uint32_t outLen,
                  std::uint32_t&) -> std::optional<bool> {
    if (c.code != kScsiPassThrough) return false;
    out[76 + 1] = 0x80;
    out[76 + 3] = static_cast<std::uint8_t>(serial.size());
    std::memcpy(out + 80, serial.data(), serial.size());
    return true;
  };
}

}  // namespace

TEST(SmartTab, EveryCaptureShowsAsThePeerReadIt) {
  ReplayDrive dev;
  Tab tab(dev);
  int shown = 0;
  for (auto& file : CaptureFiles(kDir)) {
    auto cap = ReadCapture(file);
    auto peer = ReadPeerReport(file.substr(0, file.size() - 4) + ".skdump.txt");
    ASSERT_TRUE(cap && peer) << file;
    SCOPED_TRACE(cap->name);
    dev.positions[0] = *cap;
    tab.Press();
    EXPECT_EQ("Model: " + peer->model, tab.Model());
    EXPECT_EQ("Serial: " + peer->serial, tab.Serial());

    // The table ends at the first empty entry; the peer lists on past it.
    const Sector data = cap->SectorOf("SMDT");
    int count = 0;
    while (count < 30 && data[2 + 12 * count] != 0) ++count;
    ASSERT_EQ(count, tab.Rows());
    ASSERT_GE(int(peer->rows.size()), count);
    int temperature = 0;
    for (int r = 0; r < count; ++r) {
      const auto& row = peer->rows[r];
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X", row.id);
      EXPECT_EQ(hex, tab.Cell(r, 0));
      EXPECT_EQ(AttributeName(row.id), tab.Cell(r, 1));
      if (row.value) {
        EXPECT_EQ(std::to_string(*row.value), tab.Cell(r, 2));
      }
      if (row.worst) {
        EXPECT_EQ(std::to_string(*row.worst), tab.Cell(r, 3));
      }
      if (row.threshold) {
        EXPECT_EQ(std::to_string(*row.threshold), tab.Cell(r, 4));
      }
      std::uint32_t low = row.raw[0] | (row.raw[1] << 8) | (row.raw[2] << 16) |
                          (std::uint32_t(row.raw[3]) << 24);
      EXPECT_EQ(IntToThousands(static_cast<std::int32_t>(low), ui::LocaleThousandSeparator()),
                tab.Cell(r, 5));
      if (row.id == 194) temperature = row.raw[0];
    }
    EXPECT_EQ(std::to_string(temperature) + kDeg, tab.Temp());
    ++shown;
  }
  EXPECT_GE(shown, 19);
  EXPECT_EQ(0, dev.openHandles);
}

TEST(SmartTab, LayoutAndCaptions) {
  ReplayDrive dev(Drive("M", "S", {{5, 100, 100, 0, 36}}));
  Tab tab(dev);
  EXPECT_EQ("Model:", tab.Model());
  EXPECT_EQ("Serial:", tab.Serial());
  EXPECT_EQ("0" + kDeg, tab.Temp());
  EXPECT_EQ("0\xDF\x43", tab.Temp());
  const int widths[] = {30, 200, 60, 60, 60, 60};
  ASSERT_EQ(6, tab.form->ListView2.ColumnCount());
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(widths[i], tab.form->ListView2.ColumnWidth(i));
    EXPECT_EQ("", tab.form->ListView2.ColumnCaption(i));
  }
  tab.Press();
  const char* captions[] = {"ID", "項目名", "現在値", "最悪値", "しきい値", "生の値"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(captions[i], tab.form->ListView2.ColumnCaption(i));

  // A failing disk afterwards: the captions, once set, stay.
  // Read by the form through its drive pointer.
  // cppcheck-suppress unreadVariable
  dev.openFails = true;
  tab.Press();
  EXPECT_EQ(0, tab.Rows());
  EXPECT_EQ("生の値", tab.form->ListView2.ColumnCaption(5));
}

TEST(SmartTab, NeitherSmartNorPassThrough) {
  ReplayDrive dev(Drive("M", "S", {{5, 100, 100, 0, 36}}));
  Tab tab(dev);
  tab.Press();
  ASSERT_EQ(1, tab.Rows());
  dev.hook = [](const Call&, std::uint8_t*, std::uint32_t, std::uint32_t&) -> std::optional<bool> {
    return false;
  };
  tab.Press();
  EXPECT_EQ("Model: No SMART Attributes Returned", tab.Model());
  EXPECT_EQ("Serial: ", tab.Serial());
  EXPECT_EQ(0, tab.Rows());
  EXPECT_EQ("0" + kDeg, tab.Temp());
}

TEST(SmartTab, FallsBackToTheScsiSerial) {
  ReplayDrive dev;
  dev.hook = NoSmartButSerial("ABC123");
  Tab tab(dev);
  tab.Press();
  EXPECT_EQ("SCSI Serial: ABC123", tab.Model());
  EXPECT_EQ("Serial: ", tab.Serial());
  EXPECT_EQ(0, tab.Rows());
  ASSERT_EQ(3u, dev.opens.size());  // the SMART device, the NVMe queries, the pass-through
  EXPECT_EQ(dev.opens[0].path, dev.opens[2].path);
}

TEST(SmartTab, NvmeDrivesShowTheirHealth) {
  ReplayDrive dev;  // answers no IDENTIFY
  Tab tab(dev);
  int seen = 0;  // 1: a counter of 2^32 or more, 2: temperature sensors
  for (auto& file : NvmeCaptureFiles(kDir + "/../nvme")) {
    dev.nvme = ReadNvmeCapture(file);
    ASSERT_TRUE(dev.nvme) << file;
    SCOPED_TRACE(dev.nvme->name);
    const auto report = ReadSmartctlReport(file.substr(0, file.size() - 11) + ".smartctl.txt");
    tab.Press();
    EXPECT_EQ("Model: " + report.at("Model Number"), tab.Model());
    EXPECT_EQ("Serial: " + dev.nvme->name.substr(dev.nvme->name.rfind('-') + 1), tab.Serial());
    EXPECT_EQ(nvme_test::Digits(report, "Temperature") + kDeg, tab.Temp());
    const auto rows = nvme_test::ExpectedRows(report, ui::LocaleThousandSeparator());
    ASSERT_EQ(int(rows.size()), tab.Rows());
    for (int r = 0; r < tab.Rows(); ++r)
      for (int c = 0; c < 6; ++c) EXPECT_EQ(rows[r][c], tab.Cell(r, c)) << r << " " << c;
    seen |= (std::stoull(nvme_test::Digits(report, "Host Read Commands")) >> 32 ? 1 : 0) | (tab.Rows() > 16 ? 2 : 0);
  }
  EXPECT_EQ(3, seen);
  dev.returnedShort = 1;  // the data reaches past the bytes returned: not NVMe
  tab.Press();
  EXPECT_EQ("Model: No SMART Attributes Returned", tab.Model());
  EXPECT_EQ(0, tab.Rows());
}

TEST(SmartTab, FailedAttributeReadIsAppendedToTheModel) {
  ReplayDrive dev(Drive("WDC WD5000", "S1", {{5, 100, 100, 0, 36}}));
  dev.hook = [](const Call& c, std::uint8_t* out, std::uint32_t, std::uint32_t& err) -> std::optional<bool> {
    if (c.code != kSmartRcvDriveData || c.Features() != 0xD0) return std::nullopt;
    out[4] = 7;
    out[5] = 0x41;
    err = 5;
    return false;
  };
  Tab tab(dev);
  tab.Press();
  EXPECT_EQ("Model: WDC WD5000SMART Read Attr Command Failed, Drive: 0 : system error 5"
            "; DriverStatus: Could not lock user\"s buffer; bIDEStatus=0041",
            tab.Model());
  EXPECT_EQ("Serial:", tab.Serial());
  EXPECT_EQ(0, tab.Rows());
}

TEST(SmartTab, SuccessfulReadWithoutAttributes) {
  ReplayDrive dev(Drive("M2", "S2", {}));
  Tab tab(dev);
  tab.Press();
  EXPECT_EQ("Model: M2", tab.Model());
  EXPECT_EQ("Serial:", tab.Serial());
  EXPECT_EQ(0, tab.Rows());
}

TEST(SmartTab, HexIdsAndRawValues) {
  ReplayDrive dev(Drive("M", "S",
                        {{5, 100, 100, 1234567, 36},
                         {194, 40, 30, 0x370012001Eull, 0},
                         {9, 1, 2, 0, 3},
                         {1, 100, 100, 4294967295ull, 0},
                         {2, 100, 100, 2147483648ull, 0},
                         {3, 100, 100, 4294967301ull, 0}}));
  Tab tab(dev);
  tab.Press();
  ASSERT_EQ(6, tab.Rows());
  EXPECT_EQ("05", tab.Cell(0, 0));
  EXPECT_EQ("代替処理済みのセクタ数", tab.Cell(0, 1));
  EXPECT_EQ("100", tab.Cell(0, 2));
  EXPECT_EQ("36", tab.Cell(0, 4));
  EXPECT_EQ(WithSeparators("1,234,567"), tab.Cell(0, 5));
  EXPECT_EQ("C2", tab.Cell(1, 0));
  EXPECT_EQ("30", tab.Cell(1, 3));
  EXPECT_EQ("09", tab.Cell(2, 0));
  EXPECT_EQ("0", tab.Cell(2, 5));
  EXPECT_EQ("-1", tab.Cell(3, 5));
  EXPECT_EQ(WithSeparators("-2,147,483,648"), tab.Cell(4, 5));
  EXPECT_EQ("5", tab.Cell(5, 5));
  EXPECT_EQ("30" + kDeg, tab.Temp());  // raw byte 0 of attribute 194
}

TEST(SmartTab, TableWithoutTemperature) {
  ReplayDrive dev(Drive("M", "S", {{5, 100, 100, 0, 36}, {9, 100, 100, 1000, 0}}));
  Tab tab(dev);
  tab.Press();
  EXPECT_EQ(2, tab.Rows());
  EXPECT_EQ("0" + kDeg, tab.Temp());
}

TEST(SmartTab, LabelsFromTheFirstPositionTableFromTheLater) {
  ReplayDrive dev;
  dev.deviceMap = 0x03;
  dev.positions[0] = Drive("FIRST", "S0", {{5, 100, 100, 0, 36}});
  dev.positions[1] = Drive("SECOND", "S1", {{194, 50, 50, 0x2A, 0}, {12, 1, 1, 7, 0}});
  dev.hook = [](const Call& c, std::uint8_t*, std::uint32_t, std::uint32_t&) -> std::optional<bool> {
    if (c.code == kSmartRcvDriveData && c.Features() == 0xD0 && c.Position() == 0) return false;
    return std::nullopt;
  };
  Tab tab(dev);
  tab.Press();
  EXPECT_EQ("Model: FIRST", tab.Model());
  EXPECT_EQ("Serial: S0", tab.Serial());
  ASSERT_EQ(2, tab.Rows());
  EXPECT_EQ("C2", tab.Cell(0, 0));
  EXPECT_EQ("0C", tab.Cell(1, 0));
  EXPECT_EQ("42" + kDeg, tab.Temp());
}

namespace {

// Notes what the tab shows when the first disk request arrives.
class WatchingDrive : public ReplayDrive {
 public:
  using ReplayDrive::ReplayDrive;
  Tab* tab = nullptr;
  std::vector<std::pair<int, std::string>> seen;
  Handle Open(const std::string& path, std::uint32_t a, std::uint32_t s, std::uint32_t d) override {
    if (tab) seen.push_back({tab->Rows(), tab->Temp()});
    return ReplayDrive::Open(path, a, s, d);
  }
};

}  // namespace

TEST(SmartTab, SecondClickResetsBeforeAnyRequest) {
  WatchingDrive dev(Drive("M", "S", {{194, 30, 30, 0x25, 0}, {5, 100, 100, 0, 36}}));
  Tab tab(dev);
  dev.tab = &tab;
  tab.Press();
  EXPECT_EQ(2, tab.Rows());
  EXPECT_EQ("37" + kDeg, tab.Temp());
  tab.Press();
  ASSERT_EQ(4u, dev.seen.size());  // two opens per click
  EXPECT_EQ(0, dev.seen[2].first);
  EXPECT_EQ("0" + kDeg, dev.seen[2].second);
  EXPECT_EQ(2, tab.Rows());
}

TEST(SmartTab, DiskNumberReachesTheDevicePath) {
  ReplayDrive dev(Drive("M", "S", {{5, 100, 100, 0, 36}}));
  Tab tab(dev);
  tab.form->DiskNum.SetValue(3);
  tab.Press();
  ASSERT_FALSE(dev.opens.empty());
  EXPECT_EQ("\\\\.\\PhysicalDrive3", dev.opens.back().path);

  tab.form->DiskNum.SetText("drei");
  tab.Press();
  EXPECT_EQ("\\\\.\\PhysicalDrive0", dev.opens.back().path);
  for (auto& o : dev.opens) EXPECT_NE(std::string::npos, o.path.find("PhysicalDrive"));
}

// ---- Wine's real device layer ----

namespace {

// Wine 8 reports no count (0); then the per-handle check below is what counts.
DWORD HandleCount() {
  DWORD n = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &n) ? n : 0;
}

// The system no longer knows the handle.
bool IsClosed(HANDLE h) {
  DWORD flags = 0;
  return !GetHandleInformation(h, &flags) && GetLastError() == ERROR_INVALID_HANDLE;
}

// Passes every call to the Win32 device and counts what stays open.
class CountingDrive : public DriveAccess {
 public:
  DriveAccess& real = Win32DriveAccess();
  int open = 0, opened = 0;
  int notClosed = 0;  // handles the system still knew right after Close
  int unknown = 0;    // handles it did not know before Close
  std::uint32_t PlatformId() override { return real.PlatformId(); }
  PassThroughLayout PassThrough() override { return real.PassThrough(); }
  Handle Open(const std::string& p, std::uint32_t a, std::uint32_t s, std::uint32_t d) override {
    Handle h = real.Open(p, a, s, d);
    if (h != kInvalidHandle) ++open, ++opened;
    return h;
  }
  bool Control(Handle h, std::uint32_t c, const std::uint8_t* in, std::uint32_t il, std::uint8_t* out,
               std::uint32_t ol, std::uint32_t* n) override {
    return real.Control(h, c, in, il, out, ol, n);
  }
  void Close(Handle h) override {
    --open;
    if (IsClosed(reinterpret_cast<HANDLE>(h))) ++unknown;
    real.Close(h);
    if (!IsClosed(reinterpret_cast<HANDLE>(h))) ++notClosed;
  }
  std::uint32_t LastError() override { return real.LastError(); }
  std::string ErrorText(std::uint32_t code) override { return real.ErrorText(code); }
};

}  // namespace

TEST(SmartWine, RealDevicesEndInALabelOutcome) {
  // The pass-through layout the Win32 drive object hands out is this process's own.
  const PassThroughLayout pt = Win32DriveAccess().PassThrough();
  EXPECT_EQ(sizeof(SCSI_PASS_THROUGH), pt.header);
  EXPECT_EQ(offsetof(SCSI_PASS_THROUGH, DataBufferOffset), pt.dataBufferOffsetAt);
  EXPECT_EQ(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset), pt.senseInfoOffsetAt);
  EXPECT_EQ(offsetof(SCSI_PASS_THROUGH, Cdb), pt.cdbAt);

  CountingDrive dev;
  Tab tab(dev);
  tab.Press();  // first use loads what the system loads once
  for (int disk : {0, 1, -1, 2147483647}) {
    SCOPED_TRACE(disk);
    const DWORD before = HandleCount();
    tab.form->DiskNum.SetValue(disk);
    tab.Press();
    const std::string model = tab.Model(), serial = tab.Serial();
    std::printf("disk %d: [%s] [%s] %d rows, %d opens so far\n", disk, model.c_str(),
                serial.c_str(), tab.Rows(), dev.opened);
    EXPECT_EQ(0, dev.open);
    EXPECT_EQ(0, dev.notClosed);
    EXPECT_EQ(0, dev.unknown);
    if (before) {
      EXPECT_EQ(before, HandleCount());
    }
    if (model == "Model: No SMART Attributes Returned" || model.rfind("SCSI Serial: ", 0) == 0) {
      EXPECT_EQ("Serial: ", serial);
      EXPECT_EQ(0, tab.Rows());
      EXPECT_EQ("0" + kDeg, tab.Temp());
    } else {
      ASSERT_EQ(0u, model.rfind("Model: ", 0)) << model;
      if (tab.Rows() == 0) {
        EXPECT_EQ("Serial:", serial);
      } else {
        EXPECT_EQ(0u, serial.rfind("Serial: ", 0));
      }
    }
  }
}

TEST(SmartWine, SystemErrorTexts) {
  const std::string t = SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(t.empty());
  ASSERT_FALSE(t.empty());
  EXPECT_NE('.', t.back());
  EXPECT_GT(static_cast<unsigned char>(t.back()), 32);
  EXPECT_EQ("", SystemErrorText(0xDEADBEEF));

  // An open that cannot succeed names the system's reason.
  HANDLE h = CreateFileA("\\\\.\\PhysicalDrive2147483647", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_EQ(INVALID_HANDLE_VALUE, h);
  const DWORD code = GetLastError();
  std::string error, model, serial;
  std::int64_t size;
  EXPECT_FALSE(ScsiSerialNumber(Win32DriveAccess(), 2147483647, error, model, serial, size));
  EXPECT_EQ("Unable to open physical drive: " + SystemErrorText(code), error);
}

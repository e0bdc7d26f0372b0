// The drive layer's requests and messages, against a recorded device.
#include <gtest/gtest.h>

#include <stdexcept>

#include "smart/drive_replay.h"
#include "smart/smartapi.h"

using namespace smart;
using Call = ReplayDrive::ControlCall;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A 512-byte identify sector with the given ATA strings (already in the
// drive's byte order) and total sectors.
std::vector<std::uint8_t> IdentifySector(const std::string& serial, const std::string& firmware,
                                         const std::string& model, std::uint32_t sectors,
                                         std::uint16_t word47 = 0x8010) {
  std::vector<std::uint8_t> s(512, 0);
  auto put = [&](std::size_t at, const std::string& t, std::size_t width) {
    std::string padded = t + std::string(width, ' ');
    for (std::size_t i = 0; i < width; i += 2) {  // first character in the high byte
      s[at + i] = static_cast<std::uint8_t>(padded[i + 1]);
      s[at + i + 1] = static_cast<std::uint8_t>(padded[i]);
    }
  };
  put(20, serial, 20);
  put(46, firmware, 8);
  put(54, model, 40);
  s[94] = word47 & 0xFF;
  s[95] = word47 >> 8;
  for (int i = 0; i < 4; ++i) s[120 + i] = static_cast<std::uint8_t>(sectors >> (8 * i));
  return s;
}

Capture Drive(const std::string& model, const std::string& serial = "SER1",
              std::uint32_t sectors = 1000) {
  Capture c;
  c.sections["IDFY"] = IdentifySector(serial, "FW1", model, sectors);
  c.sections["SMDT"] = std::vector<std::uint8_t>(512, 0);
  c.sections["SMDT"][2] = 9;  // one attribute: power-on, raw 120
  c.sections["SMDT"][7] = 120;
  c.sections["SMTH"] = std::vector<std::uint8_t>(512, 0x33);
  return c;
}

// The 32 request bytes of a drive command.
Bytes Command(std::uint32_t bufferSize, std::uint8_t features, std::uint8_t cylLow,
              std::uint8_t cylHigh, std::uint8_t head, std::uint8_t command, std::uint8_t n) {
  Bytes b(32, 0);
  b[0] = bufferSize & 0xFF;
  b[1] = bufferSize >> 8;
  b[4] = features;
  b[5] = 1;
  b[6] = 1;
  b[7] = cylLow;
  b[8] = cylHigh;
  b[9] = head;
  b[10] = command;
  b[12] = n;
  return b;
}
Bytes Enable(std::uint8_t n) { return Command(0, 0xD8, 0x4F, 0xC2, n & 1 ? 0xB0 : 0xA0, 0xB0, n); }
Bytes Identify(std::uint8_t n, std::uint8_t cmd = 0xEC) {
  return Command(512, 0, 0, 0, n & 1 ? 0xB0 : 0xA0, cmd, n);
}
Bytes ReadData(std::uint8_t n) { return Command(512, 0xD0, 0x4F, 0xC2, n & 1 ? 0xB0 : 0xA0, 0xB0, n); }
Bytes ReadThresholds(std::uint8_t n) {
  return Command(512, 0xD1, 0x4F, 0xC2, n & 1 ? 0xB0 : 0xA0, 0xB0, n);
}

// A failing reply with the given status bytes.
ReplayDrive::HookFn FailWhen(std::function<bool(const Call&)> match, std::uint8_t driverError,
                             std::uint8_t ideError, std::uint32_t sysError = 1) {
  return [=](const Call& c, std::uint8_t* out, std::uint32_t outLen,
             std::uint32_t& err) -> std::optional<bool> {
    if (!match(c)) return std::nullopt;
    if (outLen > 5) {
      out[4] = driverError;
      out[5] = ideError;
    }
    err = sysError;
    return false;
  };
}

bool IsIdentify(const Call& c) { return c.code == kSmartRcvDriveData && c.Command() == 0xEC; }
bool IsEnable(const Call& c) { return c.code == kSmartSendDriveCommand; }
bool IsReadData(const Call& c) { return c.code == kSmartRcvDriveData && c.Features() == 0xD0; }
bool IsReadThresholds(const Call& c) { return c.code == kSmartRcvDriveData && c.Features() == 0xD1; }

struct IdentifyResult {
  bool ok;
  std::string error, model, serial;
  std::int64_t size;
};
IdentifyResult RunIdentify(ReplayDrive& dev, int drive = 0) {
  IdentifyResult r{};
  r.size = -1;
  r.ok = SmartIdentifyDrive(dev, drive, r.error, r.model, r.serial, r.size);
  return r;
}

struct SectorsResult {
  bool ok, delivered;
  TDriveIdentity id;
  Sector attr, thresh;
  std::string error;
};
SectorsResult RunSectors(ReplayDrive& dev, int drive = 0) {
  SectorsResult r{};
  r.id.Position = 77;
  r.error = "stale";
  r.ok = ReadSmartSectors(dev, drive, r.delivered, r.id, r.attr, r.thresh, r.error);
  return r;
}

}  // namespace

TEST(SmartDriveRequests, FullSequenceSendsEveryByteAsSpecified) {
  ReplayDrive dev(Drive("MODEL"));
  auto r = RunSectors(dev, 3);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(1u, dev.opens.size());
  EXPECT_EQ("\\\\.\\PhysicalDrive3", dev.opens[0].path);
  EXPECT_EQ(0xC0000000u, dev.opens[0].access);
  EXPECT_EQ(3u, dev.opens[0].share);
  EXPECT_EQ(3u, dev.opens[0].disposition);  // open existing

  ASSERT_EQ(5u, dev.calls.size());
  EXPECT_EQ(0x74080u, dev.calls[0].code);
  EXPECT_TRUE(dev.calls[0].in.empty());
  EXPECT_EQ(24u, dev.calls[0].outLen);

  const Bytes expected[] = {Enable(0), Identify(0), ReadData(0), ReadThresholds(0)};
  const std::uint32_t codes[] = {0x7C084, 0x7C088, 0x7C088, 0x7C088};
  const std::uint32_t lengths[] = {528, 529, 528, 528};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Call& c = dev.calls[i + 1];
    EXPECT_EQ(codes[i], c.code);
    EXPECT_EQ(expected[i], c.in);
    EXPECT_EQ(lengths[i], c.outLen);
    // Replies start zero-filled; only identify's announces its 512 bytes.
    Bytes before(c.outLen, 0);
    if (i == 1) before[1] = 2;
    EXPECT_EQ(before, c.outBefore);
  }
  EXPECT_EQ(0, dev.openHandles);
  EXPECT_EQ(0, dev.badHandles);

  EXPECT_TRUE(r.delivered);
  EXPECT_EQ(0, r.id.Position);
  EXPECT_EQ("MODEL", r.id.Model);
  EXPECT_EQ("SER1", r.id.Serial);
  EXPECT_EQ("FW1", r.id.Firmware);
  EXPECT_EQ(0x8010, r.id.Word47);
  EXPECT_EQ(512000, r.id.Size);
  EXPECT_EQ(9, r.attr[2]);
  EXPECT_EQ(0x33, r.thresh[100]);
  EXPECT_EQ("", r.error);
}

TEST(SmartDriveRequests, EmptyDeviceMapSendsOnlyTheVersionRequest) {
  ReplayDrive dev(Drive("M"));
  dev.deviceMap = 0x00;
  auto r = RunIdentify(dev);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ("", r.model);
  EXPECT_EQ("", r.serial);
  EXPECT_EQ(0, r.size);
  EXPECT_EQ(1u, dev.calls.size());

  auto s = RunSectors(dev);
  EXPECT_TRUE(s.ok);
  EXPECT_FALSE(s.delivered);
  EXPECT_EQ(-1, s.id.Position);
  EXPECT_EQ("", s.error);
  EXPECT_EQ(2u, dev.calls.size());
  EXPECT_EQ(0, dev.openHandles);
}

TEST(SmartDriveRequests, AtapiPositionGetsNoEnableAndThePacketIdentify) {
  ReplayDrive dev;
  dev.deviceMap = 0x11;
  dev.hook = [](const Call& c, std::uint8_t*, std::uint32_t, std::uint32_t&) -> std::optional<bool> {
    if (c.code == kSmartGetVersion) return std::nullopt;
    return c.code == kSmartRcvDriveData && c.Command() == 0xA1;
  };
  auto r = RunIdentify(dev);
  EXPECT_TRUE(r.ok);
  ASSERT_EQ(2u, dev.calls.size());
  EXPECT_EQ(Identify(0, 0xA1), dev.calls[1].in);
  EXPECT_EQ(0xA0, dev.calls[1].in[9]);
  EXPECT_EQ(0, dev.calls[1].in[12]);
}

TEST(SmartDriveRequests, SecondPositionUsesTheSlaveHeadAndNumber) {
  ReplayDrive dev;
  dev.positions[1] = Drive("SLAVE");
  dev.deviceMap = 0x02;
  auto r = RunIdentify(dev);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_EQ("SLAVE", r.model);
  ASSERT_EQ(3u, dev.calls.size());
  EXPECT_EQ(Enable(1), dev.calls[1].in);
  EXPECT_EQ(Identify(1), dev.calls[2].in);
  EXPECT_EQ(0xB0, dev.calls[2].in[9]);
}

TEST(SmartDriveRequests, FirstAnsweringPositionEndsTheSearch) {
  ReplayDrive dev;
  for (int n = 0; n < 4; ++n) dev.positions[n] = Drive("D" + std::to_string(n));
  dev.deviceMap = 0x0F;
  auto r = RunIdentify(dev);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ("D0", r.model);
  EXPECT_EQ(3u, dev.calls.size());
}

TEST(SmartDriveRequests, AllPositionsTriedWhenNoneAnswers) {
  ReplayDrive dev;
  dev.deviceMap = 0x0F;
  dev.hook = FailWhen(IsIdentify, 5, 0x51);
  auto r = RunIdentify(dev);
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(9u, dev.calls.size());
  for (std::uint8_t n = 0; n < 4; ++n) {
    EXPECT_EQ(Enable(n), dev.calls[1 + 2 * n].in);
    EXPECT_EQ(Identify(n), dev.calls[2 + 2 * n].in);
  }
  // The position is not in this message: the driver text follows "Drive: ".
  EXPECT_EQ("Identify Command Failed on Drive: Drive number not valid bIDEStatus=0051 : system error 1",
            r.error);
}

TEST(SmartDriveRequests, FailedEnableDoesNotStopTheIdentify) {
  ReplayDrive dev(Drive("M"));
  dev.hook = FailWhen(IsEnable, 0, 0, 31);
  auto r = RunIdentify(dev);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ("M", r.model);
  EXPECT_EQ("SMART Enable Command Failed, Drive: 0 : system error 31", r.error);

  auto s = RunSectors(dev);
  EXPECT_TRUE(s.ok);
  EXPECT_TRUE(s.delivered);
  EXPECT_EQ("SMART Enable Command Failed, Drive: 0 : system error 31", s.error);
}

TEST(SmartDriveRequests, IdentifyFailingOnZeroAndAnsweringOnOne) {
  ReplayDrive dev;
  dev.positions[1] = Drive("SECOND", "S2", 250069680);
  dev.deviceMap = 0x03;
  dev.hook = FailWhen([](const Call& c) { return IsIdentify(c) && c.Position() == 0; }, 1, 0xAB);
  auto r = RunIdentify(dev);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ("SECOND", r.model);
  EXPECT_EQ("S2", r.serial);
  EXPECT_EQ(128035676160LL, r.size);
  EXPECT_EQ("Identify Command Failed on Drive: Error from IDE controller bIDEStatus=00AB : system error 1",
            r.error);
}

TEST(SmartDriveRequests, AttributeReadFailureTakesStatusFromItsOwnReply) {
  ReplayDrive dev(Drive("M"));
  dev.hook = FailWhen(IsReadData, 4, 0x04, 23);
  auto s = RunSectors(dev);
  EXPECT_FALSE(s.ok);
  EXPECT_FALSE(s.delivered);
  EXPECT_EQ(0, s.id.Position);  // the identity stays
  EXPECT_EQ("M", s.id.Model);
  EXPECT_EQ("SMART Read Attr Command Failed, Drive: 0 : system error 23; DriverStatus: "
            "Bad buffer (null, invalid addr..); bIDEStatus=0004",
            s.error);
  EXPECT_EQ(4u, dev.calls.size());  // no threshold request
}

TEST(SmartDriveRequests, ThresholdReadFailureTakesStatusFromItsOwnReply) {
  ReplayDrive dev(Drive("M"));
  dev.hook = FailWhen(IsReadThresholds, 9, 0xFF, 5);
  auto s = RunSectors(dev);
  EXPECT_FALSE(s.ok);
  EXPECT_FALSE(s.delivered);
  EXPECT_EQ("SMART Read Threshold Command Failed, Drive: 0 : system error 5; DriverStatus: "
            "Invalid cmd flag set; bIDEStatus=00FF",
            s.error);
  EXPECT_EQ(0, dev.openHandles);
}

TEST(SmartDriveRequests, LaterPositionDeliversWithoutClearingTheEarlierMessage) {
  ReplayDrive dev;
  dev.positions[0] = Drive("FIRST");
  dev.positions[2] = Drive("THIRD");
  dev.deviceMap = 0x05;
  dev.hook = FailWhen([](const Call& c) { return IsReadData(c) && c.Position() == 0; }, 1, 2);
  auto s = RunSectors(dev);
  EXPECT_TRUE(s.ok);
  EXPECT_TRUE(s.delivered);
  EXPECT_EQ(2, s.id.Position);
  EXPECT_EQ("THIRD", s.id.Model);
  EXPECT_EQ(0, s.error.find("SMART Read Attr Command Failed, Drive: 0 : "));
  EXPECT_EQ(ReadThresholds(2), dev.calls.back().in);
}

TEST(SmartDriveRequests, OpenFailuresOnBothFamilies) {
  ReplayDrive dev(Drive("M"));
  dev.openFails = true;
  auto r = RunIdentify(dev, 1);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ("Unable to open physical drive: system error 2", r.error);
  EXPECT_EQ("\\\\.\\PhysicalDrive1", dev.opens.back().path);

  dev.platform = kPlatform9x;
  auto s = RunSectors(dev, 1);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ("Unable to open SMARTVSD: system error 2", s.error);
  EXPECT_EQ("\\\\.\\SMARTVSD", dev.opens.back().path);
  EXPECT_EQ(0u, dev.opens.back().access);
  EXPECT_EQ(0u, dev.opens.back().share);
  EXPECT_EQ(1u, dev.opens.back().disposition);  // create new, every call
  EXPECT_TRUE(dev.calls.empty());
}

TEST(SmartDriveRequests, NineXFamilyReadsThroughTheVxd) {
  ReplayDrive dev(Drive("OLD"));
  dev.platform = kPlatform9x;
  auto r = RunIdentify(dev, 5);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ("OLD", r.model);
  EXPECT_EQ("\\\\.\\SMARTVSD", dev.opens[0].path);
  EXPECT_EQ(0, dev.openHandles);
}

TEST(SmartDriveRequests, UnknownPlatformOpensNothing) {
  ReplayDrive dev(Drive("M"));
  dev.platform = 0;
  auto r = RunIdentify(dev);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ("", r.error);
  auto s = RunSectors(dev);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ("", s.error);
  EXPECT_TRUE(dev.opens.empty());
}

TEST(SmartDriveRequests, VersionFailureClosesTheDevice) {
  ReplayDrive dev(Drive("M"));
  dev.hook = FailWhen([](const Call& c) { return c.code == kSmartGetVersion; }, 0, 0, 50);
  auto r = RunIdentify(dev);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ("DFP_GET_VERSION failed: system error 50", r.error);
  auto s = RunSectors(dev);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ("DFP_GET_VERSION failed: system error 50", s.error);
  EXPECT_EQ(0, dev.openHandles);
  EXPECT_EQ(2u, dev.calls.size());
}

TEST(SmartDriveRequests, EveryDriverErrorText) {
  const char* texts[] = {
      "No error",
      "Error from IDE controller",
      "Invalid command flag",
      "Invalid command byte",
      "Bad buffer (null, invalid addr..)",
      "Drive number not valid",
      "Invalid IOCTL",
      "Could not lock user\x22s buffer",
      "Some IDE Register not valid",
      "Invalid cmd flag set",
      "Cmd issued to device not present although drive number is valid",
  };
  for (int code = 0; code <= 11; ++code) {
    ReplayDrive dev;
    dev.hook = FailWhen(IsIdentify, static_cast<std::uint8_t>(code), 0);
    auto r = RunIdentify(dev);
    std::string text = code <= 10 ? texts[code] : DriverErrorText(11);
    EXPECT_EQ("Identify Command Failed on Drive: " + text + " bIDEStatus=0000 : system error 1",
              r.error);
  }
  EXPECT_EQ('"', DriverErrorText(7)[19]);
  // Codes beyond the table get a text of their own.
  for (int code : {11, 128, 255}) {
    std::string t = DriverErrorText(static_cast<std::uint8_t>(code));
    EXPECT_NE(std::string::npos, t.find(std::to_string(code))) << t;
  }
}

// ---- the SCSI serial-number fallback ----

namespace {

ReplayDrive::HookFn InquiryReply(std::uint8_t page, std::uint8_t length, const std::string& serial,
                                 const PassThroughLayout& layout = kPassThrough32) {
  return [=](const Call& c, std::uint8_t* out, std::uint32_t outLen,
             std::uint32_t&) -> std::optional<bool> {
    if (c.code != kScsiPassThrough) return false;
    std::uint8_t* data = out + layout.DataOffset();
    data[1] = page;
    data[3] = length;
    std::memcpy(data + 4, serial.data(), std::min<std::size_t>(serial.size(), kPassThroughDataLength - 4));
    return true;
  };
}

}  // namespace

// The 32-bit header, and the 64-bit one whose pointer-sized DataBufferOffset
// moves every later field.
TEST(SmartScsiSerial, RequestBytesAndTrimmedSerialInBothLayouts) {
  for (const PassThroughLayout& layout : {kPassThrough32, kPassThrough64}) {
    const bool wide = layout.header == 56;
    SCOPED_TRACE(wide ? "64-bit" : "32-bit");
    ReplayDrive dev;
    dev.layout = layout;
    dev.platform = kPlatform9x;  // the pass-through opens the physical drive on every platform
    dev.hook = InquiryReply(0x80, 10, "  ABC123 \0\0", layout);
    IdentifyResult r{};
    r.model = "x";
    r.ok = ScsiSerialNumber(dev, 4, r.error, r.model, r.serial, r.size);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ("ABC123", r.serial);
    EXPECT_EQ("", r.model);
    EXPECT_EQ(0, r.size);
    ASSERT_EQ(1u, dev.opens.size());
    EXPECT_EQ("\\\\.\\PhysicalDrive4", dev.opens[0].path);
    EXPECT_EQ(0xC0000000u, dev.opens[0].access);
    EXPECT_EQ(3u, dev.opens[0].share);
    EXPECT_EQ(3u, dev.opens[0].disposition);

    ASSERT_EQ(1u, dev.calls.size());
    const Call& c = dev.calls[0];
    EXPECT_EQ(0x4D004u, c.code);
    EXPECT_TRUE(c.sameBuffer);
    EXPECT_EQ(wide ? 280u : 268u, c.outLen);
    Bytes expected(wide ? 56 : 44, 0);
    expected[0] = wide ? 56 : 44;
    expected[6] = 6;
    expected[7] = 24;
    expected[8] = 1;
    expected[12] = 192;
    expected[16] = 2;
    expected[wide ? 24 : 20] = wide ? 88 : 76;  // DataBufferOffset
    expected[wide ? 32 : 24] = wide ? 56 : 44;  // SenseInfoOffset
    const std::uint8_t cdb[] = {0x12, 0x01, 0x80, 0x00, 0xC0, 0x00};
    std::copy(cdb, cdb + 6, expected.begin() + (wide ? 36 : 28));
    EXPECT_EQ(expected, c.in);
    Bytes rest(c.outBefore.begin() + expected.size(), c.outBefore.end());
    EXPECT_EQ(Bytes(224, 0), rest);
    EXPECT_EQ(0, dev.openHandles);
  }
}

// A whole 64-bit reply as a driver hands it back: the header as sent, the
// sense area untouched, the serial page at DataBufferOffset 88.
TEST(SmartScsiSerial, SixtyFourBitReplyIsReadAtItsDataOffset) {
  Bytes reply(280, 0);
  const std::uint8_t header[] = {56, 0, 0, 0, 0, 0, 6, 24, 1, 0, 0, 0, 192, 0, 0, 0, 2, 0, 0, 0,
                                 0, 0, 0, 0, 88, 0, 0, 0, 0, 0, 0, 0, 56, 0, 0, 0,
                                 0x12, 0x01, 0x80, 0x00, 0xC0, 0x00};
  std::copy(std::begin(header), std::end(header), reply.begin());
  const std::uint8_t page[] = {0x00, 0x80, 0x00, 0x14, ' ', ' ', ' ', ' ', 'W', 'D', '-', 'W',
                               'C', 'A', 'V', '9', '4', '1', '2', '3', '4', '5', '6', '7'};
  std::copy(std::begin(page), std::end(page), reply.begin() + 88);
  // Where a 32-bit reader would look: another, wrong page.
  reply[76 + 1] = 0x83;
  reply[76 + 3] = 4;
  for (const PassThroughLayout& layout : {kPassThrough64, kPassThrough32}) {
    ReplayDrive dev;
    dev.layout = layout;
    dev.hook = [&](const Call& c, std::uint8_t* out, std::uint32_t outLen,
                   std::uint32_t&) -> std::optional<bool> {
      std::copy(reply.begin(), reply.begin() + std::min<std::size_t>(outLen, reply.size()), out);
      return c.code == kScsiPassThrough;
    };
    std::string error, model, serial;
    std::int64_t size;
    const bool ok = ScsiSerialNumber(dev, 0, error, model, serial, size);
    if (layout.header == 56) {
      EXPECT_TRUE(ok) << error;
      EXPECT_EQ("WD-WCAV941234567", serial);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ("No SCSI Drive Serial Number Returned", error);
    }
  }
}

TEST(SmartScsiSerial, SerialBytesAreNotSwapped) {
  ReplayDrive dev;
  dev.hook = InquiryReply(0x80, 4, "BA21");
  std::string error, model, serial;
  std::int64_t size;
  EXPECT_TRUE(ScsiSerialNumber(dev, 0, error, model, serial, size));
  EXPECT_EQ("BA21", serial);
}

TEST(SmartScsiSerial, WrongPageOrZeroLength) {
  for (auto hook : {InquiryReply(0x00, 6, "ABC123"), InquiryReply(0x80, 0, "ABC123")}) {
    ReplayDrive dev;
    dev.hook = hook;
    std::string error, model, serial;
    std::int64_t size;
    EXPECT_FALSE(ScsiSerialNumber(dev, 0, error, model, serial, size));
    EXPECT_EQ("No SCSI Drive Serial Number Returned", error);
    EXPECT_EQ("", serial);
    EXPECT_EQ(0, dev.openHandles);
  }
}

TEST(SmartScsiSerial, LongPageTakesWhatFits) {
  ReplayDrive dev;
  dev.hook = InquiryReply(0x80, 250, std::string(188, 'S'));
  std::string error, model, serial;
  std::int64_t size;
  EXPECT_TRUE(ScsiSerialNumber(dev, 0, error, model, serial, size));
  EXPECT_EQ(std::string(188, 'S'), serial);
}

TEST(SmartScsiSerial, RequestFailureOpenFailureAndException) {
  ReplayDrive dev;  // answers nothing to the pass-through
  dev.requestError = 87;
  std::string error, model, serial;
  std::int64_t size;
  EXPECT_FALSE(ScsiSerialNumber(dev, 0, error, model, serial, size));
  EXPECT_EQ("SCSI_IOCTL Command Failed: system error 87", error);

  dev.hook = [](const Call&, std::uint8_t*, std::uint32_t, std::uint32_t&) -> std::optional<bool> {
    throw std::runtime_error("device gone");
  };
  EXPECT_FALSE(ScsiSerialNumber(dev, 0, error, model, serial, size));
  EXPECT_EQ("Exception Getting SCSI Drive Serial Number", error);
  EXPECT_EQ(0, dev.openHandles);

  dev.openFails = true;
  EXPECT_FALSE(ScsiSerialNumber(dev, 0, error, model, serial, size));
  EXPECT_EQ("Unable to open physical drive: system error 2", error);
  EXPECT_EQ(0, dev.badHandles);
}

// ---- the full read ----

TEST(SmartReadDriveTest, ResetsTheRecordAndCopiesTheIdentity) {
  ReplayDrive dev(Drive("M", "S", 10));
  TDriveSmartInfo info;
  info.Numbers[5] = 99;
  info.Names[31] = "old";
  info.Temperature = 45;
  std::string error = "old";
  ASSERT_TRUE(SmartReadDrive(dev, 0, info, error));
  EXPECT_EQ("", error);
  EXPECT_EQ(0, info.DrivePosition);
  EXPECT_EQ(5120, info.Size);
  EXPECT_EQ("FW1", info.Firmware);
  EXPECT_EQ(0x8010, info.Word47);
  EXPECT_EQ(1, info.AttributeCount);
  EXPECT_EQ(3, info.PowerOn);
  EXPECT_EQ(0x33, info.Threshold[0]);
  EXPECT_EQ(0, info.Numbers[5]);
  EXPECT_EQ("", info.Names[31]);
  EXPECT_EQ(0, info.Temperature);
}

TEST(SmartReadDriveTest, IdentityOfAPositionWhoseReadFailedStays) {
  ReplayDrive dev(Drive("M"));
  dev.hook = FailWhen(IsReadThresholds, 0, 0);
  TDriveSmartInfo info;
  std::string error;
  EXPECT_FALSE(SmartReadDrive(dev, 0, info, error));
  EXPECT_EQ(0, info.DrivePosition);
  EXPECT_EQ("M", info.Model);
  EXPECT_EQ(0, info.AttributeCount);
  EXPECT_EQ(0, error.find("SMART Read Threshold Command Failed"));
}

TEST(SmartReadDriveTest, EmptyMapIsASuccessWithoutRows) {
  ReplayDrive dev;
  dev.deviceMap = 0;
  TDriveSmartInfo info;
  std::string error;
  EXPECT_TRUE(SmartReadDrive(dev, 0, info, error));
  EXPECT_EQ(-1, info.DrivePosition);
  EXPECT_EQ(0, info.AttributeCount);
}

TEST(SmartReadDriveTest, ExceptionBecomesTextAndTheLastRequestDecides) {
  struct Case {
    std::function<bool(const Call&)> throwsOn;
    bool expected;
  };
  const Case cases[] = {
      {[](const Call& c) { return c.code == kSmartGetVersion; }, false},
      {IsReadThresholds, true},  // the attribute read before it succeeded
  };
  for (const auto& k : cases) {
    ReplayDrive dev(Drive("M"));
    auto match = k.throwsOn;
    dev.hook = [match](const Call& c, std::uint8_t*, std::uint32_t,
                       std::uint32_t&) -> std::optional<bool> {
      if (match(c)) throw std::runtime_error(" \tout of memory\r\n");
      return std::nullopt;
    };
    TDriveSmartInfo info;
    std::string error;
    EXPECT_EQ(k.expected, SmartReadDrive(dev, 0, info, error));
    EXPECT_EQ("SMART Failed - out of memory", error);
    EXPECT_EQ(0, dev.openHandles);
  }
}

// ---- texts ----

TEST(SmartTexts, IdentifyTextSwapsThenTrims) {
  const std::uint8_t swapped[] = {0x42, 0x41, 0x32, 0x31, 0x44, 0x43, 0x34, 0x33, 0x20, 0x20};
  EXPECT_EQ("AB12CD34", IdentifyText(swapped, 10));
  const std::uint8_t inner[] = {0x20, 0x41, 0x42, 0x20};
  EXPECT_EQ("\x41\x20\x20\x42", IdentifyText(inner, 4));
  std::uint8_t blanks[40];
  std::memset(blanks, 0x20, 40);
  EXPECT_EQ("", IdentifyText(blanks, 40));
  std::memset(blanks, 0x00, 40);
  EXPECT_EQ("", IdentifyText(blanks, 40));
}

TEST(SmartTexts, ExceptionAndSystemTexts) {
  EXPECT_EQ("disk on fire", ExceptionMessageText(std::runtime_error("  disk on fire\n")));
  EXPECT_EQ("bad", ExceptionMessageText(std::make_exception_ptr(std::logic_error("bad "))));
  EXPECT_EQ("", ExceptionMessageText(std::make_exception_ptr(42)));
  EXPECT_EQ("", ExceptionMessageText(std::exception_ptr()));

  EXPECT_EQ("The system cannot find the file specified",
            CleanSystemErrorText("The system cannot find the file specified.\r\n"));
  EXPECT_EQ("Access is denied", CleanSystemErrorText("Access is denied. . \r\n"));
  EXPECT_EQ("", CleanSystemErrorText(""));
  EXPECT_EQ("", CleanSystemErrorText(" ..\r\n"));
}

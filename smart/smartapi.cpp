#include "smart/smartapi.h"

#include <cstring>
#include <vector>

#include "base/text.h"

namespace smart {

const char* const DriverErrorTexts[kDriverErrorTextCount] = {
    "No error",
    "Error from IDE controller",
    "Invalid command flag",
    "Invalid command byte",
    "Bad buffer (null, invalid addr..)",
    "Drive number not valid",
    "Invalid IOCTL",
    "Could not lock user\"s buffer",
    "Some IDE Register not valid",
    "Invalid cmd flag set",
    "Cmd issued to device not present although drive number is valid",
};

std::string DriverErrorText(std::uint8_t code) {
  if (code < kDriverErrorTextCount) return DriverErrorTexts[code];
  return base::Format("Unknown driver error %u", code);
}

}  // namespace smart

using namespace smart;

namespace {

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void PutU16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string Hex4(std::uint8_t v) { return base::Format("%04X", v); }
std::string Dec(long long v) { return base::Format("%lld", v); }

// One open device; closed when it goes out of scope. Remembers whether the
// last control request succeeded, which is what most operations return.
class Device {
 public:
  explicit Device(DriveAccess& dev) : dev_(dev) {}
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  ~Device() {
    if (h_ != DriveAccess::kInvalidHandle) dev_.Close(h_);
  }

  bool Open(const std::string& path, std::uint32_t access, std::uint32_t share,
            std::uint32_t disposition) {
    h_ = dev_.Open(path, access, share, disposition);
    if (h_ != DriveAccess::kInvalidHandle) return true;
    failText_ = dev_.ErrorText(dev_.LastError());
    return false;
  }

  // Sends a request; on failure the system text is kept for the message.
  bool Control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen, std::uint8_t* out,
               std::uint32_t outLen, bool* lastOk) {
    bool ok = dev_.Control(h_, code, in, inLen, out, outLen, nullptr);
    if (!ok) failText_ = dev_.ErrorText(dev_.LastError());
    if (lastOk) *lastOk = ok;
    return ok;
  }

  const std::string& FailText() const { return failText_; }

 private:
  DriveAccess& dev_;
  DriveAccess::Handle h_ = DriveAccess::kInvalidHandle;
  std::string failText_;
};

// Opens the SMART device of this platform; false (with a message where the
// platform is known) when it cannot.
bool OpenSmartDevice(Device& d, DriveAccess& dev, std::int32_t drive, std::string& error) {
  std::uint32_t platform = dev.PlatformId();
  if (platform == kPlatform9x) {
    if (d.Open("\\\\.\\SMARTVSD", 0, 0, kCreateNew)) return true;
    error = "Unable to open SMARTVSD: " + d.FailText();
    return false;
  }
  if (platform == kPlatformNT) {
    if (d.Open("\\\\.\\PhysicalDrive" + Dec(drive), kGenericRead | kGenericWrite,
               kFileShareRead | kFileShareWrite, kOpenExisting))
      return true;
    error = "Unable to open physical drive: " + d.FailText();
    return false;
  }
  return false;
}

// Fills the drive-command request for IDE position n.
void BuildCommand(std::uint8_t* req, std::uint32_t bufferSize, std::uint8_t features,
                  std::uint8_t cylLow, std::uint8_t cylHigh, std::uint8_t command, int n) {
  std::memset(req, 0, kCommandRequestSize);
  PutU32(req + kRequestBufferSizeAt, bufferSize);
  std::uint8_t* regs = req + kRequestRegistersAt;
  regs[kRegFeatures] = features;
  regs[kRegSectorCount] = 1;
  regs[kRegSectorNumber] = 1;
  regs[kRegCylLow] = cylLow;
  regs[kRegCylHigh] = cylHigh;
  regs[kRegDriveHead] = static_cast<std::uint8_t>(0xA0 | ((n & 1) << 4));
  regs[kRegCommand] = command;
  req[kRequestDriveNumberAt] = static_cast<std::uint8_t>(n);
}

bool SendEnable(Device& d, int n, std::uint8_t* req, std::uint8_t* reply, bool* lastOk) {
  BuildCommand(req, 0, 0xD8, 0x4F, 0xC2, 0xB0, n);
  std::memset(reply, 0, kCommandReplySize);
  return d.Control(kSmartSendDriveCommand, req, kCommandRequestSent, reply, kCommandReplySize - 1,
                   lastOk);
}

bool SendIdentify(Device& d, int n, bool atapi, std::uint8_t* req, std::uint8_t* reply,
                  bool* lastOk) {
  BuildCommand(req, kSectorSize, 0, 0, 0, atapi ? 0xA1 : 0xEC, n);
  std::memset(reply, 0, kCommandReplySize);
  PutU32(reply + kReplyBufferSizeAt, kSectorSize);
  return d.Control(kSmartRcvDriveData, req, kCommandRequestSent, reply, kCommandReplySize, lastOk);
}

bool SendSmartRead(Device& d, int n, std::uint8_t features, std::uint8_t* req,
                   std::uint8_t* reply, bool* lastOk) {
  BuildCommand(req, kSectorSize, features, 0x4F, 0xC2, 0xB0, n);
  std::memset(reply, 0, kCommandReplySize);
  return d.Control(kSmartRcvDriveData, req, kCommandRequestSent, reply, kCommandReplySize - 1,
                   lastOk);
}

bool GetDeviceMap(Device& d, std::uint8_t& map, std::string& error, bool* lastOk) {
  std::uint8_t version[kVersionReplySize] = {};
  if (!d.Control(kSmartGetVersion, nullptr, 0, version, kVersionReplySize, lastOk)) {
    error = "DFP_GET_VERSION failed: " + d.FailText();
    return false;
  }
  map = version[kVersionDeviceMapAt];
  return true;
}

std::string EnableFailedText(int n, const Device& d) {
  return "SMART Enable Command Failed, Drive: " + Dec(n) + " : " + d.FailText();
}

std::string IdentifyFailedText(const std::uint8_t* reply, const Device& d) {
  return "Identify Command Failed on Drive: " + DriverErrorText(reply[kReplyDriverErrorAt]) +
         " bIDEStatus=" + Hex4(reply[kReplyIdeErrorAt]) + " : " + d.FailText();
}

std::string ReadFailedText(const char* what, int n, const std::uint8_t* reply, const Device& d) {
  return std::string(what) + Dec(n) + " : " + d.FailText() +
         "; DriverStatus: " + DriverErrorText(reply[kReplyDriverErrorAt]) +
         "; bIDEStatus=" + Hex4(reply[kReplyIdeErrorAt]);
}

// One IDE position: enable (not for ATAPI) and identify. On success the
// reply holds the identify sector; on failure error says why.
bool IdentifyPosition(Device& d, int n, std::uint8_t map, std::uint8_t* req, std::uint8_t* reply,
                      std::string& error, bool& lastOk) {
  bool atapi = (map & (0x10 << n)) != 0;
  if (!atapi && !SendEnable(d, n, req, reply, &lastOk)) error = EnableFailedText(n, d);
  if (SendIdentify(d, n, atapi, req, reply, &lastOk)) return true;
  error = IdentifyFailedText(reply, d);
  return false;
}

void ReadIdentity(const std::uint8_t* reply, int n, TDriveIdentity& id) {
  const std::uint8_t* sec = reply + kCommandReplyHeader;
  id.Position = n;
  id.Size = static_cast<std::int64_t>(U32(sec + 120)) * 512;
  id.Serial = IdentifyText(sec + 20, 20);
  id.Firmware = IdentifyText(sec + 46, 8);
  id.Model = IdentifyText(sec + 54, 40);
  id.Word47 = U16(sec + 94);
}

// The sequence of ReadSmartSectors; lastOk follows every request so that a
// caller catching an exception still knows how the last one went.
bool ReadSectors(DriveAccess& dev, std::int32_t drive, bool& delivered, TDriveIdentity& id,
                 Sector& attributes, Sector& thresholds, std::string& error, bool& lastOk) {
  Device d(dev);
  if (!OpenSmartDevice(d, dev, drive, error)) return false;
  std::vector<std::uint8_t> identify(kCommandReplySize), attr(kCommandReplySize),
      thresh(kCommandReplySize);
  std::uint8_t req[kCommandRequestSize];
  std::uint8_t map = 0;
  if (!GetDeviceMap(d, map, error, &lastOk)) return false;

  for (int n = 0; n < 4; ++n) {
    if (!(map & (1 << n)) || !IdentifyPosition(d, n, map, req, identify.data(), error, lastOk))
      continue;
    ReadIdentity(identify.data(), n, id);

    if (!SendSmartRead(d, n, 0xD0, req, attr.data(), &lastOk)) {
      error = ReadFailedText("SMART Read Attr Command Failed, Drive: ", n, attr.data(), d);
      continue;
    }
    if (!SendSmartRead(d, n, 0xD1, req, thresh.data(), &lastOk)) {
      error = ReadFailedText("SMART Read Threshold Command Failed, Drive: ", n, thresh.data(), d);
      continue;
    }
    std::memcpy(attributes.data(), attr.data() + kCommandReplyHeader, kSectorSize);
    std::memcpy(thresholds.data(), thresh.data() + kCommandReplyHeader, kSectorSize);
    delivered = true;
    return true;
  }
  return lastOk;
}

void ResetRecord(TDriveSmartInfo& info) { info = TDriveSmartInfo(); }

}  // namespace

std::string IdentifyText(const std::uint8_t* bytes, std::size_t length) {
  std::string s;
  s.reserve(length);
  for (std::size_t i = 0; i + 1 < length; i += 2) {
    s += static_cast<char>(bytes[i + 1]);
    s += static_cast<char>(bytes[i]);
  }
  return base::Trim(s);
}

std::string ExceptionMessageText(const std::exception& e) { return base::Trim(e.what()); }

std::string ExceptionMessageText(std::exception_ptr e) {
  if (!e) return std::string();
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& ex) {
    return ExceptionMessageText(ex);
  } catch (...) {
  }
  return std::string();
}

std::string CleanSystemErrorText(const std::string& raw) {
  std::size_t e = raw.size();
  while (e > 0 && (static_cast<unsigned char>(raw[e - 1]) <= 32 || raw[e - 1] == '.')) --e;
  return raw.substr(0, e);
}

bool SmartIdentifyDrive(DriveAccess& dev, std::int32_t drive, std::string& error,
                        std::string& model, std::string& serial, std::int64_t& size) {
  error.clear();
  model.clear();
  serial.clear();
  size = 0;
  Device d(dev);
  if (!OpenSmartDevice(d, dev, drive, error)) return false;
  std::vector<std::uint8_t> reply(kCommandReplySize);
  std::uint8_t req[kCommandRequestSize];
  bool lastOk = false;
  std::uint8_t map = 0;
  if (!GetDeviceMap(d, map, error, &lastOk)) return false;

  for (int n = 0; n < 4; ++n) {
    if (!(map & (1 << n)) || !IdentifyPosition(d, n, map, req, reply.data(), error, lastOk))
      continue;
    TDriveIdentity id;
    ReadIdentity(reply.data(), n, id);
    model = id.Model;
    serial = id.Serial;
    size = id.Size;
    break;
  }
  return lastOk;
}

bool ReadSmartSectors(DriveAccess& dev, std::int32_t drive, bool& delivered,
                      TDriveIdentity& identity, Sector& attributes, Sector& thresholds,
                      std::string& error) {
  error.clear();
  delivered = false;
  identity = TDriveIdentity();
  bool lastOk = false;
  return ReadSectors(dev, drive, delivered, identity, attributes, thresholds, error, lastOk);
}

bool ScsiSerialNumber(DriveAccess& dev, std::int32_t drive, std::string& error,
                      std::string& model, std::string& serial, std::int64_t& size) {
  error.clear();
  model.clear();
  serial.clear();
  size = 0;
  Device d(dev);
  if (!d.Open("\\\\.\\PhysicalDrive" + Dec(drive), kGenericRead | kGenericWrite,
              kFileShareRead | kFileShareWrite, kOpenExisting)) {
    error = "Unable to open physical drive: " + d.FailText();
    return false;
  }
  try {
    const PassThroughLayout pt = dev.PassThrough();
    const std::uint32_t dataOffset = pt.DataOffset();
    const std::uint32_t total = dataOffset + kPassThroughDataLength;
    std::vector<std::uint8_t> buf(total);
    std::uint8_t* p = buf.data();
    PutU16(p + kPtLengthAt, pt.header);
    p[kPtCdbLengthAt] = 6;
    p[kPtSenseInfoLengthAt] = 24;
    p[kPtDataInAt] = 1;  // data from the device
    PutU32(p + kPtDataTransferLengthAt, kPassThroughDataLength);
    PutU32(p + kPtTimeOutValueAt, 2);  // seconds
    PutU32(p + pt.dataBufferOffsetAt, dataOffset);  // the upper half of a 64-bit field stays 0
    PutU32(p + pt.senseInfoOffsetAt, pt.header);
    const std::uint8_t cdb[6] = {0x12, 0x01, 0x80, 0x00, 0xC0, 0x00};  // INQUIRY, serial page
    std::memcpy(p + pt.cdbAt, cdb, sizeof cdb);
    if (!d.Control(kScsiPassThrough, p, pt.header, p, total, nullptr)) {
      error = "SCSI_IOCTL Command Failed: " + d.FailText();
      return false;
    }
    const std::uint8_t* data = p + dataOffset;
    std::size_t length = data[3];
    if (data[1] != 0x80 || length == 0) {
      error = "No SCSI Drive Serial Number Returned";
      return false;
    }
    // A page longer than the data area holds only what fits.
    const std::size_t fits = kPassThroughDataLength - 4;
    if (length > fits) length = fits;
    serial = base::Trim(std::string(reinterpret_cast<const char*>(data + 4), length));
    return true;
  } catch (...) {
    serial.clear();
    error = "Exception Getting SCSI Drive Serial Number";
    return false;
  }
}

bool SmartReadDrive(DriveAccess& dev, std::int32_t drive, TDriveSmartInfo& info,
                    std::string& error) {
  bool lastOk = false;
  try {
    error.clear();
    ResetRecord(info);
    bool delivered = false;
    TDriveIdentity id;
    Sector attributes{}, thresholds{};
    bool ok = ReadSectors(dev, drive, delivered, id, attributes, thresholds, error, lastOk);
    if (id.Position >= 0) {
      info.DrivePosition = id.Position;
      info.Size = id.Size;
      info.Serial = id.Serial;
      info.Firmware = id.Firmware;
      info.Model = id.Model;
      info.Word47 = id.Word47;
    }
    if (delivered) {
      DecodeSmartData(attributes, thresholds, info);
      return true;
    }
    return ok;
  } catch (...) {
    error = "SMART Failed - " + ExceptionMessageText(std::current_exception());
    return lastOk;
  }
}

// ---- attribute catalogue and decoding ----

const char* const AttributeNamesLow[12] = {
    "リードエラーレート",
    "規定通りの処理能力か",
    "スピンアップ時間",
    "スタート／ストップ回数",
    "代替処理済みのセクタ数",
    "リードチャネルマージン",
    "シークエラーレート",
    "シークタイムパフォーマンス",
    "使用時間",
    "スピンアップ再試行回数",
    "キャリブレーション再試行回数",
    "電源投入回数",
};

const char* const AttributeNamesHigh[18] = {
    "電源直切によるHDDヘッドの緊急退避回数",
    "ロードサイクル回数",
    "温度",
    "ハードウェア ECC 検知エラー回数",
    "セクタ代替処理発生回数",
    "代替処理保留中のセクタ数",
    "オフラインでの検索性能",
    "UltraDMA CRC エラー数",
    "ライトエラーレート",
    "ソフトリードエラーレート",
    "データアドレスマークエラー",
    "ECC Errors",
    "Shock Count Write Ops",
    "Shock Rate Write Ops",
    "Unknown Attribute",
    "Spin High Current",
    "Spin Buzz",
    "Offline Seek Perf",
};

std::string AttributeName(int a) {
  if (a >= 1 && a <= 12) return AttributeNamesLow[a - 1];
  if (a >= 192 && a <= 209) return AttributeNamesHigh[a - 192];
  return "不明";
}

void DecodeSmartData(const Sector& attributes, const Sector& thresholds, TDriveSmartInfo& info) {
  int baseline = 100;
  int n = 0;
  for (int k = 0; k < kSmartEntries; ++k) {
    const std::uint8_t* e = attributes.data() + 2 + 12 * k;
    const int a = e[0];
    if (a == 0) break;
    const std::uint16_t flags = U16(e + 1);
    const int current = e[3];
    const int worst = e[4];
    const int threshold = thresholds[2 + 12 * k + 1];
    std::int64_t raw = 0;
    for (int i = 5; i >= 0; --i) raw = (raw << 8) | e[5 + i];

    info.Numbers[n] = a;
    info.Names[n] = AttributeName(a);
    info.PreFailure[n] = (flags & 0x01) != 0;
    info.FlagBit4[n] = (flags & 0x10) != 0;
    info.FlagBit3[n] = (flags & 0x08) != 0;
    info.Current[n] = current;
    info.Worst[n] = worst;
    info.Threshold[n] = threshold;
    info.Raw[n] = raw;

    if (raw > 0 && raw < 0x7FFFFFFF) {
      if (a == 5) info.ReallocatedSectors = static_cast<std::int32_t>(raw);
      if (a == 9) info.PowerOn = static_cast<std::int32_t>(raw / 60 + 1);
      if (a == 12) info.PowerCycles = static_cast<std::int32_t>(raw);
    }
    // Drives that count from 253 show it on spin-up and start/stop.
    if ((a == 3 || a == 4) && current > 230) baseline = 253;

    const char* status;
    if (!info.PreFailure[n] || threshold == 0) {
      status = "-";
    } else if (current < threshold) {
      status = "Failing Now";
      ++info.FailingCount;
    } else if (worst < threshold) {
      status = "Failed In Past";
      ++info.FailingCount;
    } else if (current < threshold + (baseline - threshold) / 2) {
      status = "Warning";
      ++info.WarningCount;
    } else if (a == 5 && raw > 500) {
      status = "Warning";
      ++info.WarningCount;
    } else {
      status = "OK";
    }
    info.Status[n] = status;

    if (a == 194) {
      info.Temperature = e[5];
      info.MinTemperature = e[7];
      info.MaxTemperature = (e[5] == current) ? worst : e[9];
    }
    ++n;
  }
  info.AttributeCount = n;
}

// ---- number texts ----

std::string AddThousandSeparators(const std::string& decimal, char separator) {
  std::string sign, digits = decimal;
  if (decimal.size() > 1 && decimal[0] == '-') {
    sign = "-";
    digits = decimal.substr(1);
  }
  const std::size_t d = digits.size();
  if (d <= 3) return decimal;
  const std::size_t head = (d - 1) % 3 + 1;
  std::string out = sign + digits.substr(0, head);
  for (std::size_t i = head; i < d; i += 3) {
    out += separator;
    out += digits.substr(i, 3);
  }
  return out;
}

std::string IntToThousands(std::int32_t value, char separator) {
  return AddThousandSeparators(Dec(value), separator);
}

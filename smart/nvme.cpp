#include "smart/nvme.h"

#include <algorithm>

#include "base/text.h"

namespace smart {

namespace {

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(U16(p)) | (static_cast<std::uint32_t>(U16(p + 2)) << 16);
}
std::uint64_t U64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(U32(p)) | (static_cast<std::uint64_t>(U32(p + 4)) << 32);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string Ascii(const std::uint8_t* p, std::size_t n) {
  return base::Trim(std::string(reinterpret_cast<const char*>(p), n));
}

// The disk handle of one read, closed on every way out.
class OpenDisk {
 public:
  OpenDisk(DriveAccess& dev, const std::string& path)
      : dev_(dev),
        h_(dev.Open(path, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                    kOpenExisting)) {}
  OpenDisk(const OpenDisk&) = delete;
  OpenDisk& operator=(const OpenDisk&) = delete;
  ~OpenDisk() {
    if (h_ != DriveAccess::kInvalidHandle) dev_.Close(h_);
  }
  DriveAccess::Handle Handle() const { return h_; }

 private:
  DriveAccess& dev_;
  DriveAccess::Handle h_;
};

// One query; data receives the reply's data area when the reply counts.
bool Query(DriveAccess& dev, DriveAccess::Handle h, const NvmeRequest& r,
           std::vector<std::uint8_t>& data, std::string& error) {
  const std::uint32_t size = kNvmeDataAt + r.dataSize;
  std::vector<std::uint8_t> buffer(size);
  BuildNvmeQuery(r, buffer.data());
  std::uint32_t returned = 0;
  if (!dev.Control(h, kStorageQueryProperty, buffer.data(), size, buffer.data(), size, &returned)) {
    error = "NVMe query failed: " + dev.ErrorText(dev.LastError());
    return false;
  }
  const std::uint8_t* p = NvmeReplyData(buffer.data(), std::min(returned, size), r.dataSize);
  if (!p) {
    error = "NVMe reply not usable";
    return false;
  }
  data.assign(p, p + r.dataSize);
  return true;
}

}  // namespace

std::string U128Text(U128 v) {
  // Four 32-bit limbs, most significant first, divided by ten in 64 bits.
  std::uint32_t limbs[4] = {static_cast<std::uint32_t>(v.high >> 32),
                            static_cast<std::uint32_t>(v.high),
                            static_cast<std::uint32_t>(v.low >> 32),
                            static_cast<std::uint32_t>(v.low)};
  std::string digits;
  do {
    std::uint64_t rest = 0;
    for (std::uint32_t& limb : limbs) {
      const std::uint64_t part = (rest << 32) | limb;
      limb = static_cast<std::uint32_t>(part / 10);
      rest = part % 10;
    }
    digits += static_cast<char>('0' + rest);
  } while (limbs[0] | limbs[1] | limbs[2] | limbs[3]);
  return std::string(digits.rbegin(), digits.rend());
}

void BuildNvmeQuery(const NvmeRequest& r, std::uint8_t* buffer) {
  std::fill(buffer, buffer + kNvmeDataAt + r.dataSize, std::uint8_t(0));
  PutU32(buffer + kQueryPropertyIdAt, r.propertyId);
  PutU32(buffer + kQueryTypeAt, 0);  // PropertyStandardQuery
  std::uint8_t* ps = buffer + kQueryParametersAt;
  PutU32(ps + kPsProtocolTypeAt, kProtocolTypeNvme);
  PutU32(ps + kPsDataTypeAt, r.dataType);
  PutU32(ps + kPsRequestValueAt, r.requestValue);
  PutU32(ps + kPsRequestSubValueAt, 0);
  PutU32(ps + kPsDataOffsetAt, kProtocolSpecificSize);
  PutU32(ps + kPsDataLengthAt, r.dataSize);
}

const std::uint8_t* NvmeReplyData(const std::uint8_t* reply, std::uint32_t returned,
                                  std::uint32_t dataSize) {
  if (returned < kDescriptorSize) return nullptr;
  if (U32(reply + kDescriptorVersionAt) != kDescriptorSize ||
      U32(reply + kDescriptorSizeAt) != kDescriptorSize)
    return nullptr;
  const std::uint8_t* ps = reply + kDescriptorDataAt;
  const std::uint32_t offset = U32(ps + kPsDataOffsetAt), length = U32(ps + kPsDataLengthAt);
  if (offset < kProtocolSpecificSize || length < dataSize) return nullptr;
  // The offset counts from the protocol data, 8 bytes into the reply.
  if (std::uint64_t(kDescriptorDataAt) + offset + length > returned) return nullptr;
  return ps + offset;
}

void DecodeNvmeHealth(const std::uint8_t* identify, const std::uint8_t* health,
                      TNvmeHealthInfo& info) {
  info = TNvmeHealthInfo();
  info.Serial = Ascii(identify + 4, 20);
  info.Model = Ascii(identify + 24, 40);
  info.Firmware = Ascii(identify + 64, 8);
  info.WarningTemperature = U16(identify + 266);

  info.CriticalWarning = health[0];
  info.Temperature = U16(health + 1);
  info.AvailableSpare = health[3];
  info.SpareThreshold = health[4];
  info.PercentageUsed = health[5];
  for (int i = 0; i < kNvmeCounters; ++i)
    info.Counters[i] = {U64(health + 32 + 16 * i), U64(health + 40 + 16 * i)};
  info.WarningTemperatureTime = U32(health + 192);
  info.CriticalTemperatureTime = U32(health + 196);
  for (int i = 0; i < kNvmeSensors; ++i) info.Sensors[i] = U16(health + 200 + 2 * i);
}

bool NvmeReadDrive(DriveAccess& dev, std::int32_t drive, TNvmeHealthInfo& info,
                   std::string& error) {
  error.clear();
  info = TNvmeHealthInfo();
  if (dev.PlatformId() != kPlatformNT) return false;  // the 9x family has no such query
  try {
    OpenDisk disk(dev, "\\\\.\\PhysicalDrive" + std::to_string(drive));
    if (disk.Handle() == DriveAccess::kInvalidHandle) {
      error = "Unable to open physical drive: " + dev.ErrorText(dev.LastError());
      return false;
    }
    std::vector<std::uint8_t> identify, health;
    if (!Query(dev, disk.Handle(), kNvmeIdentifyRequest, identify, error) ||
        !Query(dev, disk.Handle(), kNvmeHealthRequest, health, error))
      return false;
    DecodeNvmeHealth(identify.data(), health.data(), info);
    return true;
  } catch (...) {
    error = "Exception Getting NVMe Health";
    return false;
  }
}

std::vector<NvmeRow> NvmeHealthRows(const TNvmeHealthInfo& h, char separator) {
  static const char* const kCounterNames[kNvmeCounters] = {
      "総読み込み量",   "総書き込み量", "ホスト読み込み回数", "ホスト書き込み回数",
      "コントローラ稼働時間", "電源投入回数", "使用時間", "異常電源断回数",
      "メディアエラー数", "エラーログ数"};
  std::vector<NvmeRow> rows;
  auto dec = [](long long v) { return std::to_string(v); };
  auto raw = [separator](const std::string& digits) { return AddThousandSeparators(digits, separator); };
  auto add = [&rows](int id, const std::string& name, const std::string& current,
                     const std::string& threshold, const std::string& rawText) {
    rows.push_back({base::Format("%02X", id), name, current, "", threshold, rawText});
  };
  add(0x01, "クリティカル警告", "", "", base::Format("%02X", h.CriticalWarning));
  add(0x02, "温度", dec(h.Temperature - 273),
      h.WarningTemperature ? dec(h.WarningTemperature - 273) : "", raw(dec(h.Temperature)));
  add(0x03, "予備領域", dec(h.AvailableSpare), dec(h.SpareThreshold), raw(dec(h.AvailableSpare)));
  add(0x04, "使用率", dec(h.PercentageUsed), "", raw(dec(h.PercentageUsed)));
  for (int i = 0; i < kNvmeCounters; ++i)
    add(0x05 + i, kCounterNames[i], "", "", raw(U128Text(h.Counters[i])));
  add(0x0F, "警告温度超過時間", "", "", raw(dec(h.WarningTemperatureTime)));
  add(0x10, "危険温度超過時間", "", "", raw(dec(h.CriticalTemperatureTime)));
  for (int i = 0; i < kNvmeSensors; ++i)
    if (h.Sensors[i])
      add(0x11 + i, "温度センサー" + dec(i + 1), dec(h.Sensors[i] - 273), "", raw(dec(h.Sensors[i])));
  return rows;
}

}  // namespace smart

// NVMe disks: Identify Controller and the SMART / Health Information log,
// read through the storage driver's protocol-specific property query
// (Windows 10 and later), and the table the S.M.A.R.T tab shows of them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "smart/smartapi.h"

namespace smart {

constexpr std::uint32_t kStorageQueryProperty = 0x2D1400;  // IOCTL_STORAGE_QUERY_PROPERTY
constexpr std::uint32_t kAdapterProtocolSpecificProperty = 49;
constexpr std::uint32_t kDeviceProtocolSpecificProperty = 50;
constexpr std::uint32_t kProtocolTypeNvme = 3;
constexpr std::uint32_t kNvmeDataTypeIdentify = 1;
constexpr std::uint32_t kNvmeDataTypeLogPage = 2;
constexpr std::uint32_t kNvmeIdentifyController = 1;  // CNS
constexpr std::uint32_t kNvmeHealthLog = 2;           // log identifier
constexpr std::uint32_t kNvmeIdentifySize = 4096;
constexpr std::uint32_t kNvmeHealthSize = 512;

// STORAGE_PROPERTY_QUERY: PropertyId, QueryType, then AdditionalParameters.
constexpr std::uint32_t kQueryPropertyIdAt = 0, kQueryTypeAt = 4, kQueryParametersAt = 8;
// STORAGE_PROTOCOL_DATA_DESCRIPTOR: Version, Size, then the protocol data.
constexpr std::uint32_t kDescriptorVersionAt = 0, kDescriptorSizeAt = 4, kDescriptorDataAt = 8;
constexpr std::uint32_t kDescriptorSize = 48;
// STORAGE_PROTOCOL_SPECIFIC_DATA, offsets within it.
constexpr std::uint32_t kProtocolSpecificSize = 40;
constexpr std::uint32_t kPsProtocolTypeAt = 0, kPsDataTypeAt = 4, kPsRequestValueAt = 8,
                        kPsRequestSubValueAt = 12, kPsDataOffsetAt = 16, kPsDataLengthAt = 20;
// Query and reply share one buffer: the 48-byte head, then the data area.
constexpr std::uint32_t kNvmeDataAt = kQueryParametersAt + kProtocolSpecificSize;
static_assert(kNvmeDataAt == kDescriptorDataAt + kProtocolSpecificSize, "");

// One of the two requests: what it asks and how much data it expects.
struct NvmeRequest {
  std::uint32_t propertyId, dataType, requestValue, dataSize;
};
constexpr NvmeRequest kNvmeIdentifyRequest = {kAdapterProtocolSpecificProperty,
                                              kNvmeDataTypeIdentify, kNvmeIdentifyController,
                                              kNvmeIdentifySize};
constexpr NvmeRequest kNvmeHealthRequest = {kDeviceProtocolSpecificProperty, kNvmeDataTypeLogPage,
                                            kNvmeHealthLog, kNvmeHealthSize};

// An unsigned 128-bit counter as two halves, as the log stores it.
struct U128 {
  std::uint64_t low = 0, high = 0;
};
// Its decimal digits, however large.
std::string U128Text(U128 v);

constexpr int kNvmeCounters = 10;
constexpr int kNvmeSensors = 8;

struct TNvmeHealthInfo {
  std::string Model, Serial, Firmware;
  std::uint16_t WarningTemperature = 0;  // WCTEMP, kelvin; 0 = none
  std::uint8_t CriticalWarning = 0;
  std::uint16_t Temperature = 0;  // composite, kelvin
  std::uint8_t AvailableSpare = 0, SpareThreshold = 0, PercentageUsed = 0;
  // Data units read and written, host read and write commands, controller
  // busy time, power cycles, power-on hours, unsafe shutdowns, media errors,
  // error log entries.
  std::array<U128, kNvmeCounters> Counters{};
  std::uint32_t WarningTemperatureTime = 0, CriticalTemperatureTime = 0;
  std::array<std::uint16_t, kNvmeSensors> Sensors{};  // kelvin; 0 = not reported
};

// Fills the request buffer (kNvmeDataAt + dataSize bytes, zeroed first).
void BuildNvmeQuery(const NvmeRequest& r, std::uint8_t* buffer);
// The reply's data area, or null when the reply does not count.
const std::uint8_t* NvmeReplyData(const std::uint8_t* reply, std::uint32_t returned,
                                  std::uint32_t dataSize);

// Identify Controller (4096 bytes) and the health log (512 bytes).
void DecodeNvmeHealth(const std::uint8_t* identify, const std::uint8_t* health,
                      TNvmeHealthInfo& info);

// Opens \\.\PhysicalDriveN on the NT family and sends both queries; false
// (error says why) when the disk is not an NVMe disk to us.
bool NvmeReadDrive(DriveAccess& dev, std::int32_t drive, TNvmeHealthInfo& info,
                   std::string& error);

// The tab's rows: ID, name, current, worst, threshold, raw.
using NvmeRow = std::array<std::string, 6>;
std::vector<NvmeRow> NvmeHealthRows(const TNvmeHealthInfo& info, char separator);

}  // namespace smart

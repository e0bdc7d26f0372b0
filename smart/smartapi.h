// Disk health: SMART requests to the disk driver, the attribute catalogue
// and the decoding of the attribute and threshold sectors.
//
// The drive logic touches the device only through DriveAccess, so replies
// recorded from real drives can be replayed without Windows.
#pragma once
#include <array>
#include <cstdint>
#include <exception>
#include <string>

namespace smart {

// Where the SCSI_PASS_THROUGH header puts its fields. DataBufferOffset is
// pointer-sized, so a 64-bit process has a 56-byte header of its own.
struct PassThroughLayout {
  std::uint32_t header;                // sizeof: Length, SenseInfoOffset, the input length
  std::uint32_t dataBufferOffsetAt;
  std::uint32_t senseInfoOffsetAt;
  std::uint32_t cdbAt;
  // The 32-byte sense area follows the header, then the data area.
  constexpr std::uint32_t DataOffset() const { return header + 32; }
};
constexpr PassThroughLayout kPassThrough32 = {44, 20, 24, 28};
constexpr PassThroughLayout kPassThrough64 = {56, 24, 32, 36};

}  // namespace smart

// Open, control request, close: the only ways the drive layer reaches a disk.
class DriveAccess {
 public:
  using Handle = std::intptr_t;
  static constexpr Handle kInvalidHandle = -1;

  virtual ~DriveAccess() = default;
  // dwPlatformId of the running system: 1 = 9x family, 2 = NT family.
  virtual std::uint32_t PlatformId() = 0;
  // kInvalidHandle on failure.
  virtual Handle Open(const std::string& path, std::uint32_t access, std::uint32_t share,
                      std::uint32_t disposition) = 0;
  // in and out may be the same buffer; returned, where given, receives how
  // many bytes the driver wrote into out. True on success.
  virtual bool Control(Handle h, std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen,
                       std::uint8_t* out, std::uint32_t outLen, std::uint32_t* returned) = 0;
  virtual void Close(Handle h) = 0;
  // The error code of the call that just failed.
  virtual std::uint32_t LastError() = 0;
  // The system's text for an error code, already cleaned (SystemErrorText).
  virtual std::string ErrorText(std::uint32_t code) = 0;
  // The pass-through header of the driver interface this process talks to.
  virtual smart::PassThroughLayout PassThrough() = 0;
};

namespace smart {

// Platform identifiers, access rights, dispositions and control codes.
constexpr std::uint32_t kPlatform9x = 1;
constexpr std::uint32_t kPlatformNT = 2;
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kFileShareRead = 1;
constexpr std::uint32_t kFileShareWrite = 2;
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kOpenExisting = 3;

constexpr std::uint32_t kSmartGetVersion = 0x74080;
constexpr std::uint32_t kSmartSendDriveCommand = 0x7C084;
constexpr std::uint32_t kSmartRcvDriveData = 0x7C088;
constexpr std::uint32_t kScsiPassThrough = 0x4D004;

// Buffer sizes of the requests and replies.
constexpr std::uint32_t kVersionReplySize = 24;    // GETVERSIONOUTPARAMS
constexpr std::uint32_t kCommandRequestSize = 33;  // SENDCMDINPARAMS; 32 of them are sent
constexpr std::uint32_t kCommandRequestSent = 32;
constexpr std::uint32_t kCommandReplySize = 529;   // 16 header + 512 + 1 spare
constexpr std::uint32_t kCommandReplyHeader = 16;  // SENDCMDOUTPARAMS.bBuffer
constexpr std::uint32_t kPassThroughDataLength = 192;

// Offsets of the fields read and written in those records.
constexpr std::uint32_t kVersionDeviceMapAt = 3;     // GETVERSIONOUTPARAMS.bIDEDeviceMap
constexpr std::uint32_t kRequestBufferSizeAt = 0;    // SENDCMDINPARAMS.cBufferSize
constexpr std::uint32_t kRequestRegistersAt = 4;     // .irDriveRegs, an IDEREGS:
constexpr std::uint32_t kRegFeatures = 0, kRegSectorCount = 1, kRegSectorNumber = 2,
                        kRegCylLow = 3, kRegCylHigh = 4, kRegDriveHead = 5, kRegCommand = 6;
constexpr std::uint32_t kRequestDriveNumberAt = 12;  // .bDriveNumber
constexpr std::uint32_t kReplyBufferSizeAt = 0;      // SENDCMDOUTPARAMS.cBufferSize
constexpr std::uint32_t kReplyDriverErrorAt = 4;     // .DriverStatus.bDriverError
constexpr std::uint32_t kReplyIdeErrorAt = 5;        // .DriverStatus.bIDEError
// SCSI_PASS_THROUGH fields at the same place in both layouts.
constexpr std::uint32_t kPtLengthAt = 0, kPtCdbLengthAt = 6, kPtSenseInfoLengthAt = 7,
                        kPtDataInAt = 8, kPtDataTransferLengthAt = 12, kPtTimeOutValueAt = 16;

constexpr std::size_t kSectorSize = 512;
using Sector = std::array<std::uint8_t, kSectorSize>;

constexpr int kDriverErrorTextCount = 11;
extern const char* const DriverErrorTexts[kDriverErrorTextCount];
// DriverErrorTexts[code], or a text of its own for codes the table lacks.
std::string DriverErrorText(std::uint8_t code);

}  // namespace smart

// What ReadSmartSectors reports of the position that last answered IDENTIFY.
struct TDriveIdentity {
  std::int32_t Position = -1;
  std::int64_t Size = 0;
  std::string Serial, Firmware, Model;
  std::int32_t Word47 = 0;
};

constexpr int kSmartRows = 32;    // rows of the record
constexpr int kSmartEntries = 30;  // attribute entries of a sector

struct TDriveSmartInfo {
  std::int32_t DrivePosition = -1;
  std::int64_t Size = 0;
  std::string Serial, Firmware, Model;
  std::int32_t Word47 = 0;
  std::int32_t Temperature = 0;
  std::int32_t MaxTemperature = 0;
  std::int32_t MinTemperature = 0;
  std::int32_t PowerOn = 0;
  std::int32_t ReallocatedSectors = 0;
  std::int32_t PowerCycles = 0;
  std::int32_t FailingCount = 0;
  std::int32_t WarningCount = 0;
  std::int32_t AttributeCount = 0;
  std::array<std::int32_t, kSmartRows> Numbers{};
  std::array<std::string, kSmartRows> Names;
  std::array<bool, kSmartRows> PreFailure{};
  std::array<bool, kSmartRows> FlagBit4{};
  std::array<bool, kSmartRows> FlagBit3{};
  std::array<std::int32_t, kSmartRows> Current{};
  std::array<std::int32_t, kSmartRows> Worst{};
  std::array<std::int32_t, kSmartRows> Threshold{};
  std::array<std::int64_t, kSmartRows> Raw{};
  std::array<std::string, kSmartRows> Status;
};

// Attribute names for numbers 1..12 (index a - 1) and 192..209 (index a - 192).
extern const char* const AttributeNamesLow[12];
extern const char* const AttributeNamesHigh[18];
// The catalogue name of attribute number a ("不明" outside the tables).
std::string AttributeName(int a);

// ATA identify strings: bytes swapped in pairs, then trimmed of codes 0..32.
std::string IdentifyText(const std::uint8_t* bytes, std::size_t length);
// An exception's message trimmed of codes 0..32; empty for anything else.
std::string ExceptionMessageText(const std::exception& e);
std::string ExceptionMessageText(std::exception_ptr e);
// Cleans a system message: trailing codes 0..32 and full stops go.
std::string CleanSystemErrorText(const std::string& raw);

// Opens the disk, finds the first IDE position that answers IDENTIFY and
// returns its model, serial and size. The error text keeps the last failure.
bool SmartIdentifyDrive(DriveAccess& dev, std::int32_t drive, std::string& error,
                        std::string& model, std::string& serial, std::int64_t& size);

// Like SmartIdentifyDrive, then reads the attribute and threshold sectors of
// the first position that delivers both.
bool ReadSmartSectors(DriveAccess& dev, std::int32_t drive, bool& delivered,
                      TDriveIdentity& identity, smart::Sector& attributes,
                      smart::Sector& thresholds, std::string& error);

// The unit serial number through a SCSI INQUIRY pass-through; model stays
// empty and size 0.
bool ScsiSerialNumber(DriveAccess& dev, std::int32_t drive, std::string& error,
                      std::string& model, std::string& serial, std::int64_t& size);

// The full read: sectors, identity and decoded attributes.
bool SmartReadDrive(DriveAccess& dev, std::int32_t drive, TDriveSmartInfo& info,
                    std::string& error);

// Fills the rows and summary values of info from the two sectors.
void DecodeSmartData(const smart::Sector& attributes, const smart::Sector& thresholds,
                     TDriveSmartInfo& info);

// Decimal text with the given thousands separator between groups of three.
std::string AddThousandSeparators(const std::string& decimal, char separator);
std::string IntToThousands(std::int32_t value, char separator);

#include "smart/win/drive_access.h"

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>

#include "base/win/system_error.h"
#include "smart/nvme.h"

using namespace smart;

// The records the drive layer builds and reads byte by byte, pinned against
// the platform's own declarations on both builds.
static_assert(SMART_GET_VERSION == kSmartGetVersion, "");
static_assert(SMART_SEND_DRIVE_COMMAND == kSmartSendDriveCommand, "");
static_assert(SMART_RCV_DRIVE_DATA == kSmartRcvDriveData, "");
static_assert(IOCTL_SCSI_PASS_THROUGH == kScsiPassThrough, "");

static_assert(sizeof(GETVERSIONINPARAMS) == kVersionReplySize, "");
static_assert(offsetof(GETVERSIONINPARAMS, bIDEDeviceMap) == kVersionDeviceMapAt, "");

static_assert(sizeof(SENDCMDINPARAMS) == kCommandRequestSize, "");
static_assert(offsetof(SENDCMDINPARAMS, bBuffer) == kCommandRequestSent, "");
static_assert(offsetof(SENDCMDINPARAMS, cBufferSize) == kRequestBufferSizeAt, "");
static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) == kRequestRegistersAt, "");
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == kRequestDriveNumberAt, "");
static_assert(sizeof(IDEREGS) == 8, "");
static_assert(offsetof(IDEREGS, bFeaturesReg) == kRegFeatures, "");
static_assert(offsetof(IDEREGS, bSectorCountReg) == kRegSectorCount, "");
static_assert(offsetof(IDEREGS, bSectorNumberReg) == kRegSectorNumber, "");
static_assert(offsetof(IDEREGS, bCylLowReg) == kRegCylLow, "");
static_assert(offsetof(IDEREGS, bCylHighReg) == kRegCylHigh, "");
static_assert(offsetof(IDEREGS, bDriveHeadReg) == kRegDriveHead, "");
static_assert(offsetof(IDEREGS, bCommandReg) == kRegCommand, "");

static_assert(sizeof(SENDCMDOUTPARAMS) == kCommandReplyHeader + 1, "");
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == kCommandReplyHeader, "");
static_assert(offsetof(SENDCMDOUTPARAMS, cBufferSize) == kReplyBufferSizeAt, "");
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bDriverError) ==
                  kReplyDriverErrorAt, "");
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bIDEError) ==
                  kReplyIdeErrorAt, "");

// A 64-bit process must send its own, wider pass-through header.
constexpr PassThroughLayout kNativePassThrough = sizeof(void*) == 8 ? kPassThrough64 : kPassThrough32;
static_assert(sizeof(SCSI_PASS_THROUGH) == kNativePassThrough.header, "");
static_assert(offsetof(SCSI_PASS_THROUGH, Length) == kPtLengthAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, CdbLength) == kPtCdbLengthAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoLength) == kPtSenseInfoLengthAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, DataIn) == kPtDataInAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == kPtDataTransferLengthAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == kPtTimeOutValueAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == kNativePassThrough.dataBufferOffsetAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == kNativePassThrough.senseInfoOffsetAt, "");
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == kNativePassThrough.cdbAt, "");

// The NVMe storage query and its reply.
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == kStorageQueryProperty, "");
static_assert(StorageAdapterProtocolSpecificProperty == kAdapterProtocolSpecificProperty, "");
static_assert(StorageDeviceProtocolSpecificProperty == kDeviceProtocolSpecificProperty, "");
static_assert(PropertyStandardQuery == 0, "");
static_assert(ProtocolTypeNvme == kProtocolTypeNvme, "");
static_assert(NVMeDataTypeIdentify == kNvmeDataTypeIdentify, "");
static_assert(NVMeDataTypeLogPage == kNvmeDataTypeLogPage, "");
static_assert(offsetof(STORAGE_PROPERTY_QUERY, PropertyId) == kQueryPropertyIdAt, "");
static_assert(offsetof(STORAGE_PROPERTY_QUERY, QueryType) == kQueryTypeAt, "");
static_assert(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters) == kQueryParametersAt, "");
static_assert(sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) == kProtocolSpecificSize, "");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolType) == kPsProtocolTypeAt, "");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, DataType) == kPsDataTypeAt, "");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue) == kPsRequestValueAt, "");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestSubValue) ==
                  kPsRequestSubValueAt, "");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) == kPsDataOffsetAt, "");
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength) == kPsDataLengthAt, "");
static_assert(sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR) == kDescriptorSize, "");
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Version) == kDescriptorVersionAt, "");
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, Size) == kDescriptorSizeAt, "");
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) == kDescriptorDataAt, "");

std::string SystemErrorText(std::uint32_t code) { return CleanSystemErrorText(base::SystemErrorText(code)); }

namespace {

class Win32Drives final : public DriveAccess {
 public:
  std::uint32_t PlatformId() override {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    if (!GetVersionExA(&v)) return 0;
    return v.dwPlatformId;
  }

  Handle Open(const std::string& path, std::uint32_t access, std::uint32_t share,
              std::uint32_t disposition) override {
    HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return kInvalidHandle;
    return reinterpret_cast<Handle>(h);
  }

  bool Control(Handle h, std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen,
               std::uint8_t* out, std::uint32_t outLen, std::uint32_t* returned) override {
    DWORD n = 0;
    const bool ok = DeviceIoControl(reinterpret_cast<HANDLE>(h), code, const_cast<std::uint8_t*>(in),
                                    inLen, out, outLen, &n, nullptr) != FALSE;
    if (returned) *returned = ok ? n : 0;
    return ok;
  }

  void Close(Handle h) override { CloseHandle(reinterpret_cast<HANDLE>(h)); }

  std::uint32_t LastError() override { return GetLastError(); }

  std::string ErrorText(std::uint32_t code) override { return SystemErrorText(code); }

  PassThroughLayout PassThrough() override { return kNativePassThrough; }
};

}  // namespace

DriveAccess& Win32DriveAccess() {
  static Win32Drives drives;
  return drives;
}

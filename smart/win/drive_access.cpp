#include "smart/win/drive_access.h"

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>

#include "base/win/system_error.h"

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
               std::uint8_t* out, std::uint32_t outLen) override {
    DWORD returned = 0;
    return DeviceIoControl(reinterpret_cast<HANDLE>(h), code, const_cast<std::uint8_t*>(in), inLen,
                           out, outLen, &returned, nullptr) != FALSE;
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

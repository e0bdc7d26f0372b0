// The drive layer against a replayed disk whose every reply comes from the
// input: success, failure or an exception, the error code, and the reply
// bytes. A model of the request sequences, written from the wire formats and
// the documented steps, walks the same replies; requests, results, texts
// and records must agree, and every handle must be closed.
//
// Input: operation, platform, open outcome and error, drive number; then one
// script entry per control request (see Hook).
#include <cstring>
#include <stdexcept>

#include "fuzz/smart_reference.h"
#include "smart/drive_replay.h"

using namespace smart;

namespace {

struct NonStandardThrow {};  // something that is not a std::exception

// What one control request was sent and what the script answered.
struct Exchange {
  ReplayDrive::ControlCall call;
  enum Outcome { Ok, Failed, Threw } outcome = Ok;
  bool standardThrow = false;
  std::string message;
  std::uint32_t error = 0;
  std::vector<std::uint8_t> reply;  // the out buffer as the program then saw it
};

class ScriptedDrive : public ReplayDrive {
 public:
  explicit ScriptedDrive(fuzz::Input& in) : in_(in) {
    positions.clear();
    hook = [this](const ControlCall& c, std::uint8_t* out, std::uint32_t outLen,
                  std::uint32_t& error) -> std::optional<bool> { return Hook(c, out, outLen, error); };
  }
  std::vector<Exchange> log;

 private:
  // Entry: control byte (bits 0-2: 0-4 success, 5-6 failure, 7 exception;
  // bit 3: the exception is a std::runtime_error with a text from the input;
  // bit 4: the whole out buffer comes raw from the input), the error code,
  // then the reply fields: the device map for the version request, the two
  // status bytes for drive commands followed by the sector for reads, the
  // data area for the pass-through.
  std::optional<bool> Hook(const ControlCall& c, std::uint8_t* out, std::uint32_t outLen,
                           std::uint32_t& error) {
    Exchange x;
    x.call = c;
    const std::uint8_t ctl = in_.U8();
    const int kind = ctl & 7;
    if (kind == 7) {
      x.outcome = Exchange::Threw;
      x.standardThrow = ctl & 8;
      if (x.standardThrow) {  // a C string, as exception messages are
        x.message = in_.Text(64);
        x.message = x.message.substr(0, x.message.find('\0'));
      }
      log.push_back(x);
      if (x.standardThrow) throw std::runtime_error(x.message);
      throw NonStandardThrow{};
    }
    x.outcome = kind <= 4 ? Exchange::Ok : Exchange::Failed;
    x.error = in_.U8();
    if (ctl & 0x10) {
      std::vector<std::uint8_t> raw = in_.Bytes(outLen);
      std::memcpy(out, raw.data(), outLen);  // the full length the program claims
    } else if (c.code == kSmartGetVersion) {
      if (outLen > 3) out[3] = in_.U8();
    } else if (c.code == kSmartSendDriveCommand || c.code == kSmartRcvDriveData) {
      if (outLen > 5) {
        out[4] = in_.U8();
        out[5] = in_.U8();
      }
      if (c.code == kSmartRcvDriveData && outLen > kCommandReplyHeader) {
        const std::size_t n = std::min<std::size_t>(kSectorSize, outLen - kCommandReplyHeader);
        std::vector<std::uint8_t> sec = in_.Bytes(n);
        std::memcpy(out + kCommandReplyHeader, sec.data(), n);
      }
    } else if (c.code == kScsiPassThrough && outLen > kPassThrough32.DataOffset()) {
      const std::size_t n =
          std::min<std::size_t>(kPassThroughDataLength, outLen - kPassThrough32.DataOffset());
      std::vector<std::uint8_t> d = in_.Bytes(n);
      std::memcpy(out + kPassThrough32.DataOffset(), d.data(), n);
    }
    x.reply.assign(out, out + outLen);
    error = x.error;
    log.push_back(x);
    return x.outcome == Exchange::Ok;
  }

  fuzz::Input& in_;
};

// ---- the model ----

struct ModelThrow {
  bool standard;
  std::string message;
};

std::string Hex4(std::uint8_t v) {
  char b[8];
  std::snprintf(b, sizeof b, "%04X", v);
  return b;
}

std::string DriverText(std::uint8_t code) {
  static const char* const texts[11] = {
      "No error", "Error from IDE controller", "Invalid command flag", "Invalid command byte",
      "Bad buffer (null, invalid addr..)", "Drive number not valid", "Invalid IOCTL",
      "Could not lock user\"s buffer", "Some IDE Register not valid", "Invalid cmd flag set",
      "Cmd issued to device not present although drive number is valid"};
  if (code < 11) return texts[code];
  return DriverErrorText(code);  // codes past the table have a text of the program's choosing
}

std::string SystemText(std::uint32_t code) { return "system error " + std::to_string(code); }

std::string ReferenceIdentifyText(const std::uint8_t* b, std::size_t len) {
  std::string s;
  for (std::size_t i = 0; i + 1 < len; i += 2) {
    s += static_cast<char>(b[i + 1]);
    s += static_cast<char>(b[i]);
  }
  return fuzz::Trimmed(s);
}

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class Model {
 public:
  Model(const std::vector<Exchange>& log, std::uint32_t platform, bool openFails,
        std::uint32_t openError, std::int32_t drive)
      : log_(log), platform_(platform), openFails_(openFails), openError_(openError),
        drive_(drive) {}

  std::vector<ReplayDrive::OpenCall> opens;
  bool lastOk = false;  // success of the last control request answered

  // False (with the message) when the device does not open.
  bool OpenSmart(std::string& error) {
    if (platform_ == kPlatform9x) {
      opens.push_back({"\\\\.\\SMARTVSD", 0, 0, kCreateNew});
      if (!openFails_) return true;
      error = "Unable to open SMARTVSD: " + SystemText(openError_);
      return false;
    }
    if (platform_ == kPlatformNT) return OpenPhysical(error);
    return false;
  }

  bool OpenPhysical(std::string& error) {
    opens.push_back({"\\\\.\\PhysicalDrive" + std::to_string(drive_), kGenericRead | kGenericWrite,
                     kFileShareRead | kFileShareWrite, kOpenExisting});
    if (!openFails_) return true;
    error = "Unable to open physical drive: " + SystemText(openError_);
    return false;
  }

  // The next exchange, which must carry exactly this request.
  const Exchange& Send(std::uint32_t code, const std::vector<std::uint8_t>& in,
                       std::uint32_t outLen, const std::vector<std::uint8_t>* outBefore,
                       bool sameBuffer) {
    if (next_ >= log_.size()) fuzz::Fail("the program sent fewer requests than the model");
    const Exchange& x = log_[next_++];
    const std::string at = " (request " + std::to_string(next_) + ")";
    fuzz::Same(("control code" + at).c_str(), x.call.code, code);
    fuzz::Same(("request bytes" + at).c_str(), Bytes(x.call.in), Bytes(in));
    fuzz::Same(("reply length" + at).c_str(), x.call.outLen, outLen);
    if (outBefore) fuzz::Same(("reply buffer before" + at).c_str(), Bytes(x.call.outBefore), Bytes(*outBefore));
    fuzz::Same(("same buffer" + at).c_str(), x.call.sameBuffer, sameBuffer);
    if (x.outcome == Exchange::Threw) throw ModelThrow{x.standardThrow, x.message};
    lastOk = x.outcome == Exchange::Ok;
    return x;
  }

  void AllUsed() const {
    if (next_ != log_.size()) fuzz::Fail("the program sent more requests than the model");
  }

  static std::string Bytes(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

  static std::vector<std::uint8_t> Command(std::uint32_t bufferSize, std::uint8_t features,
                                           std::uint8_t cylLow, std::uint8_t cylHigh,
                                           std::uint8_t command, int n) {
    std::vector<std::uint8_t> r(32, 0);
    r[0] = static_cast<std::uint8_t>(bufferSize);
    r[1] = static_cast<std::uint8_t>(bufferSize >> 8);
    r[4] = features;
    r[5] = 1;
    r[6] = 1;
    r[7] = cylLow;
    r[8] = cylHigh;
    r[9] = (n & 1) ? 0xB0 : 0xA0;
    r[10] = command;
    r[12] = static_cast<std::uint8_t>(n);
    return r;
  }

  // Version request; false with the message when it fails.
  bool Version(std::uint8_t& map, std::string& error) {
    const Exchange& v = Send(kSmartGetVersion, {}, 24, nullptr, false);
    if (v.outcome != Exchange::Ok) {
      error = "DFP_GET_VERSION failed: " + SystemText(v.error);
      return false;
    }
    map = v.reply[3];
    return true;
  }

  // Enable (not for ATAPI) and identify at position n; the identify reply on success.
  const Exchange* Identify(int n, bool atapi, std::string& error) {
    if (!atapi) {
      std::vector<std::uint8_t> zero(528, 0);
      const Exchange& e = Send(kSmartSendDriveCommand, Command(0, 0xD8, 0x4F, 0xC2, 0xB0, n), 528, &zero, false);
      if (e.outcome != Exchange::Ok)
        error = "SMART Enable Command Failed, Drive: " + std::to_string(n) + " : " + SystemText(e.error);
    }
    std::vector<std::uint8_t> before(529, 0);
    before[1] = 2;  // cBufferSize 512
    const Exchange& i = Send(kSmartRcvDriveData, Command(512, 0, 0, 0, atapi ? 0xA1 : 0xEC, n), 529, &before, false);
    if (i.outcome == Exchange::Ok) return &i;
    error = "Identify Command Failed on Drive: " + DriverText(i.reply[4]) + " bIDEStatus=" +
            Hex4(i.reply[5]) + " : " + SystemText(i.error);
    return nullptr;
  }

  bool IdentifyDrive(std::string& error, std::string& model, std::string& serial, std::int64_t& size) {
    if (!OpenSmart(error)) return false;
    std::uint8_t map = 0;
    if (!Version(map, error)) return false;
    for (int n = 0; n < 4; ++n) {
      if (!(map & (1 << n))) continue;
      const Exchange* x = Identify(n, map & (0x10 << n), error);
      if (!x) continue;
      const std::uint8_t* s = x->reply.data() + 16;
      model = ReferenceIdentifyText(s + 54, 40);
      serial = ReferenceIdentifyText(s + 20, 20);
      size = static_cast<std::int64_t>(Le32(s + 120)) * 512;
      break;
    }
    return lastOk;
  }

  bool ReadSectors(bool& delivered, TDriveIdentity& id, Sector& attr, Sector& thr, std::string& error) {
    if (!OpenSmart(error)) return false;
    std::uint8_t map = 0;
    if (!Version(map, error)) return false;
    const std::vector<std::uint8_t> zero(528, 0);
    for (int n = 0; n < 4; ++n) {
      if (!(map & (1 << n))) continue;
      const Exchange* x = Identify(n, map & (0x10 << n), error);
      if (!x) continue;
      const std::uint8_t* s = x->reply.data() + 16;
      id.Position = n;
      id.Size = static_cast<std::int64_t>(Le32(s + 120)) * 512;
      id.Serial = ReferenceIdentifyText(s + 20, 20);
      id.Firmware = ReferenceIdentifyText(s + 46, 8);
      id.Model = ReferenceIdentifyText(s + 54, 40);
      id.Word47 = s[94] | (s[95] << 8);
      const Exchange& a = Send(kSmartRcvDriveData, Command(512, 0xD0, 0x4F, 0xC2, 0xB0, n), 528, &zero, false);
      if (a.outcome != Exchange::Ok) {
        error = "SMART Read Attr Command Failed, Drive: " + std::to_string(n) + " : " + SystemText(a.error) +
                "; DriverStatus: " + DriverText(a.reply[4]) + "; bIDEStatus=" + Hex4(a.reply[5]);
        continue;
      }
      const Exchange& t = Send(kSmartRcvDriveData, Command(512, 0xD1, 0x4F, 0xC2, 0xB0, n), 528, &zero, false);
      if (t.outcome != Exchange::Ok) {
        error = "SMART Read Threshold Command Failed, Drive: " + std::to_string(n) + " : " +
                SystemText(t.error) + "; DriverStatus: " + DriverText(t.reply[4]) +
                "; bIDEStatus=" + Hex4(t.reply[5]);
        continue;
      }
      std::memcpy(attr.data(), a.reply.data() + 16, 512);
      std::memcpy(thr.data(), t.reply.data() + 16, 512);
      delivered = true;
      return true;
    }
    return lastOk;
  }

  bool ScsiSerial(std::string& error, std::string& serial) {
    if (!OpenPhysical(error)) return false;
    std::vector<std::uint8_t> req(268, 0);
    req[0] = 44;
    req[6] = 6;
    req[7] = 24;
    req[8] = 1;
    req[12] = 192;
    req[16] = 2;
    req[20] = 76;
    req[24] = 44;
    const std::uint8_t cdb[6] = {0x12, 0x01, 0x80, 0x00, 0xC0, 0x00};
    std::memcpy(&req[28], cdb, 6);
    try {
      const Exchange& x = Send(kScsiPassThrough, std::vector<std::uint8_t>(req.begin(), req.begin() + 44),
                               268, &req, true);
      if (x.outcome != Exchange::Ok) {
        error = "SCSI_IOCTL Command Failed: " + SystemText(x.error);
        return false;
      }
      const std::uint8_t* d = x.reply.data() + 76;
      if (d[1] != 0x80 || d[3] == 0) {
        error = "No SCSI Drive Serial Number Returned";
        return false;
      }
      // The data area holds 188 bytes after its header; a longer page cannot be there.
      const std::size_t len = std::min<std::size_t>(d[3], 188);
      serial = fuzz::Trimmed(std::string(reinterpret_cast<const char*>(d + 4), len));
      return true;
    } catch (const ModelThrow&) {
      error = "Exception Getting SCSI Drive Serial Number";
      return false;
    }
  }

 private:
  const std::vector<Exchange>& log_;
  std::uint32_t platform_;
  bool openFails_;
  std::uint32_t openError_;
  std::int32_t drive_;
  std::size_t next_ = 0;
};

void SameOpens(const ReplayDrive& dev, const Model& m) {
  fuzz::Same("number of opens", dev.opens.size(), m.opens.size());
  for (std::size_t i = 0; i < m.opens.size(); ++i) {
    fuzz::Same("open path", dev.opens[i].path, m.opens[i].path);
    fuzz::Same("open access", dev.opens[i].access, m.opens[i].access);
    fuzz::Same("open share", dev.opens[i].share, m.opens[i].share);
    fuzz::Same("open disposition", dev.opens[i].disposition, m.opens[i].disposition);
  }
  fuzz::Same("handles left open", dev.openHandles, 0);
  fuzz::Same("requests on a handle not open", dev.badHandles, 0);
}

void SameIdentity(const TDriveIdentity& got, const TDriveIdentity& want) {
  fuzz::Same("identity position", got.Position, want.Position);
  fuzz::Same("identity size", got.Size, want.Size);
  fuzz::Same("identity serial", got.Serial, want.Serial);
  fuzz::Same("identity firmware", got.Firmware, want.Firmware);
  fuzz::Same("identity model", got.Model, want.Model);
  fuzz::Same("identity word 47", got.Word47, want.Word47);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const int op = in.U8() % 4;
  static const std::uint32_t platforms[4] = {kPlatformNT, kPlatform9x, 0, 3};
  const std::uint32_t platform = platforms[in.U8() % 4];
  const bool openFails = in.Bool();
  const std::uint32_t openError = in.U8();
  const std::int32_t drive = in.I32();

  ScriptedDrive dev(in);
  dev.platform = platform;
  dev.openFails = openFails;
  dev.openError = openError;
  Model m(dev.log, platform, openFails, openError, drive);

  if (op == 0) {
    std::string error = "stale", model = "stale", serial = "stale";
    std::int64_t bytes = -7;
    bool threw = false, ok = false;
    try {
      ok = SmartIdentifyDrive(dev, drive, error, model, serial, bytes);
    } catch (...) {
      threw = true;
    }
    std::string wError, wModel, wSerial;
    std::int64_t wBytes = 0;
    bool wThrew = false, wOk = false;
    try {
      wOk = m.IdentifyDrive(wError, wModel, wSerial, wBytes);
    } catch (const ModelThrow&) {
      wThrew = true;
    }
    fuzz::Same("identify: exception passed on", threw, wThrew);
    if (!threw) {
      fuzz::Same("identify: result", ok, wOk);
      fuzz::Same("identify: error text", error, wError);
      fuzz::Same("identify: model", model, wModel);
      fuzz::Same("identify: serial", serial, wSerial);
      fuzz::Same("identify: size", bytes, wBytes);
    }
  } else if (op == 1) {
    bool delivered = true, threw = false, ok = false;
    TDriveIdentity id;
    id.Position = 9;
    id.Model = "stale";
    Sector attr{}, thr{};
    std::string error = "stale";
    try {
      ok = ReadSmartSectors(dev, drive, delivered, id, attr, thr, error);
    } catch (...) {
      threw = true;
    }
    bool wDelivered = false, wThrew = false, wOk = false;
    TDriveIdentity wId;
    Sector wAttr{}, wThr{};
    std::string wError;
    try {
      wOk = m.ReadSectors(wDelivered, wId, wAttr, wThr, wError);
    } catch (const ModelThrow&) {
      wThrew = true;
    }
    fuzz::Same("read sectors: exception passed on", threw, wThrew);
    if (!threw) {
      fuzz::Same("read sectors: result", ok, wOk);
      fuzz::Same("read sectors: delivered", delivered, wDelivered);
      fuzz::Same("read sectors: error text", error, wError);
      SameIdentity(id, wId);
      if (delivered) {
        fuzz::Check("read sectors: attribute sector", attr == wAttr);
        fuzz::Check("read sectors: threshold sector", thr == wThr);
      }
    }
  } else if (op == 2) {
    std::string error = "stale", model = "stale", serial = "stale";
    std::int64_t bytes = -7;
    const bool ok = ScsiSerialNumber(dev, drive, error, model, serial, bytes);
    std::string wError, wSerial;
    const bool wOk = m.ScsiSerial(wError, wSerial);
    fuzz::Same("pass-through: result", ok, wOk);
    fuzz::Same("pass-through: error text", error, wError);
    fuzz::Same("pass-through: model", model, "");
    fuzz::Same("pass-through: serial", serial, wSerial);
    fuzz::Same("pass-through: size", bytes, 0);
  } else {
    TDriveSmartInfo info;
    info.Model = "stale";
    info.AttributeCount = 5;
    std::string error = "stale";
    const bool ok = SmartReadDrive(dev, drive, info, error);

    TDriveSmartInfo want;
    std::string wError;
    bool wOk = false;
    try {
      bool delivered = false;
      TDriveIdentity id;
      Sector attr{}, thr{};
      wOk = m.ReadSectors(delivered, id, attr, thr, wError);
      if (id.Position >= 0) {
        want.DrivePosition = id.Position;
        want.Size = id.Size;
        want.Serial = id.Serial;
        want.Firmware = id.Firmware;
        want.Model = id.Model;
        want.Word47 = id.Word47;
      }
      if (delivered) {
        TDriveSmartInfo decoded = fuzz::ReferenceDecode(attr, thr);
        decoded.DrivePosition = want.DrivePosition;
        decoded.Size = want.Size;
        decoded.Serial = want.Serial;
        decoded.Firmware = want.Firmware;
        decoded.Model = want.Model;
        decoded.Word47 = want.Word47;
        want = decoded;
        wOk = true;
      }
    } catch (const ModelThrow& t) {
      want = TDriveSmartInfo();
      wError = "SMART Failed - " + (t.standard ? fuzz::Trimmed(t.message) : std::string());
      wOk = m.lastOk;
    }
    fuzz::Same("full read: result", ok, wOk);
    fuzz::Same("full read: error text", error, wError);
    fuzz::SameRecord(info, want);
  }
  m.AllUsed();
  SameOpens(dev, m);
  return 0;
}

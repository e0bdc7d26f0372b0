// A disk that answers from recorded sectors, for tests and demonstrations
// without a disk driver. Header only: nothing here goes into the program.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "smart/nvme.h"
#include "smart/smartapi.h"

namespace smart {

// One drive's recorded sectors: tag -> bytes (IDFY, SMDT, SMTH, SMST).
struct Capture {
  std::string name;  // file name without ".bin"
  std::map<std::string, std::vector<std::uint8_t>> sections;

  bool Has(const std::string& tag) const { return sections.count(tag) != 0; }
  // A 512-byte section, zero-padded or cut when the file's is another size.
  Sector SectorOf(const std::string& tag) const {
    Sector s{};
    auto it = sections.find(tag);
    if (it != sections.end())
      std::memcpy(s.data(), it->second.data(), std::min(it->second.size(), s.size()));
    return s;
  }
};

// Sections of a 4-byte tag, a 4-byte big-endian length and the bytes.
inline std::optional<Capture> ReadCapture(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return std::nullopt;
  std::vector<std::uint8_t> d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  Capture c;
  c.name = std::filesystem::path(path).stem().string();
  std::size_t i = 0;
  while (i + 8 <= d.size()) {
    std::string tag(reinterpret_cast<const char*>(&d[i]), 4);
    std::size_t len = (std::size_t(d[i + 4]) << 24) | (std::size_t(d[i + 5]) << 16) |
                      (std::size_t(d[i + 6]) << 8) | d[i + 7];
    i += 8;
    if (len > d.size() - i) return std::nullopt;
    c.sections[tag].assign(d.begin() + i, d.begin() + i + len);
    i += len;
  }
  if (i != d.size()) return std::nullopt;
  return c;
}

// The .bin files of a directory, sorted by name.
inline std::vector<std::string> CaptureFiles(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto& e : std::filesystem::directory_iterator(dir, ec))
    if (e.path().extension() == ".bin") out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

// What the independent decoder printed for a capture.
struct PeerReport {
  std::string model, serial, firmware;
  struct Row {
    int id = 0;
    std::optional<int> value, worst, threshold;  // empty where it printed n/a
    std::vector<std::uint8_t> raw;               // in stored order
  };
  std::vector<Row> rows;
};

inline std::optional<int> PeerNumber(const std::string& t) {
  if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::stoi(t);
}

inline std::optional<PeerReport> ReadPeerReport(const std::string& path) {
  std::ifstream f(path);
  if (!f) return std::nullopt;
  PeerReport r;
  std::string line;
  bool table = false;
  auto bracket = [](const std::string& l) {
    auto a = l.find('['), b = l.rfind(']');
    return (a == std::string::npos || b == std::string::npos || b < a) ? std::string()
                                                                       : l.substr(a + 1, b - a - 1);
  };
  while (std::getline(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!table) {
      if (line.rfind("Model:", 0) == 0) r.model = bracket(line);
      else if (line.rfind("Serial:", 0) == 0) r.serial = bracket(line);
      else if (line.rfind("Firmware:", 0) == 0) r.firmware = bracket(line);
      else if (line.rfind("ID#", 0) == 0) table = true;
      continue;
    }
    std::istringstream in(line);
    std::vector<std::string> t{std::istream_iterator<std::string>(in),
                               std::istream_iterator<std::string>()};
    // cppcheck cannot follow the stream iterators.
    // cppcheck-suppress knownConditionTrueFalse
    if (t.size() < 6) continue;
    PeerReport::Row row;
    row.id = PeerNumber(t[0]).value_or(-1);
    row.value = PeerNumber(t[2]);
    row.worst = PeerNumber(t[3]);
    row.threshold = PeerNumber(t[4]);
    for (std::size_t k = 5; k < t.size(); ++k) {
      if (t[k].size() == 14 && t[k].rfind("0x", 0) == 0) {
        for (int b = 0; b < 6; ++b)
          row.raw.push_back(static_cast<std::uint8_t>(std::stoi(t[k].substr(2 + 2 * b, 2), nullptr, 16)));
        break;
      }
    }
    r.rows.push_back(row);
  }
  return r;
}

// An NVMe drive's Identify Controller data and health log, from
// <stem>.identify.bin and <stem>.health.bin.
struct NvmeCapture {
  std::string name;  // the stem
  std::vector<std::uint8_t> identify, health;
};

inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// The drive of a .health.bin file; nothing when either file has another size.
inline std::optional<NvmeCapture> ReadNvmeCapture(const std::string& healthPath) {
  const std::string suffix = ".health.bin";
  if (healthPath.size() < suffix.size()) return std::nullopt;
  const std::string stem = healthPath.substr(0, healthPath.size() - suffix.size());
  NvmeCapture c{std::filesystem::path(stem).filename().string(), FileBytes(stem + ".identify.bin"),
                FileBytes(healthPath)};
  if (c.identify.size() != kNvmeIdentifySize || c.health.size() != kNvmeHealthSize) return std::nullopt;
  return c;
}

// The .health.bin files of a directory, sorted by name.
inline std::vector<std::string> NvmeCaptureFiles(const std::string& dir) {
  std::vector<std::string> out;
  for (const std::string& f : CaptureFiles(dir))
    if (f.size() > 11 && f.compare(f.size() - 11, 11, ".health.bin") == 0) out.push_back(f);
  return out;
}

// The "Name: value" lines of a smartctl report, values trimmed and without
// a trailing "[...]"; later lines of a name win, so the health section's own
// fields stand.
inline std::map<std::string, std::string> ReadSmartctlReport(const std::string& path) {
  std::map<std::string, std::string> fields;
  std::ifstream f(path);
  std::string line;
  auto trim = [](std::string t) {
    const auto a = t.find_first_not_of(" \t\r"), b = t.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
  };
  while (std::getline(f, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos || colon == 0 || line[0] == ' ') continue;
    std::string value = line.substr(colon + 1);
    const auto bracket = value.find('[');
    if (bracket != std::string::npos) value.erase(bracket);
    fields[trim(line.substr(0, colon))] = trim(value);
  }
  return fields;
}

// A disk device answering the version, enable, identify, read-data and
// read-thresholds requests from captures, one per IDE position. Every call
// is recorded; Hook may answer any request first.
class ReplayDrive : public DriveAccess {
 public:
  struct OpenCall {
    std::string path;
    std::uint32_t access, share, disposition;
  };
  struct ControlCall {
    std::uint32_t code;
    std::vector<std::uint8_t> in;  // the bytes sent
    std::uint32_t outLen;
    std::vector<std::uint8_t> outBefore;  // the reply buffer as handed over
    bool sameBuffer = false;              // in and out were one buffer
    std::uint8_t Command() const { return in.size() > 10 ? in[10] : 0; }
    std::uint8_t Features() const { return in.size() > 4 ? in[4] : 0; }
    std::uint8_t Position() const { return in.size() > 12 ? in[12] : 0; }
  };
  // Returns the result to give, or nothing to let the replay answer.
  using HookFn = std::function<std::optional<bool>(const ControlCall&, std::uint8_t* out,
                                                   std::uint32_t outLen, std::uint32_t& error)>;

  std::uint32_t platform = kPlatformNT;
  PassThroughLayout layout = kPassThrough32;
  std::uint8_t deviceMap = 0x01;
  std::map<int, Capture> positions;  // IDE position -> sectors
  std::optional<NvmeCapture> nvme;  // answers the storage queries when set
  std::uint32_t returnedShort = 0;  // bytes a successful reply claims fewer than it fills
  bool openFails = false;
  std::uint32_t openError = 2;      // file not found
  std::uint32_t requestError = 1;   // invalid function
  HookFn hook;

  std::vector<OpenCall> opens;
  std::vector<ControlCall> calls;
  int openHandles = 0;
  int badHandles = 0;  // requests or closes on a handle that is not open

  ReplayDrive() = default;
  explicit ReplayDrive(const Capture& c) { positions[0] = c; }

  std::uint32_t PlatformId() override { return platform; }
  PassThroughLayout PassThrough() override { return layout; }

  Handle Open(const std::string& path, std::uint32_t access, std::uint32_t share,
              std::uint32_t disposition) override {
    opens.push_back({path, access, share, disposition});
    if (openFails) {
      lastError_ = openError;
      return kInvalidHandle;
    }
    ++openHandles;
    live_.push_back(++nextHandle_);
    return nextHandle_;
  }

  bool Control(Handle h, std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen,
               std::uint8_t* out, std::uint32_t outLen, std::uint32_t* returned) override {
    std::uint32_t counted = 0;
    if (!returned) returned = &counted;
    *returned = 0;
    if (!IsLive(h)) ++badHandles;
    ControlCall call{code, in ? std::vector<std::uint8_t>(in, in + inLen)
                              : std::vector<std::uint8_t>(),
                     outLen, std::vector<std::uint8_t>(out, out + outLen), in == out};
    calls.push_back(call);
    if (hook) {
      std::uint32_t err = requestError;
      if (auto r = hook(call, out, outLen, err)) {
        if (!*r) lastError_ = err;
        if (*r) *returned = outLen - std::min(returnedShort, outLen);
        return *r;
      }
    }
    std::uint32_t err = requestError;
    bool ok = code == kStorageQueryProperty ? AnswerNvme(call, out, outLen, err)
                                            : Answer(call, out, outLen);
    if (!ok) lastError_ = err;
    if (ok) *returned = outLen - std::min(returnedShort, outLen);
    return ok;
  }

  void Close(Handle h) override {
    if (!IsLive(h)) {
      ++badHandles;
      return;
    }
    live_.erase(std::find(live_.begin(), live_.end(), h));
    --openHandles;
  }

  std::uint32_t LastError() override { return lastError_; }
  std::string ErrorText(std::uint32_t code) override { return "system error " + std::to_string(code); }

  // Writes a sector into a drive-command reply.
  static void PutSector(std::uint8_t* out, std::uint32_t outLen, const std::vector<std::uint8_t>& s) {
    if (outLen <= kCommandReplyHeader) return;
    std::size_t n = std::min<std::size_t>(s.size(), outLen - kCommandReplyHeader);
    std::memcpy(out + kCommandReplyHeader, s.data(), n);
  }

 private:
  bool IsLive(Handle h) const { return std::find(live_.begin(), live_.end(), h) != live_.end(); }

  bool Answer(const ControlCall& c, std::uint8_t* out, std::uint32_t outLen) {
    if (c.code == kSmartGetVersion) {
      if (outLen < kVersionReplySize) return false;
      std::memset(out, 0, kVersionReplySize);
      out[0] = 1;
      out[3] = deviceMap;
      return true;
    }
    if (c.code != kSmartSendDriveCommand && c.code != kSmartRcvDriveData) return false;
    auto it = positions.find(c.Position());
    if (it == positions.end()) return false;
    const Capture& cap = it->second;
    if (c.code == kSmartSendDriveCommand) return c.Features() == 0xD8;
    const char* tag = nullptr;
    if (c.Command() == 0xEC) tag = "IDFY";
    else if (c.Command() == 0xB0 && c.Features() == 0xD0) tag = "SMDT";
    else if (c.Command() == 0xB0 && c.Features() == 0xD1) tag = "SMTH";
    if (!tag || !cap.Has(tag)) return false;
    PutSector(out, outLen, cap.sections.at(tag));
    return true;
  }

  static std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
  }

  // The two storage queries, wrapped in the protocol data descriptor as the
  // storage driver does; a query with any other field values is refused.
  bool AnswerNvme(const ControlCall& c, std::uint8_t* out, std::uint32_t outLen, std::uint32_t& err) {
    if (!nvme) return false;  // not an NVMe disk: the request is unknown
    err = 87;                 // ERROR_INVALID_PARAMETER
    struct Kind {
      std::uint32_t property, dataType, value, size;
      const std::vector<std::uint8_t>* data;
    };
    const Kind kinds[] = {{49, 1, 1, 4096, &nvme->identify}, {50, 2, 2, 512, &nvme->health}};
    for (const Kind& k : kinds) {
      const std::uint32_t total = 48 + k.size;
      if (c.in.size() != total || outLen < total || Get32(c.in, 0) != k.property) continue;
      const std::uint32_t expected[] = {0, 3, k.dataType, k.value, 0, 40, k.size};
      for (std::size_t i = 0; i < 7; ++i)
        if (Get32(c.in, 4 + 4 * i) != expected[i]) return false;
      std::memcpy(out + 8, c.in.data() + 8, 40);
      out[0] = out[4] = 48;
      std::memset(out + 1, 0, 3);
      std::memset(out + 5, 0, 3);
      std::memcpy(out + 48, k.data->data(), k.size);
      return true;
    }
    return false;
  }

  std::vector<Handle> live_;
  Handle nextHandle_ = 100;
  std::uint32_t lastError_ = 0;
};

}  // namespace smart

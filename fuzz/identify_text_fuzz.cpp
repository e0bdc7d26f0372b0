// Identify-sector strings and the pass-through serial number from raw bytes:
// IdentifyText must swap each byte pair and trim codes 0..32 from the ends;
// the serial must be the page's bytes as they are, trimmed, and never read
// past the data area. The cleaning of system and exception texts is held to
// its rule on the same bytes.
#include <cstring>
#include <stdexcept>

#include "fuzz/fuzz_input.h"
#include "smart/smartapi.h"

using namespace smart;

namespace {

std::string Swapped(const std::uint8_t* b, std::size_t len) {
  std::string s;
  for (std::size_t i = 0; i + 1 < len; i += 2) {
    s += static_cast<char>(b[i + 1]);
    s += static_cast<char>(b[i]);
  }
  return s;
}

// Answers the pass-through request with a given data area.
class PassThroughDrive : public DriveAccess {
 public:
  explicit PassThroughDrive(const std::vector<std::uint8_t>& area) : area_(area) {}
  int requests = 0;
  bool open = false;

  std::uint32_t PlatformId() override { return smart::kPlatformNT; }
  smart::PassThroughLayout PassThrough() override { return smart::kPassThrough32; }
  Handle Open(const std::string&, std::uint32_t, std::uint32_t, std::uint32_t) override {
    open = true;
    return 7;
  }
  bool Control(Handle h, std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen,
               std::uint8_t* out, std::uint32_t outLen, std::uint32_t*) override {
    ++requests;
    fuzz::Check("request on the open handle", open && h == 7);
    fuzz::Same("pass-through code", code, kScsiPassThrough);
    fuzz::Same("pass-through request length", inLen, 44);
    fuzz::Same("pass-through reply length", outLen, 268);
    fuzz::Check("pass-through in and out are one buffer", in == out);
    // The whole reply length, so a shorter buffer behind it shows.
    std::memset(out + 44, 0, outLen - 44);
    std::memcpy(out + 76, area_.data(), 192);
    return true;
  }
  void Close(Handle h) override {
    fuzz::Check("close of the open handle", open && h == 7);
    open = false;
  }
  std::uint32_t LastError() override { return 0; }
  std::string ErrorText(std::uint32_t) override { return ""; }

 private:
  std::vector<std::uint8_t> area_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Identify strings: the even length as the sector fields have it, and an
  // odd one, which must at least stay inside the bytes.
  const std::size_t even = size & ~std::size_t(1);
  std::vector<std::uint8_t> copy(data, data + even);  // exactly the bytes handed over
  fuzz::Same("identify text", IdentifyText(copy.data(), even), fuzz::Trimmed(Swapped(copy.data(), even)));
  if (size & 1) {
    std::vector<std::uint8_t> odd(data, data + size);
    fuzz::Check("odd identify text stays inside", IdentifyText(odd.data(), size).size() <= size);
  }

  // Pass-through: the first 192 bytes are the data area.
  fuzz::Input in(data, size);
  std::vector<std::uint8_t> area = in.Bytes(192);
  PassThroughDrive dev(area);
  std::string error, model = "x", serial = "x";
  std::int64_t bytes = 5;
  const bool ok = ScsiSerialNumber(dev, 0, error, model, serial, bytes);
  fuzz::Same("one pass-through request", dev.requests, 1);
  fuzz::Check("handle closed", !dev.open);
  fuzz::Same("model stays empty", model, "");
  fuzz::Same("size stays 0", bytes, 0);
  if (area[1] == 0x80 && area[3] > 0) {
    const std::size_t len = std::min<std::size_t>(area[3], 188);
    fuzz::Check("serial returned", ok);
    fuzz::Same("no error text", error, "");
    fuzz::Same("serial", serial, fuzz::Trimmed(std::string(area.begin() + 4, area.begin() + 4 + len)));
  } else {
    fuzz::Check("no serial", !ok);
    fuzz::Same("no-serial text", error, "No SCSI Drive Serial Number Returned");
    fuzz::Same("serial empty", serial, "");
  }

  // Cleaning: system texts lose trailing codes 0..32 and full stops;
  // exception messages (up to their first NUL) are trimmed at both ends.
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t e = text.size();
  while (e > 0 && (static_cast<unsigned char>(text[e - 1]) <= 32 || text[e - 1] == '.')) --e;
  fuzz::Same("system text", CleanSystemErrorText(text), text.substr(0, e));
  fuzz::Same("exception text", ExceptionMessageText(std::runtime_error(text)),
             fuzz::Trimmed(text.substr(0, text.find('\0'))));
  return 0;
}

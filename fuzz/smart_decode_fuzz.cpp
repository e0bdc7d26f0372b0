// The attribute-data and threshold sectors (512 bytes each, in that order)
// decoded by DecodeSmartData must match the reference decoding field by
// field; the catalogue lookup must match the documented names.
#include <cstring>

#include "fuzz/smart_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  smart::Sector attr{}, thr{};
  std::vector<std::uint8_t> a = in.Bytes(512), t = in.Bytes(512);
  std::memcpy(attr.data(), a.data(), 512);
  std::memcpy(thr.data(), t.data(), 512);

  TDriveSmartInfo info;
  DecodeSmartData(attr, thr, info);
  fuzz::SameRecord(info, fuzz::ReferenceDecode(attr, thr));
  fuzz::Check("at most 30 rows", info.AttributeCount <= 30);
  fuzz::Check("failing and warning rows are rows",
              info.FailingCount + info.WarningCount <= info.AttributeCount);

  for (int k = 0; k < 30; ++k) {
    const int number = attr[2 + 12 * k];
    fuzz::Same("catalogue name", AttributeName(number), fuzz::ReferenceAttributeName(number));
  }
  return 0;
}

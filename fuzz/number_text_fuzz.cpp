// General number text against a reference made from the C library's own
// shortest-form formatting: %.15g picks fixed notation exactly for decimal
// exponents -4..14 of the value rounded to 15 digits and drops trailing
// zeros; the reference then writes its exponent as "E", a "-" only when
// negative, and no leading zeros, and uses the given separator. Zero is "0".
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/text.h"
#include "fuzz/fuzz_input.h"

namespace {

std::string Reference(double v, char sep) {
  if (v == 0) return "0";  // also -0
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string s(buf);
  std::string exponent;
  const std::size_t e = s.find('e');
  if (e != std::string::npos) {
    const bool negative = s[e + 1] == '-';
    std::size_t d = e + 2;
    while (d + 1 < s.size() && s[d] == '0') ++d;
    exponent = std::string("E") + (negative ? "-" : "") + s.substr(d);
    s.erase(e);
  }
  for (char& c : s)
    if (c == '.') c = sep;
  return s + exponent;
}

double Pick(fuzz::Input& in) {
  const std::uint8_t mode = in.U8();
  switch (mode % 4) {
    case 0: {  // any double
      std::uint64_t bits = in.U64();
      double d;
      std::memcpy(&d, &bits, 8);
      return d;
    }
    case 1: {  // a single, widened (real32 values)
      std::uint32_t bits = in.U32();
      float f;
      std::memcpy(&f, &bits, 4);
      return f;
    }
    default: {  // up to 17 decimal digits near the notation and rounding edges
      const std::uint64_t digits = in.U64() % 100000000000000000ull;
      const int exponent = static_cast<int>(in.U8() % 48) - 24;
      char buf[64];
      std::snprintf(buf, sizeof buf, "%s%llue%d", (mode & 0x80) ? "-" : "",
                    static_cast<unsigned long long>(digits), exponent - 16);
      return std::strtod(buf, nullptr);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const char sep = static_cast<char>(in.U8());
  const double v = Pick(in);
  const std::string got = base::GeneralNumberText(v, sep);
  // Infinities and NaN have no rule of their own; they only must not break.
  if (!std::isfinite(v)) return 0;
  const std::string want = Reference(v, sep);
  if (got != want) {
    char value[64];
    std::snprintf(value, sizeof value, "%.17g", v);
    std::fprintf(stderr, "\nvalue %s, separator 0x%02X\n", value, static_cast<unsigned char>(sep));
    fuzz::Fail("general number text", got, want);
  }
  // The same text whatever separator follows from the "." one.
  std::string dotted = base::GeneralNumberText(v, '.');
  for (char& c : dotted)
    if (c == '.') c = sep;
  fuzz::Same("separator is the only difference", got, dotted);
  return 0;
}

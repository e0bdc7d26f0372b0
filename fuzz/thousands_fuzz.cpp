// AddThousandSeparators: the result must be the head of 1 to 3 characters
// and the groups of three, each after the separator, with a leading minus
// sign set aside in front; removing the separators gives the input back.
// The rule is stated for decimal texts but reads any text, so any bytes are
// held to it. IntToThousands must agree with the plain decimal text of its
// value.
#include <cstdio>
#include <string>

#include "fuzz/fuzz_input.h"
#include "smart/smartapi.h"

namespace {

std::string Reference(const std::string& text, char sep) {
  std::string sign, digits = text;
  if (text.size() > 1 && text[0] == '-') {
    sign = "-";
    digits = text.substr(1);
  }
  if (digits.size() <= 3) return text;
  // From the right, a separator before every third digit but the first.
  std::string out;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) out += sep;
    out += digits[k];
  }
  return sign + out;
}

void CheckGrouping(const std::string& in, const std::string& out, char sep) {
  // Taking out the separators the result added gives the input back.
  const std::size_t start = in.size() > 1 && in[0] == '-' ? 1 : 0;
  const std::size_t digits = in.size() - start;
  const std::size_t groups = digits > 3 ? (digits - 1) / 3 : 0;
  fuzz::Same("added only separators", out.size(), in.size() + groups);
  std::string back = out.substr(0, start);
  std::size_t k = start;
  const std::size_t head = digits > 3 ? (digits - 1) % 3 + 1 : digits;
  back += out.substr(k, head);
  k += head;
  for (std::size_t g = 0; g < groups; ++g) {
    if (out[k] != sep) fuzz::Fail("separator before each group", out, in);
    back += out.substr(k + 1, 3);
    k += 4;
  }
  fuzz::Same("separators taken out", back, in);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const char sep = static_cast<char>(in.U8());
  const std::int32_t value = in.I32();
  const std::uint8_t form = in.U8();
  std::string text = in.Rest();
  if (form & 1) {  // make it decimal: digits from the bytes, maybe a sign
    for (char& c : text) c = static_cast<char>('0' + static_cast<unsigned char>(c) % 10);
    if (form & 2) text.insert(0, "-");
  }

  const std::string out = AddThousandSeparators(text, sep);
  fuzz::Same("grouping", out, Reference(text, sep));
  CheckGrouping(text, out, sep);

  const std::string plain = std::to_string(value);
  const std::string grouped = IntToThousands(value, sep);
  fuzz::Same("IntToThousands", grouped, Reference(plain, sep));
  CheckGrouping(plain, grouped, sep);
  return 0;
}

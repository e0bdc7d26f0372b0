#include "base/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace base {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

std::string FormatV(const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, ap);
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = FormatV(fmt, ap);
  va_end(ap);
  return s;
}

std::string GeneralNumberText(double v, char sep) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  if (v == 0) return "0";
  // Round to 15 significant digits first, so the notation is chosen on the
  // value as it will be written (9.99999999999999999e14 rounds to 1e15).
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);  // d.ddddddddddddddde[+-]xx
  std::string m(buf);
  size_t epos = m.find('e');
  int exp10 = std::atoi(m.c_str() + epos + 1);
  bool neg = m[0] == '-';
  std::string digits;  // the 15 significant digits
  for (size_t i = neg ? 1 : 0; i < epos; ++i)
    if (m[i] >= '0' && m[i] <= '9') digits += m[i];
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = neg ? "-" : "";
  if (exp10 >= -4 && exp10 < 15) {
    if (exp10 < 0) {
      out += '0';
      out += sep;
      out.append(static_cast<size_t>(-exp10 - 1), '0');
      out += digits;
    } else {
      size_t intLen = static_cast<size_t>(exp10) + 1;
      if (digits.size() <= intLen) {
        out += digits;
        out.append(intLen - digits.size(), '0');
      } else {
        out += digits.substr(0, intLen);
        out += sep;
        out += digits.substr(intLen);
      }
    }
  } else {
    out += digits[0];
    if (digits.size() > 1) {
      out += sep;
      out += digits.substr(1);
    }
    out += 'E';
    if (exp10 < 0) out += '-';
    out += std::to_string(std::abs(exp10));
  }
  return out;
}

size_t LastCharPos(const std::string& s) {
  if (s.empty()) return std::string::npos;
  size_t i = 0, last = 0;
  while (i < s.size()) {
    last = i;
    i += (IsLeadByte932(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
  }
  return last;
}

size_t WholeCharsLength(const std::string& s, size_t max) {
  size_t i = 0;
  while (i < s.size()) {
    const size_t next = i + ((IsLeadByte932(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1);
    if (next > max) break;
    i = next;
  }
  return i;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  const size_t last = LastCharPos(folder);
  const bool ends = last != std::string::npos && folder.compare(last, std::string::npos, "\\") == 0;
  return folder + (ends ? "" : "\\") + name;
}

std::vector<std::string> WrapToWidth(const std::string& line, int width,
                                     const std::function<int(const std::string&)>& measure) {
  // The end of every character, double-byte aware.
  std::vector<size_t> ends;
  for (size_t i = 0; i < line.size();) {
    i += (IsLeadByte932(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) ? 2 : 1;
    ends.push_back(i);
  }
  std::vector<std::string> pieces;
  size_t start = 0, first = 0;  // first: index in ends of the piece's first character
  while (first < ends.size()) {
    // The most characters that fit, found by halving; a piece grows with
    // its characters, so what fits is a prefix.
    size_t lo = first, hi = ends.size() - 1;
    while (lo < hi) {
      const size_t mid = lo + (hi - lo + 1) / 2;
      if (measure(line.substr(start, ends[mid] - start)) <= width)
        lo = mid;
      else
        hi = mid - 1;
    }
    pieces.push_back(line.substr(start, ends[lo] - start));
    start = ends[lo];
    first = lo + 1;
  }
  if (pieces.empty()) pieces.emplace_back();
  return pieces;
}

std::string ErrorBoxText(const std::string& message) {
  size_t p = LastCharPos(message);
  if (p != std::string::npos && static_cast<unsigned char>(message[p]) > '.') return message + ".";
  return message;
}

std::string NormalizeLineEnds(const std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace base

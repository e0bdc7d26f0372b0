// Shared by the fuzz targets: reads the input front to back, so seeds can be
// composed by hand from known records, and reports a broken property with
// both sides printed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// Past the end every read gives zeros (and empty texts).
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}

  std::size_t Left() const { return n_ - i_; }
  bool Empty() const { return i_ >= n_; }

  std::uint8_t U8() { return i_ < n_ ? p_[i_++] : 0; }
  bool Bool() { return U8() & 1; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(U8() | (U8() << 8)); }
  std::uint32_t U32() { return U16() | (static_cast<std::uint32_t>(U16()) << 16); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::uint64_t U64() { return U32() | (static_cast<std::uint64_t>(U32()) << 32); }

  // Exactly n bytes, zero-padded when the input runs out.
  std::vector<std::uint8_t> Bytes(std::size_t n) {
    std::vector<std::uint8_t> v(n, 0);
    for (std::size_t k = 0; k < n && i_ < n_; ++k) v[k] = p_[i_++];
    return v;
  }
  // A text of a length byte (cut to max) and that many bytes.
  std::string Text(std::size_t max = 255) {
    std::size_t len = U8();
    if (len > max) len = max;
    std::string s;
    for (std::size_t k = 0; k < len && i_ < n_; ++k) s += static_cast<char>(p_[i_++]);
    return s;
  }
  // Everything not read yet.
  std::string Rest() {
    std::string s(reinterpret_cast<const char*>(p_ + i_), n_ - i_);
    i_ = n_;
    return s;
  }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
  std::size_t i_ = 0;
};

// Control and high bytes as \xNN, so both texts stay readable.
inline std::string Visible(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char b[8];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      out += b;
    }
  }
  return out;
}

[[noreturn]] inline void Fail(const char* what, const std::string& got, const std::string& want) {
  std::fprintf(stderr, "\n*** %s\n    got:  \"%s\"\n    want: \"%s\"\n", what, Visible(got).c_str(),
               Visible(want).c_str());
  std::abort();
}

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "\n*** %s\n", what);
  std::abort();
}

inline void Same(const char* what, const std::string& got, const std::string& want) {
  if (got != want) Fail(what, got, want);
}

inline void Same(const char* what, long long got, long long want) {
  if (got != want) Fail(what, std::to_string(got), std::to_string(want));
}

inline void Check(const char* what, bool ok) {
  if (!ok) Fail(what);
}

// Removes every leading and trailing byte of code 0 to 32.
inline std::string Trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

}  // namespace fuzz

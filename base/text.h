// Text helpers shared by every unit. Texts are byte strings in the ANSI
// code page (Shift-JIS on Japanese systems).
#pragma once
#include <cstdarg>
#include <functional>
#include <string>
#include <vector>

namespace base {

// Removes every leading and trailing byte of code 0 to 32.
std::string Trim(const std::string& s);

// printf into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* fmt, va_list ap);

// A double with at most 15 significant digits: fixed notation for
// 1e-4 <= |v| < 1e15, otherwise d.dddE[-]x; trailing zeros dropped.
std::string GeneralNumberText(double v, char decimalSeparator = '.');

// Shift-JIS lead byte test (code page 932).
inline bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Start of the last character of s (double-byte aware); npos when empty.
size_t LastCharPos(const std::string& s);

// The length of the longest start of s, at most max bytes, that ends between
// two characters (double-byte aware).
size_t WholeCharsLength(const std::string& s, size_t max);

// folder\name, with no second backslash where the folder ends in one (the
// trail byte of a double-byte character is no backslash).
std::string JoinPath(const std::string& folder, const std::string& name);

// Cuts a line into pieces no wider than width, for a page: width(text)
// measures a piece. Each piece holds as many whole characters as fit, and
// at least one; the two bytes of a double-byte character stay together. An
// empty line is one empty piece.
std::vector<std::string> WrapToWidth(const std::string& line, int width,
                                     const std::function<int(const std::string&)>& measure);

// The error box text: "." is appended when the last character sorts after ".".
std::string ErrorBoxText(const std::string& message);

// CR LF, lone CR and lone LF all become CR LF (what an edit control shows).
std::string NormalizeLineEnds(const std::string& s);

}  // namespace base

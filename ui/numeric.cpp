#include "ui/numeric.h"

#include <algorithm>

namespace ui {

std::optional<std::string> AcceptedNumberText(const std::string& text, int max) {
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  const std::string digits = NumberDisplayText(text);
  // Compared as text first, so that no length of digits can overflow.
  const std::string top = std::to_string(max);
  if (digits.size() > top.size() || (digits.size() == top.size() && digits > top)) return top;
  return text;
}

std::optional<std::string> PastedNumberText(const std::string& text, size_t start, size_t end,
                                            const std::string& pasted, int max) {
  end = std::min(end, text.size());
  start = std::min(start, end);
  const std::optional<std::string> kept =
      AcceptedNumberText(text.substr(0, start) + pasted + text.substr(end), max);
  if (!kept) return kept;
  return NumberDisplayText(*kept);
}

std::string NumberDisplayText(const std::string& text) {
  size_t first = text.find_first_not_of('0');
  if (first == std::string::npos) return text.empty() ? text : "0";
  return text.substr(first);
}

}  // namespace ui

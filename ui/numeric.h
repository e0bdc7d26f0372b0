// The text rules of a numeric edit that holds whole numbers from 0 to a
// maximum, shown in the display format ",0;(,0)". Portable.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace ui {

// What the edit keeps of a new text, typed, pasted or set: digits only,
// a value above max becoming max; nothing (refused) for any other text.
// The empty text is kept.
std::optional<std::string> AcceptedNumberText(const std::string& text, int max);

// What the edit shows after a paste of `pasted` over the selection
// [start, end) of `text`: the whole new value, accepted as above and in the
// display format, so that "1000" gives "255" and "0010" gives "10" however
// few characters the edit takes when typed. Nothing (refused) when the new
// text is not a whole number.
std::optional<std::string> PastedNumberText(const std::string& text, size_t start, size_t end,
                                            const std::string& pasted, int max);

// The text in the display format: the number without leading zeros
// ("010" is "10", "000" is "0"); empty stays empty. For 0 to 255 the
// format never adds a separator or parentheses.
std::string NumberDisplayText(const std::string& text);

}  // namespace ui

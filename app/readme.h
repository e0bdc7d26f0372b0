// Texts of the read-me load.
#pragma once
#include <cstddef>
#include <string>

namespace app {

extern const char* const kReadMeFileName;

// A longer read-me is shown cut, rather than exhausting memory before the
// window appears.
constexpr size_t kReadMeMaxBytes = 16u << 20;

// The system's error text without its trailing blanks, line breaks and full stops.
std::string StripSystemMessage(const std::string& text);

// "ファイル <path> は開けません。 <system text> "
std::string ReadMeOpenErrorText(const std::string& fullPath, const std::string& systemText);

}  // namespace app

// Texts of the read-me load.
#pragma once
#include <string>

namespace app {

extern const char* const kReadMeFileName;

// The system's error text without its trailing blanks, line breaks and full stops.
std::string StripSystemMessage(const std::string& text);

// "ファイル <path> は開けません。 <system text> "
std::string ReadMeOpenErrorText(const std::string& fullPath, const std::string& systemText);

}  // namespace app

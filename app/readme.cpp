#include "app/readme.h"

#include "base/text.h"

namespace app {

const char* const kReadMeFileName = "VeskInfo.txt";

std::string StripSystemMessage(const std::string& text) {
  static const std::string kIdeographicStop = "。";
  std::string s = text;
  for (;;) {
    if (!s.empty() && (static_cast<unsigned char>(s.back()) <= 32 || s.back() == '.')) {
      s.pop_back();
    } else if (s.size() >= kIdeographicStop.size() &&
               s.compare(s.size() - kIdeographicStop.size(), kIdeographicStop.size(),
                         kIdeographicStop) == 0 &&
               base::LastCharPos(s) == s.size() - kIdeographicStop.size()) {
      s.resize(s.size() - kIdeographicStop.size());
    } else {
      return s;
    }
  }
}

std::string ReadMeOpenErrorText(const std::string& fullPath, const std::string& systemText) {
  return "ファイル " + fullPath + " は開けません。 " + StripSystemMessage(systemText) + " ";
}

}  // namespace app

// The NVMe rows of the S.M.A.R.T tab as a drive's smartctl report gives them.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/text.h"
#include "smart/nvme.h"

namespace nvme_test {

using Report = std::map<std::string, std::string>;

// The leading number of a field ("1,176", "10%", "42 Celsius") as digits; a
// field the report lacks is 0, as in the drive's files.
inline std::string Digits(const Report& r, const std::string& name) {
  std::string d;
  auto it = r.find(name);
  for (char c : it == r.end() ? std::string("0") : it->second)
    if (c >= '0' && c <= '9') d += c;
    else if (c != ',') break;
  return d;
}

inline std::vector<smart::NvmeRow> ExpectedRows(const Report& r, char sep) {
  auto kelvin = [&](const std::string& k) {
    return AddThousandSeparators(std::to_string(std::stoi(Digits(r, k)) + 273), sep);
  };
  const std::string warning = r.at("Critical Warning"), threshold = "Warning  Comp. Temp. Threshold";
  std::vector<smart::NvmeRow> rows = {
      {"01", "クリティカル警告", "", "", "", base::Format("%02X", std::stoi(warning, nullptr, 16))},
      {"02", "温度", Digits(r, "Temperature"), "", r.count(threshold) ? Digits(r, threshold) : "",
       kelvin("Temperature")},
      {"03", "予備領域", Digits(r, "Available Spare"), "", Digits(r, "Available Spare Threshold"),
       Digits(r, "Available Spare")},
      {"04", "使用率", Digits(r, "Percentage Used"), "", "", Digits(r, "Percentage Used")}};
  const char* const counts[][2] = {
      {"Data Units Read", "総読み込み量"}, {"Data Units Written", "総書き込み量"},
      {"Host Read Commands", "ホスト読み込み回数"}, {"Host Write Commands", "ホスト書き込み回数"},
      {"Controller Busy Time", "コントローラ稼働時間"}, {"Power Cycles", "電源投入回数"},
      {"Power On Hours", "使用時間"}, {"Unsafe Shutdowns", "異常電源断回数"},
      {"Media and Data Integrity Errors", "メディアエラー数"},
      {"Error Information Log Entries", "エラーログ数"},
      {"Warning  Comp. Temperature Time", "警告温度超過時間"},
      {"Critical Comp. Temperature Time", "危険温度超過時間"}};
  for (const auto& c : counts)
    rows.push_back({base::Format("%02X", int(rows.size()) + 1), c[1], "", "", "",
                    AddThousandSeparators(Digits(r, c[0]), sep)});
  for (int n = 1; n <= 8; ++n) {
    const std::string k = "Temperature Sensor " + std::to_string(n);
    if (r.count(k))
      rows.push_back({base::Format("%02X", 0x10 + n), "温度センサー" + std::to_string(n),
                      Digits(r, k), "", "", kelvin(k)});
  }
  return rows;
}

}  // namespace nvme_test

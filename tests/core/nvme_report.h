// The NVMe rows of the S.M.A.R.T tab as a drive's smartctl report gives them.
#pragma once
#include "base/text.h"
#include "smart/drive_replay.h"

namespace nvme_test {

using Report = std::map<std::string, std::string>;
// The leading number of a field ("1,176", "10%", "42 Celsius") as digits; a
// field the report lacks is 0, as in the drive's files.
inline std::string Digits(const Report& r, const std::string& name) {
  std::string d, v = r.count(name) ? r.at(name) : "0";
  for (std::size_t i = 0; i < v.size() && (std::isdigit(v[i]) || v[i] == ','); ++i)
    if (v[i] != ',') d += v[i];
  return d;
}

inline std::vector<smart::NvmeRow> ExpectedRows(const Report& r, char sep) {
  auto raw = [sep](const std::string& digits) { return AddThousandSeparators(digits, sep); };
  auto kelvin = [&](const std::string& k) { return raw(std::to_string(std::stoi(Digits(r, k)) + 273)); };
  const std::string spare = Digits(r, "Available Spare"), used = Digits(r, "Percentage Used"),
                    wc = "Warning  Comp. Temp. Threshold";
  std::vector<smart::NvmeRow> rows = {
      {"01", "クリティカル警告", "", "", "", base::Format("%02X", std::stoi(r.at("Critical Warning"), nullptr, 16))},
      {"02", "温度", Digits(r, "Temperature"), "", r.count(wc) ? Digits(r, wc) : "", kelvin("Temperature")},
      {"03", "予備領域", spare, "", Digits(r, "Available Spare Threshold"), spare},
      {"04", "使用率", used, "", "", used}};
  const char* const counts[] = {
      "Data Units Read", "総読み込み量", "Data Units Written", "総書き込み量",
      "Host Read Commands", "ホスト読み込み回数", "Host Write Commands", "ホスト書き込み回数",
      "Controller Busy Time", "コントローラ稼働時間", "Power Cycles", "電源投入回数",
      "Power On Hours", "使用時間", "Unsafe Shutdowns", "異常電源断回数",
      "Media and Data Integrity Errors", "メディアエラー数", "Error Information Log Entries", "エラーログ数",
      "Warning  Comp. Temperature Time", "警告温度超過時間", "Critical Comp. Temperature Time", "危険温度超過時間"};
  for (std::size_t i = 0; i < std::size(counts); i += 2)
    rows.push_back({base::Format("%02X", int(rows.size()) + 1), counts[i + 1], "", "", "", raw(Digits(r, counts[i]))});
  for (int n = 1; n <= 8; ++n)
    if (const std::string k = "Temperature Sensor " + std::to_string(n); r.count(k))
      rows.push_back({base::Format("%02X", 0x10 + n), "温度センサー" + std::to_string(n), Digits(r, k), "", "", kelvin(k)});
  return rows;
}

}  // namespace nvme_test

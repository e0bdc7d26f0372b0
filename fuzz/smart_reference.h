// An independent decoding of the attribute and threshold sectors, written
// from the sector layout and the status rules, to hold DecodeSmartData to.
#pragma once
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "smart/smartapi.h"

namespace fuzz {

// The attribute catalogue as the program's documentation lists it.
inline std::string ReferenceAttributeName(int a) {
  static const char* const low[12] = {
      "リードエラーレート", "規定通りの処理能力か", "スピンアップ時間",
      "スタート／ストップ回数", "代替処理済みのセクタ数", "リードチャネルマージン",
      "シークエラーレート", "シークタイムパフォーマンス", "使用時間",
      "スピンアップ再試行回数", "キャリブレーション再試行回数", "電源投入回数"};
  static const char* const high[18] = {
      "電源直切によるHDDヘッドの緊急退避回数", "ロードサイクル回数", "温度",
      "ハードウェア ECC 検知エラー回数", "セクタ代替処理発生回数", "代替処理保留中のセクタ数",
      "オフラインでの検索性能", "UltraDMA CRC エラー数", "ライトエラーレート",
      "ソフトリードエラーレート", "データアドレスマークエラー", "ECC Errors",
      "Shock Count Write Ops", "Shock Rate Write Ops", "Unknown Attribute",
      "Spin High Current", "Spin Buzz", "Offline Seek Perf"};
  if (a >= 1 && a <= 12) return low[a - 1];
  if (a >= 192 && a <= 209) return high[a - 192];
  return "不明";
}

inline TDriveSmartInfo ReferenceDecode(const smart::Sector& attr, const smart::Sector& thr) {
  TDriveSmartInfo r;
  int baseline = 100, n = 0;
  for (int k = 0; k < 30; ++k) {
    const std::uint8_t* e = &attr[2 + 12 * k];
    const int a = e[0];
    if (a == 0) break;
    const unsigned flags = e[1] | (e[2] << 8);
    const int current = e[3], worst = e[4], threshold = thr[2 + 12 * k + 1];
    std::int64_t raw = 0;
    for (int b = 0; b < 6; ++b) raw += static_cast<std::int64_t>(e[5 + b]) << (8 * b);
    const bool pre = flags & 1;
    r.Numbers[n] = a;
    r.Names[n] = ReferenceAttributeName(a);
    r.PreFailure[n] = pre;
    r.FlagBit4[n] = (flags >> 4) & 1;
    r.FlagBit3[n] = (flags >> 3) & 1;
    r.Current[n] = current;
    r.Worst[n] = worst;
    r.Threshold[n] = threshold;
    r.Raw[n] = raw;
    if (raw > 0 && raw < 2147483647) {
      if (a == 5) r.ReallocatedSectors = static_cast<std::int32_t>(raw);
      if (a == 9) r.PowerOn = static_cast<std::int32_t>(raw / 60 + 1);
      if (a == 12) r.PowerCycles = static_cast<std::int32_t>(raw);
    }
    if ((a == 3 || a == 4) && current > 230) baseline = 253;
    // C++ division truncates toward zero, as the rule asks.
    const int limit = threshold + (baseline - threshold) / 2;
    if (!pre || threshold == 0) {
      r.Status[n] = "-";
    } else if (current < threshold) {
      r.Status[n] = "Failing Now";
      ++r.FailingCount;
    } else if (worst < threshold) {
      r.Status[n] = "Failed In Past";
      ++r.FailingCount;
    } else if (current < limit || (a == 5 && raw > 500)) {
      r.Status[n] = "Warning";
      ++r.WarningCount;
    } else {
      r.Status[n] = "OK";
    }
    if (a == 194) {
      r.Temperature = e[5];
      r.MinTemperature = e[7];
      r.MaxTemperature = e[5] == current ? worst : e[9];
    }
    ++n;
  }
  r.AttributeCount = n;
  return r;
}

// Every field of two records, the first difference reported.
inline void SameRecord(const TDriveSmartInfo& got, const TDriveSmartInfo& want) {
  Same("drive position", got.DrivePosition, want.DrivePosition);
  Same("size", got.Size, want.Size);
  Same("serial", got.Serial, want.Serial);
  Same("firmware", got.Firmware, want.Firmware);
  Same("model", got.Model, want.Model);
  Same("word 47", got.Word47, want.Word47);
  Same("temperature", got.Temperature, want.Temperature);
  Same("maximum temperature", got.MaxTemperature, want.MaxTemperature);
  Same("minimum temperature", got.MinTemperature, want.MinTemperature);
  Same("power-on value", got.PowerOn, want.PowerOn);
  Same("reallocated sectors", got.ReallocatedSectors, want.ReallocatedSectors);
  Same("power cycles", got.PowerCycles, want.PowerCycles);
  Same("failing count", got.FailingCount, want.FailingCount);
  Same("warning count", got.WarningCount, want.WarningCount);
  Same("attribute count", got.AttributeCount, want.AttributeCount);
  for (int i = 0; i < kSmartRows; ++i) {
    Same("row number", got.Numbers[i], want.Numbers[i]);
    Same("row name", got.Names[i], want.Names[i]);
    Same("row pre-failure flag", got.PreFailure[i], want.PreFailure[i]);
    Same("row flag bit 4", got.FlagBit4[i], want.FlagBit4[i]);
    Same("row flag bit 3", got.FlagBit3[i], want.FlagBit3[i]);
    Same("row current", got.Current[i], want.Current[i]);
    Same("row worst", got.Worst[i], want.Worst[i]);
    Same("row threshold", got.Threshold[i], want.Threshold[i]);
    Same("row raw", got.Raw[i], want.Raw[i]);
    Same("row status", got.Status[i], want.Status[i]);
  }
}

}  // namespace fuzz

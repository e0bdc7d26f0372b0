// smartdecode DIR [SECONDS]: decodes the attribute and threshold sectors of
// every capture in DIR over and over for about SECONDS, five times, and
// prints each round's rate in sectors (attribute + threshold) per second.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "smart/drive_replay.h"
#include "smart/smartapi.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: smartdecode DIR [SECONDS]\n");
    return 2;
  }
  const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
  std::vector<std::pair<smart::Sector, smart::Sector>> drives;
  for (const std::string& f : smart::CaptureFiles(argv[1]))
    if (auto c = smart::ReadCapture(f)) drives.emplace_back(c->SectorOf("SMDT"), c->SectorOf("SMTH"));
  if (drives.empty()) {
    std::fprintf(stderr, "no captures in %s\n", argv[1]);
    return 1;
  }
  using Clock = std::chrono::steady_clock;
  long long checksum = 0;
  for (int round = 0; round < 5; ++round) {
    long long sectors = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
      for (const auto& d : drives) {
        TDriveSmartInfo info;
        DecodeSmartData(d.first, d.second, info);
        checksum += info.Raw[0] + info.Current[1];  // keeps the work from being optimised away
      }
      sectors += 2 * static_cast<long long>(drives.size());
      elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::printf("bench decode_sectors_per_s %.0f\n", sectors / elapsed);
  }
  std::printf("captures %zu, checksum %lld\n", drives.size(), checksum);
  return 0;
}

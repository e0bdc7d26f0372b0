// nvmedecode DIR [SECONDS]: decodes every NVMe drive of DIR (Identify
// Controller and health log) over and over for about SECONDS, five times,
// and prints each round's rate in drives per second.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "smart/drive_replay.h"
#include "smart/nvme.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: nvmedecode DIR [SECONDS]\n");
    return 2;
  }
  const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
  std::vector<smart::NvmeCapture> drives;
  for (const std::string& f : smart::NvmeCaptureFiles(argv[1]))
    if (auto c = smart::ReadNvmeCapture(f)) drives.push_back(*c);
  if (drives.empty()) {
    std::fprintf(stderr, "no drives in %s\n", argv[1]);
    return 1;
  }
  using Clock = std::chrono::steady_clock;
  unsigned long long checksum = 0;
  for (int round = 0; round < 5; ++round) {
    long long decoded = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
      for (const auto& d : drives) {
        smart::TNvmeHealthInfo info;
        smart::DecodeNvmeHealth(d.identify.data(), d.health.data(), info);
        checksum += info.Counters[0].low + info.Model.size();  // keeps the work from being optimised away
      }
      decoded += static_cast<long long>(drives.size());
      elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::printf("bench nvme_drives_per_s %.0f\n", decoded / elapsed);
  }
  std::printf("drives %zu, checksum %llu\n", drives.size(), checksum);
  return 0;
}

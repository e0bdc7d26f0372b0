// Measurements for the benchmark script; not run by the test suite.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "probes/win/hardinfo_win.h"
#include "tests/win/harness.h"

namespace {

double KernelMHz(bool& constantTsc) {
  std::ifstream in("Z:\\proc\\cpuinfo");
  std::string line;
  double mhz = 0;
  constantTsc = false;
  while (std::getline(in, line)) {
    if (mhz == 0 && line.compare(0, 7, "cpu MHz") == 0) mhz = std::atof(line.c_str() + line.find(':') + 1);
    if (line.compare(0, 5, "flags") == 0 && (line + " ").find(" constant_tsc ") != std::string::npos)
      constantTsc = true;
  }
  return mhz;
}

}  // namespace

TEST(IdentityBench, DISABLED_ClockAccuracy) {
  hardinfo::Win32HardInfo p;
  bool constant = false;
  const double kernel = KernelMHz(constant);
  double worst = 0, sum = 0;
  for (int run = 1; run <= 5; ++run) {
    const double mhz = hardinfo::GetCPUSpeed(p);
    const double err = kernel > 0 ? (mhz - kernel) / kernel * 100 : 0;
    sum += std::fabs(err);
    worst = std::fmax(worst, std::fabs(err));
    std::printf("clock run %d: %.3f MHz, kernel %.3f MHz, %+.3f%%\n", run, mhz, kernel, err);
  }
  std::printf("clock: mean |error| %.3f%%, worst %.3f%%%s\n", sum / 5, worst,
              constant ? "" : " (no constant TSC: not comparable)");
}

TEST(IdentityBench, DISABLED_IdentitySequence) {
  for (int run = 1; run <= 3; ++run) {
    std::unique_ptr<TForm1> form = MakeForm();
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    form->IdentitySequence();
    QueryPerformanceCounter(&b);
    std::printf("identity sequence run %d: %.1f ms\n", run,
                (b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart);
  }
}

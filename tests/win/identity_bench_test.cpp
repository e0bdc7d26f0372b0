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

// Five measurements against the kernel's figure, for the benchmark script.
TEST(IdentityBench, DISABLED_ClockAccuracy) {
  hardinfo::Win32HardInfo p;
  bool constant = false;
  const double kernel = KernelMHz(constant);
  if (!constant) std::printf("clock: no constant TSC, the kernel's figure is not comparable\n");
  for (int run = 1; run <= 5; ++run) {
    const double mhz = hardinfo::GetCPUSpeed(p);
    std::printf("bench clock_mhz %.3f kernel %.3f\n", mhz, kernel);
    std::printf("bench clock_error_pct %.3f\n", kernel > 0 ? std::fabs(mhz - kernel) / kernel * 100 : 0);
  }
}

// The whole sequence five times, and the clock measurement alone beside it.
TEST(IdentityBench, DISABLED_IdentitySequence) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  auto ms = [&] { return (b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart; };
  for (int run = 1; run <= 5; ++run) {
    std::unique_ptr<TForm1> form = MakeForm();
    QueryPerformanceCounter(&a);
    form->IdentitySequence();
    QueryPerformanceCounter(&b);
    std::printf("bench identity_ms %.1f\n", ms());
    QueryPerformanceCounter(&a);
    hardinfo::GetCPUSpeed(*form->HardInfo);
    QueryPerformanceCounter(&b);
    std::printf("bench clock_alone_ms %.1f\n", ms());
  }
}

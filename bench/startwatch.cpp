// startwatch RUNS CLASS PROGRAM [CLASS PROGRAM ...]: starts each program in
// turn, RUNS rounds, and measures the time until a visible top-level window
// of its class exists, then the process's peak working set; closes it.
// Alternating the programs gives each the same machine state.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: startwatch RUNS CLASS PROGRAM [CLASS PROGRAM ...]\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  const int programs = (argc - 2) / 2;
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  std::vector<std::vector<double>> times(programs), peaks(programs);
  for (int r = 0; r < runs; ++r) {
    for (int p = 0; p < programs; ++p) {
      const char* cls = argv[2 + 2 * p];
      char* cmd = argv[3 + 2 * p];
      STARTUPINFOA si = {};
      si.cb = sizeof si;
      PROCESS_INFORMATION pi = {};
      LARGE_INTEGER t0, t1;
      QueryPerformanceCounter(&t0);
      if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start %s\n", cmd);
        return 1;
      }
      HWND w = nullptr;
      for (;;) {
        w = FindWindowA(cls, nullptr);
        if (w && IsWindowVisible(w)) break;
        if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
      }
      QueryPerformanceCounter(&t1);
      times[p].push_back(1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart);
      PROCESS_MEMORY_COUNTERS pmc = {};
      pmc.cb = sizeof pmc;
      if (GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc))
        peaks[p].push_back(pmc.PeakWorkingSetSize / 1048576.0);
      if (w) PostMessageA(w, WM_CLOSE, 0, 0);
      WaitForSingleObject(pi.hProcess, 10000);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  }
  for (int p = 0; p < programs; ++p) {
    const auto& t = times[p];
    std::printf("start %s: median %.0f ms (best %.0f, worst %.0f, %d runs), peak working set %.1f MB\n",
                argv[2 + 2 * p], Median(t), *std::min_element(t.begin(), t.end()),
                *std::max_element(t.begin(), t.end()), runs, Median(peaks[p]));
  }
  return 0;
}

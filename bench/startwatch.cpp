// startwatch <window class> <program> [runs]: starts the program, measures the
// time until a visible top-level window of that class exists, closes it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startwatch CLASS PROGRAM [RUNS]\n");
    return 2;
  }
  int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(nullptr, argv[2], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      std::fprintf(stderr, "cannot start %s\n", argv[2]);
      return 1;
    }
    HWND w = nullptr;
    for (;;) {
      w = FindWindowA(argv[1], nullptr);
      if (w && IsWindowVisible(w)) break;
      if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    QueryPerformanceCounter(&t1);
    double ms = 1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart;
    times.push_back(ms);
    if (w) PostMessageA(w, WM_CLOSE, 0, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  std::sort(times.begin(), times.end());
  std::printf("%s: median %.0f ms, best %.0f ms, worst %.0f ms over %d runs\n", argv[1],
              times[times.size() / 2], times.front(), times.back(), runs);
  return 0;
}

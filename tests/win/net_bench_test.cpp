// Measurements for the benchmark script; not run by the test suite.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/win/main.h"
#include "net/icmp.h"
#include "tests/win/harness.h"
#include "tests/win/loopback_icmp.h"

TEST(NetBench, DISABLED_LoopbackSweep) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  for (int run = 1; run <= 5; ++run) {
    std::unique_ptr<TForm1> form = MakeForm();
    ShowWithoutFormShow(*form);
    form->PageControl1.SetActivePageIndex(4);
    // Loopback only, never the block pre-filled from the machine's address.
    form->N1.SetText("127");
    form->N2.SetText("0");
    form->N3.SetText("0");
    Pump(100);
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    form->Button8.Click();
    QueryPerformanceCounter(&b);
    std::printf("bench sweep_ms %.1f hosts %u\n", (b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart,
                static_cast<unsigned>(form->RichEdit1.Lines().size()));
  }
}

// Where a sweep's time goes: the 256 echoes alone, then the reverse lookups.
TEST(NetBench, DISABLED_EchoAndLookupShares) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  LARGE_INTEGER f, a, b, c;
  QueryPerformanceFrequency(&f);
  TICMP icmp(Win32IcmpPlatform());
  icmp.TimeoutMs = 1;
  int answered = 0;
  QueryPerformanceCounter(&a);
  for (int i = 0; i <= 255; ++i) {
    icmp.SetHost(ProbeAddressText("127", "0", "0", i));
    if (icmp.SendEcho() > 0) ++answered;
  }
  QueryPerformanceCounter(&b);
  int named = 0;
  for (int i = 0; i <= 255; ++i)
    if (!LookupHostName(Win32IcmpPlatform(), ProbeAddressText("127", "0", "0", i)).empty()) ++named;
  QueryPerformanceCounter(&c);
  std::printf("echo only: %.0f ms for 256 addresses, %d answered; reverse lookups: %.0f ms, %d named\n",
              (b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart, answered,
              (c.QuadPart - b.QuadPart) * 1000.0 / f.QuadPart, named);
}

// Measurements for the benchmark script; not run by the test suite.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/win/harness.h"

TEST(NetBench, DISABLED_LoopbackSweep) {
  for (int run = 1; run <= 3; ++run) {
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
    std::printf("window sweep 127.0.0.0/24 run %d: %.0f ms, %u hosts listed, N4 %s\n", run,
                (b.QuadPart - a.QuadPart) * 1000.0 / f.QuadPart,
                static_cast<unsigned>(form->RichEdit1.Lines().size()), form->N4.Text().c_str());
  }
}

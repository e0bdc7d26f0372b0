// Measurement for the benchmark script; not run by the test suite.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/win/harness.h"
#include "tests/win/loopback_icmp.h"

// The peak working set once every tab has done its work, as a user would
// after start-up (no power action, no launch, no print).
TEST(FormBench, DISABLED_PeakWorkingSetAfterEveryTab) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  BoxWatcher boxes;
  std::unique_ptr<TForm1> form = MakeForm();
  form->Show();  // the identity sequence and the read-me, as at start
  for (int i = 0; i < form->PageControl1.PageCount(); ++i) {
    form->PageControl1.SetActivePageIndex(i);
    Pump(50);
  }
  form->PageControl1.SetActivePageIndex(2);
  form->edtClass.SetText("Win32_OperatingSystem");
  form->doGetClass.Click();
  form->PageControl1.SetActivePageIndex(3);
  form->DiskNum.SetValue(0);
  form->doSmart.Click();
  form->PageControl1.SetActivePageIndex(4);
  // Loopback only, never the block pre-filled from the machine's address.
  form->N1.SetText("127");
  form->N2.SetText("0");
  form->N3.SetText("0");
  form->Button8.Click();
  form->PageControl1.SetActivePageIndex(1);
  form->ListBox1.SetItemIndex(10);
  Pump(200);
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc));
  std::printf("bench peak_ws_mb %.1f\n", pmc.PeakWorkingSetSize / 1048576.0);
  for (const BoxRecord& b : boxes.Boxes()) std::printf("box: %s\n", b.text.c_str());
}

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win/harness.h"

TEST(FormSmoke, BuildsAndShows) {
  auto form = MakeForm();
  ShowWithoutFormShow(*form);
  Pump(300);
  char cls[64] = {0};
  GetClassNameA(form->Handle(), cls, sizeof cls);
  EXPECT_STREQ("TForm1", cls);
  if (getenv("VESK_HOLD")) Pump(atoi(getenv("VESK_HOLD")));
}

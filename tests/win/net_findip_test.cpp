// The FIND IP tab in the window with the real echo client. Every sweep here
// covers 127.0.0.0/24 (or another loopback block), never the pre-filled one.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "net/icmp.h"
#include "tests/win/harness.h"
#include "tests/win/loopback_icmp.h"
#include "ui/win/app.h"

namespace {

// Passes everything to the Win32 platform and records the echoes; a hook
// may act at the n-th echo (1-based), as a user pressing a button would.
class RecordingIcmp : public LoopbackIcmp {
 public:
  bool noLibrary = false;
  // The tests of sweep control do without names, so that they run even
  // where look-ups cannot be held to this machine.
  bool realNames = true;
  std::function<void(int)> atEcho;
  std::vector<std::string> probed;
  int startups = 0, cleanups = 0, loads = 0, frees = 0, opens = 0, closes = 0;

  int WsaStartup(std::uint16_t v) override {
    ++startups;
    return real.WsaStartup(v);
  }
  void WsaCleanup() override {
    ++cleanups;
    real.WsaCleanup();
  }
  bool GetHostByAddr(std::uint32_t a, std::string& n) override {
    return realNames && LoopbackIcmp::GetHostByAddr(a, n);
  }
  Module LoadLib(const char* name) override {
    if (noLibrary) return nullptr;
    Module m = real.LoadLib(name);
    if (m) ++loads;
    return m;
  }
  void FreeLib(Module m) override {
    ++frees;
    real.FreeLib(m);
  }
  Handle IcmpCreateFile(Proc p) override {
    Handle h = real.IcmpCreateFile(p);
    if (h != kInvalidHandle) ++opens;
    return h;
  }
  void IcmpCloseHandle(Proc p, Handle h) override {
    ++closes;
    real.IcmpCloseHandle(p, h);
  }
  unsigned IcmpSendEcho(Proc p, Handle h, std::uint32_t dest, const void* data,
                        std::uint16_t size, const EchoOptions& o, void* reply,
                        std::uint32_t replySize, std::uint32_t timeout) override {
    if (!IsLoopback(dest))
      return LoopbackIcmp::IcmpSendEcho(p, h, dest, data, size, o, reply, replySize, timeout);
    probed.push_back(real.InetNtoa(dest));
    unsigned n = real.IcmpSendEcho(p, h, dest, data, size, o, reply, replySize, timeout);
    if (atEcho) atEcho(static_cast<int>(probed.size()));
    return n;
  }

  void ExpectAllReleased() const {
    EXPECT_EQ(loads, frees);
    EXPECT_EQ(opens, closes);
    EXPECT_EQ(startups, cleanups);
  }
};

// The 208-character name tests/data/hosts gives 127.0.0.9.
const char kLongHostName[] =
    "the-ninth-loopback-host-has-a-name-longer-than-a-printed-line-a."
    "so-a-printed-list-must-wrap-it-onto-the-next-line-not-cut-it-bb."
    "every-character-of-this-name-stays-on-paper-when-it-is-printedc."
    "end-of-name.test";

class NetFindIp : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    form->Icmp = &icmp;
    ShowWithoutFormShow(*form);
    form->PageControl1.SetActivePageIndex(4);
    form->N1.SetText("127");
    form->N2.SetText("0");
    form->N3.SetText("0");
    form->RichEdit1.AppendLine("old line");
  }
  void TearDown() override { form.reset(); }

  // Posted, so it acts when the sweep lets messages run.
  static void PressLater(const ui::TStyledButton& b) { PostMessageA(b.Handle(), BM_CLICK, 0, 0); }

  static std::string Octets(int from, int to, const std::string& prefix = "127.0.0.") {
    std::string s;
    for (int i = from; i <= to; ++i) s += prefix + std::to_string(i) + " ";
    return s;
  }
  static std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += x + " ";
    return s;
  }
  static int LastOctet(const std::string& line) {
    size_t colon = line.find(':');
    size_t dot = line.rfind('.', colon);
    return std::stoi(line.substr(dot + 1, colon - dot - 1));
  }

  RecordingIcmp icmp;
  std::unique_ptr<TForm1> form;
};

// Every loopback address answers; the names are the namespace's hosts file.
TEST_F(NetFindIp, SweepListsAnsweringLoopbackHostsInOrder) {
  SKIP_UNLESS_LOOKUPS_STAY_LOCAL();
  form->Button8.Click();
  EXPECT_EQ(Join(icmp.probed), Octets(0, 255));
  EXPECT_EQ(form->N4.Text(), "255");
  EXPECT_EQ(ui::ScreenCursor(), ui::TCursor::Default);
  icmp.ExpectAllReleased();

  const auto lines = form->RichEdit1.Lines();
  ASSERT_EQ(256u, lines.size()) << Join(lines);
  for (int i = 0; i < 256; ++i) {
    std::string want = "127.0.0." + std::to_string(i) + ":";
    if (i == 1) want += "localhost";
    if (i == 7) want += "vesk-seven.test";
    if (i == 9) want += std::string(kLongHostName);
    EXPECT_EQ(want, lines[i]);
  }
}

// The list is held back from painting during a sweep, never hidden: a
// right click must still reach it, and its end shows afterwards.
TEST_F(NetFindIp, ListStaysReachableDuringSweepAndShowsItsEnd) {
  icmp.realNames = false;
  HWND list = form->RichEdit1.Handle();
  RECT r;
  GetClientRect(list, &r);
  POINT centre = {r.right / 2, r.bottom / 2};
  MapWindowPoints(list, GetParent(list), &centre, 1);
  int checked = 0;
  icmp.atEcho = [&](int n) {
    if (n % 50 != 0) return;
    ++checked;
    EXPECT_TRUE(IsWindowVisible(list)) << n;
    EXPECT_EQ(list, ChildWindowFromPointEx(GetParent(list), centre, CWP_SKIPINVISIBLE)) << n;
  };
  form->Button8.Click();
  EXPECT_EQ(5, checked);
  const auto count = static_cast<LRESULT>(form->RichEdit1.Lines().size());
  ASSERT_GT(count, 200);
  EXPECT_TRUE(IsWindowVisible(list));
  // Scrolled to the last line: fewer than a page's worth below the top one.
  EXPECT_GT(SendMessageA(list, EM_GETFIRSTVISIBLELINE, 0, 0), count - 40);
}

TEST_F(NetFindIp, StopEndsSweepAtNextAddress) {
  icmp.realNames = false;
  icmp.atEcho = [&](int n) {
    if (n == 10) PressLater(form->Button10);
  };
  form->Button8.Click();
  EXPECT_EQ(Join(icmp.probed), Octets(0, 9));
  EXPECT_EQ(form->N4.Text(), "9");
  EXPECT_TRUE(form->StopRequested);
  EXPECT_EQ(ui::ScreenCursor(), ui::TCursor::Default);
  icmp.ExpectAllReleased();
  for (const auto& line : form->RichEdit1.Lines()) EXPECT_LE(LastOctet(line), 9) << line;

  // The next sweep starts afresh.
  icmp.atEcho = nullptr;
  icmp.probed.clear();
  form->Button8.Click();
  EXPECT_FALSE(form->StopRequested);
  EXPECT_EQ(icmp.probed.size(), 256u);
}

TEST_F(NetFindIp, ClearDuringSweepKeepsLaterFinds) {
  icmp.realNames = false;
  icmp.atEcho = [&](int n) {
    if (n == 100) PressLater(form->Button9);
  };
  form->Button8.Click();
  EXPECT_EQ(icmp.probed.size(), 256u);
  const auto lines = form->RichEdit1.Lines();
  ASSERT_FALSE(lines.empty());
  // The line of address 99 came before the clear ran.
  EXPECT_GE(LastOctet(lines.front()), 100) << lines.front();
}

TEST_F(NetFindIp, OctetChangedDuringSweepTakesEffectNextAddress) {
  icmp.realNames = false;
  icmp.atEcho = [&](int n) {
    if (n == 10) form->N3.SetText("1");
  };
  form->Button8.Click();
  ASSERT_EQ(icmp.probed.size(), 256u);
  EXPECT_EQ(Join(icmp.probed), Octets(0, 9) + Octets(10, 255, "127.0.1."));
}

TEST_F(NetFindIp, NestedSweepRunsFirstThenOuterCarriesOn) {
  icmp.realNames = false;
  int presses = 0;
  icmp.atEcho = [&](int n) {
    if (n == 5 && presses++ == 0) PressLater(form->Button8);
  };
  form->Button8.Click();
  EXPECT_EQ(Join(icmp.probed), Octets(0, 4) + Octets(0, 255) + Octets(5, 255));
  EXPECT_EQ(form->N4.Text(), "255");
  EXPECT_EQ(ui::ScreenCursor(), ui::TCursor::Default);
  icmp.ExpectAllReleased();
  // The inner sweep cleared the list; the outer appended after it.
  const auto lines = form->RichEdit1.Lines();
  ASSERT_FALSE(lines.empty());
  int descents = 0;
  for (size_t i = 1; i < lines.size(); ++i)
    if (LastOctet(lines[i]) < LastOctet(lines[i - 1])) ++descents;
  EXPECT_EQ(descents, 1);
}

TEST_F(NetFindIp, StopInNestedSweepEndsBoth) {
  icmp.realNames = false;
  int presses = 0;
  icmp.atEcho = [&](int n) {
    if (n == 5 && presses++ == 0) PressLater(form->Button8);
    if (n == 5 + 20) PressLater(form->Button10);
  };
  form->Button8.Click();
  EXPECT_EQ(Join(icmp.probed), Octets(0, 4) + Octets(0, 19));
  EXPECT_EQ(ui::ScreenCursor(), ui::TCursor::Default);
  icmp.ExpectAllReleased();
}

TEST_F(NetFindIp, MissingIcmpLibraryProbesNothingAndShowsError) {
  icmp.noLibrary = true;
  BoxWatcher boxes;
  form->Button8.Click();
  Pump(300);
  EXPECT_TRUE(icmp.probed.empty());
  EXPECT_EQ(ui::ScreenCursor(), ui::TCursor::Default);
  EXPECT_EQ(icmp.startups, icmp.cleanups);
  auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Unable to register icmp.dll.");
  EXPECT_EQ(shown[0].caption, ui::kApplicationTitle);
  EXPECT_TRUE(shown[0].hasIcon);
  // The sweep had begun: the list is empty.
  EXPECT_TRUE(form->RichEdit1.Lines().empty());
}

}  // namespace

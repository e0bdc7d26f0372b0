// The HARD tab in the window: given answers through a scripted source, and
// the local WMI service.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/win/harness.h"
#include "tests/win/scripting_adapter.h"
#include "ui/win/app.h"
#include "wmi/win/wmi_source.h"
#include "wmi/wmiquery.h"

namespace {

class GivenProp : public WmiProperty {
 public:
  GivenProp(std::string n, std::string v) : n_(std::move(n)), v_(std::move(v)) {}
  WmiValue Value() override { return WmiValue::Str(v_); }
  int CimType() override { return kCimString; }
  std::string Name() override { return n_; }

 private:
  std::string n_, v_;
};

class GivenInstance : public WmiInstance {
 public:
  GivenInstance(int index, int props) : index_(index), props_(props) {}
  int PropertyCount() override { return props_; }
  std::unique_ptr<WmiProperty> NextProperty() override {
    if (next_ >= props_) return nullptr;
    ++next_;
    return std::make_unique<GivenProp>("P" + std::to_string(next_),
                                       "v" + std::to_string(index_) + "." + std::to_string(next_));
  }

 private:
  int index_, props_, next_ = 0;
};

class GivenSet : public WmiObjectSet {
 public:
  GivenSet(int count, int props) : count_(count), props_(props) {}
  int Count() override { return count_; }
  std::unique_ptr<WmiInstance> NextInstance() override {
    if (next_ >= count_) return nullptr;
    return std::make_unique<GivenInstance>(++next_, props_);
  }

 private:
  int count_, props_, next_ = 0;
};

// Answers "N:P" with N instances of P properties ("fail" fails), and records
// what the tab looked like while the request ran.
class ScriptedSource : public WmiSource {
 public:
  explicit ScriptedSource(TForm1& f) : form(f) {}
  std::unique_ptr<WmiObjectSet> Open(const WmiRequest& r) override {
    texts.push_back(r.text);
    buttonEnabledDuring = form.doGetClass.Enabled();
    cursorDuring = ui::ScreenCursor();
    rowsDuring = form.ListView1.Count();
    if (r.text == "fail") throw WmiError("Invalid class");
    int n = 0, p = 0;
    if (sscanf(r.text.c_str(), "%d:%d", &n, &p) != 2) throw WmiError("bad script");
    return std::make_unique<GivenSet>(n, p);
  }
  void Beep(unsigned type) override {
    beeps.push_back(type);
    if (throwOnBeep) throw std::runtime_error("beep failed");
  }

  TForm1& form;
  std::vector<std::string> texts;
  std::vector<unsigned> beeps;
  bool buttonEnabledDuring = true, throwOnBeep = false;
  ui::TCursor cursorDuring = ui::TCursor::Default;
  int rowsDuring = -1;
};

// The local service, with the beeps counted.
class CountingBeeps : public WmiSource {
 public:
  std::unique_ptr<WmiObjectSet> Open(const WmiRequest& r) override { return Win32WmiSource().Open(r); }
  char DecimalSeparator() override { return Win32WmiSource().DecimalSeparator(); }
  void Beep(unsigned type) override { beeps++; }
  int beeps = 0;
};

class WmiTab : public testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm();
    scripted = std::make_unique<ScriptedSource>(*form);
    form->Wmi = scripted.get();
    ShowWithoutFormShow(*form);
    form->PageControl1.SetActivePageIndex(2);
    Pump(50);
  }
  void Request(const std::string& text) {
    form->edtClass.SetText(text);
    form->doGetClass.Click();
  }
  std::vector<std::string> Row(int r) {
    std::vector<std::string> cells;
    for (int c = 0; c < form->ListView1.ColumnCount(); ++c) cells.push_back(form->ListView1.Cell(r, c));
    return cells;
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> c;
    for (int i = 0; i < form->ListView1.ColumnCount(); ++i) c.push_back(form->ListView1.ColumnCaption(i));
    return c;
  }
  std::unique_ptr<TForm1> form;
  std::unique_ptr<ScriptedSource> scripted;
};

}  // namespace

TEST_F(WmiTab, PropertiesAreRowsInstancesAreColumns) {
  Request("2:3");
  ASSERT_EQ(21, form->ListView1.ColumnCount());
  EXPECT_EQ("Instance", form->ListView1.ColumnCaption(0));
  EXPECT_EQ("1", form->ListView1.ColumnCaption(1));
  EXPECT_EQ("2", form->ListView1.ColumnCaption(2));
  EXPECT_EQ("", form->ListView1.ColumnCaption(3));
  ASSERT_EQ(3, form->ListView1.Count());
  std::vector<std::string> want(21);
  want[0] = "P2";
  want[1] = "v1.2";
  want[2] = "v2.2";
  EXPECT_EQ(want, Row(1));
  EXPECT_TRUE(scripted->beeps.empty());
}

TEST_F(WmiTab, BusyWhileTheRequestRunsAndRestoredAfter) {
  form->ListView1.AddRow({"stale"});
  Request("1:1");
  EXPECT_FALSE(scripted->buttonEnabledDuring);
  EXPECT_EQ(ui::TCursor::HourGlass, scripted->cursorDuring);
  EXPECT_EQ(0, scripted->rowsDuring);
  EXPECT_TRUE(form->doGetClass.Enabled());
  EXPECT_EQ(ui::TCursor::Default, ui::ScreenCursor());
}

TEST_F(WmiTab, AtMostTwentyInstanceColumns) {
  Request("25:2");
  std::vector<std::string> caps = Captions();
  ASSERT_EQ(21u, caps.size());
  EXPECT_EQ("20", caps[20]);
  ASSERT_EQ(2, form->ListView1.Count());
  EXPECT_EQ("v20.1", form->ListView1.Cell(0, 20));
}

TEST_F(WmiTab, AShorterAnswerLeavesLaterCaptionsAsTheyWere) {
  Request("5:2");
  Request("2:2");
  std::vector<std::string> caps = Captions();
  EXPECT_EQ("1", caps[1]);
  EXPECT_EQ("2", caps[2]);
  EXPECT_EQ("3", caps[3]);
  EXPECT_EQ("4", caps[4]);
  EXPECT_EQ("5", caps[5]);
  ASSERT_EQ(2, form->ListView1.Count());
  for (int r = 0; r < 2; ++r)
    for (int c = 3; c <= 5; ++c) EXPECT_EQ("", form->ListView1.Cell(r, c));
}

TEST_F(WmiTab, FailureBeepsOnceAndEmptyResultIsSilent) {
  Request("3:3");
  Request("fail");
  EXPECT_EQ(0, form->ListView1.Count());
  EXPECT_EQ(std::vector<unsigned>{0}, scripted->beeps);
  Request("0:0");
  EXPECT_EQ(0, form->ListView1.Count());
  EXPECT_EQ(1u, scripted->beeps.size());
  EXPECT_TRUE(form->doGetClass.Enabled());
}

TEST_F(WmiTab, AnEscapingErrorStillRestoresButtonAndCursor) {
  BoxWatcher boxes;
  scripted->throwOnBeep = true;
  Request("fail");
  EXPECT_TRUE(form->doGetClass.Enabled());
  EXPECT_EQ(ui::TCursor::Default, ui::ScreenCursor());
  Pump(300);
  std::vector<BoxRecord> seen = boxes.Boxes();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("beep failed.", seen[0].text);
}

TEST_F(WmiTab, PickedItemsAreSentExactly) {
  form->edtClass.SetItemIndex(60);
  form->doGetClass.Click();
  form->edtClass.SetItemIndex(73);
  form->doGetClass.Click();
  Request(" select \"a\\b\" " + std::string(10000, 'x'));
  ASSERT_EQ(3u, scripted->texts.size());
  EXPECT_EQ("Win32_TemperatureProbe ", scripted->texts[0]);
  EXPECT_EQ(kWmiClassItems[73], scripted->texts[1]);
  EXPECT_EQ(" select \"a\\b\" " + std::string(10000, 'x'), scripted->texts[2]);
}

TEST_F(WmiTab, OperatingSystemFromTheService) {
  CountingBeeps real;
  form->Wmi = &real;
  form->edtClass.SetItemIndex(0);
  form->doGetClass.Click();
  EXPECT_EQ("Instance", form->ListView1.ColumnCaption(0));
  EXPECT_EQ("1", form->ListView1.ColumnCaption(1));
  EXPECT_EQ("", form->ListView1.ColumnCaption(2));
  WmiResultGrid t;
  int n;
  std::string e;
  int r = RunWmiQuery(Win32WmiSource(), "", "", "", "", "Win32_OperatingSystem", t, n, e);
  ASSERT_GT(r, 0);
  ASSERT_EQ(r, form->ListView1.Count());
  for (int p = 0; p < r; ++p) {
    EXPECT_EQ(t[0][p + 1], form->ListView1.Cell(p, 0));
    if (t[0][p + 1] != "FreePhysicalMemory" && t[0][p + 1] != "FreeVirtualMemory" &&
        t[0][p + 1] != "LocalDateTime") {
      EXPECT_EQ(t[1][p + 1], form->ListView1.Cell(p, 1)) << t[0][p + 1];
    }
  }
  EXPECT_EQ(0, real.beeps);
}

// Wine's scripting objects (the native fallback answers), then the adapter
// standing in for Windows' own.
TEST_F(WmiTab, ServiceRequestsFromTheService) {
  for (bool scripting : {false, true}) {
    SCOPED_TRACE(scripting ? "scripting objects" : "native fallback");
    std::unique_ptr<ScriptingAdapter> adapter;
    if (scripting) adapter = std::make_unique<ScriptingAdapter>();
    CountingBeeps real;
    form->Wmi = &real;
    Request("Win32_Service");
    EXPECT_EQ("20", form->ListView1.ColumnCaption(20));
    EXPECT_GT(form->ListView1.Count(), 0);
    EXPECT_EQ(0, real.beeps);

    for (const char* bad : {"select * from Win32_BIOS", " SELECT * FROM Win32_BIOS", "Win32_NoSuchClass"}) {
      Request(bad);
      EXPECT_EQ(0, form->ListView1.Count()) << bad;
    }
    EXPECT_EQ(3, real.beeps);

    Request("SELECT * FROM Win32_BIOS WHERE Manufacturer = 'nobody at all'");
    EXPECT_EQ(0, form->ListView1.Count());
    EXPECT_EQ(3, real.beeps);
    if (adapter) {
      EXPECT_TRUE(adapter->Used());
    }
  }
}

TEST_F(WmiTab, OddTextsInTheComboBoxGiveAGridOrABeep) {
  CountingBeeps real;
  form->Wmi = &real;
  const struct Case {
    std::string text;
    bool mustBeep;
  } cases[] = {{"", true},
               {std::string(10000, 'x'), true},
               {"Win32_\x93\xfa\x96\x7b", true},  // Shift-JIS
               {"Win32_BIOS\\\"'", true},
               {"SELECT * FROM Win32_BIOS WHERE Name = \"\\'\"", false},
               {"SELECT * FROM Win32_BIOS WHERE Name = '\x93\xfa\x96\x7b'", false},
               {"SELECT " + std::string(10000, '*') + " FROM Win32_BIOS", false}};
  int beeps = 0;
  for (const Case& c : cases) {
    Request(c.text);
    bool grid = form->ListView1.Count() > 0;
    bool beeped = real.beeps > beeps;
    beeps = real.beeps;
    EXPECT_FALSE(grid && beeped) << c.text.substr(0, 40);
    if (c.mustBeep) {
      EXPECT_TRUE(beeped) << c.text.substr(0, 40);
    }
    EXPECT_TRUE(form->doGetClass.Enabled());
  }
}

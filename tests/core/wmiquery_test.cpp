#include "wmi/wmiquery.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct FakeProperty {
  std::string name;
  int type;
  WmiValue value;
  std::string failValue;  // non-empty: Value() throws this
};

struct FakeInstanceData {
  std::vector<FakeProperty> props;
  int reportedCount = -1;  // -1: props.size()
};

struct Calls {
  int names = 0, values = 0, instancesTaken = 0;
  std::vector<std::string> order;
};

class FakeProp : public WmiProperty {
 public:
  FakeProp(const FakeProperty& p, Calls& c) : p_(p), c_(c) {}
  WmiValue Value() override {
    c_.values++;
    c_.order.push_back("Value");
    if (!p_.failValue.empty()) throw WmiError(p_.failValue);
    return p_.value;
  }
  int CimType() override { c_.order.push_back("CIMType"); return p_.type; }
  std::string Name() override { c_.names++; c_.order.push_back("Name"); return p_.name; }

 private:
  const FakeProperty& p_;
  Calls& c_;
};

class FakeInst : public WmiInstance {
 public:
  FakeInst(const FakeInstanceData& d, Calls& c) : d_(d), c_(c) {}
  int PropertyCount() override {
    return d_.reportedCount < 0 ? static_cast<int>(d_.props.size()) : d_.reportedCount;
  }
  std::unique_ptr<WmiProperty> NextProperty() override {
    if (next_ >= d_.props.size()) return nullptr;
    return std::make_unique<FakeProp>(d_.props[next_++], c_);
  }

 private:
  const FakeInstanceData& d_;
  Calls& c_;
  size_t next_ = 0;
};

class FakeSet : public WmiObjectSet {
 public:
  FakeSet(int count, const std::vector<FakeInstanceData>& i, Calls& c) : count_(count), i_(i), c_(c) {}
  int Count() override { return count_; }
  std::unique_ptr<WmiInstance> NextInstance() override {
    if (next_ >= i_.size()) return nullptr;
    c_.instancesTaken++;
    return std::make_unique<FakeInst>(i_[next_++], c_);
  }

 private:
  int count_;
  const std::vector<FakeInstanceData>& i_;
  Calls& c_;
  size_t next_ = 0;
};

class FakeSource : public WmiSource {
 public:
  std::unique_ptr<WmiObjectSet> Open(const WmiRequest& r) override {
    requests.push_back(r);
    if (!openError.empty()) throw WmiError(openError);
    int n = count < 0 ? static_cast<int>(instances.size()) : count;
    return std::make_unique<FakeSet>(n, instances, calls);
  }
  char DecimalSeparator() override { return sep; }

  int count = -1;  // -1: instances.size()
  std::vector<FakeInstanceData> instances;
  std::string openError;
  char sep = '.';
  std::vector<WmiRequest> requests;
  Calls calls;
};

struct Outcome {
  int result, count;
  WmiResultGrid grid;
  std::string error;
};

Outcome RunOn(FakeSource& s, const std::string& query = "Win32_Fake") {
  Outcome r;
  r.result = RunWmiQuery(s, "", "", "", "", query, r.grid, r.count, r.error);
  return r;
}

FakeInstanceData Instance(std::vector<FakeProperty> props) {
  FakeInstanceData d;
  d.props = std::move(props);
  return d;
}

std::string Text(int type, const WmiValue& v, char sep = '.') { return WmiValueText(type, v, sep); }

std::vector<WmiValue> Ints(std::initializer_list<int64_t> l) {
  std::vector<WmiValue> v;
  for (int64_t i : l) v.push_back(WmiValue::Int(i));
  return v;
}

}  // namespace

TEST(WmiQueryRequest, SelectAtTheFirstCharacterMakesAQuery) {
  FakeSource s;
  WmiResultGrid grid;
  int count;
  std::string error;
  RunWmiQuery(s, "srv", "root\\cimv2", "me", "pw", "SELECT * FROM Win32_BIOS", grid, count, error);
  ASSERT_EQ(1u, s.requests.size());
  const WmiRequest& q = s.requests[0];
  EXPECT_EQ(WmiRequest::Method::ExecQuery, q.method);
  EXPECT_EQ("WQL", q.language);
  EXPECT_EQ(16, q.flags);
  EXPECT_EQ("SELECT * FROM Win32_BIOS", q.text);
  EXPECT_EQ("srv", q.server);
  EXPECT_EQ("root\\cimv2", q.nameSpace);
  EXPECT_EQ("me", q.user);
  EXPECT_EQ("pw", q.password);
}

TEST(WmiQueryRequest, EverythingElseIsAClassNameSentUnchanged) {
  for (const char* text : {"Win32_BIOS", " SELECT * FROM Win32_BIOS", "select * from Win32_BIOS",
                           "Select * FROM x", "SELEC", "", "Win32_TemperatureProbe "}) {
    WmiRequest q = MakeWmiRequest("", "", "", "", text);
    EXPECT_EQ(WmiRequest::Method::InstancesOf, q.method) << text;
    EXPECT_EQ(17, q.flags) << text;
    EXPECT_EQ(text, q.text);
  }
  EXPECT_EQ(WmiRequest::Method::ExecQuery, MakeWmiRequest("", "", "", "", "SELECTED").method);
}

TEST(WmiQueryTable, OneInstanceWithThreeProperties) {
  FakeSource s;
  s.instances = {Instance({{"Caption", kCimString, WmiValue::Str("Microsoft Windows 7"), ""},
                           {"BuildNumber", kCimString, WmiValue::Str("7601"), ""},
                           {"Primary", kCimBoolean, WmiValue::Bool(true), ""}})};
  Outcome r = RunOn(s);
  EXPECT_EQ(3, r.result);
  EXPECT_EQ(1, r.count);
  EXPECT_EQ("", r.error);
  WmiResultGrid want = {{"Instance", "Caption", "BuildNumber", "Primary"},
                        {"1", "Microsoft Windows 7", "7601", "True"}};
  EXPECT_EQ(want, r.grid);
  // Value, then the type, then (first instance) the name.
  std::vector<std::string> order = {"Value", "CIMType", "Name"};
  EXPECT_EQ(order, std::vector<std::string>(s.calls.order.begin(), s.calls.order.begin() + 3));
}

TEST(WmiQueryTable, RowsPerInstanceAndNamesFromTheFirstOnly) {
  FakeSource s;
  for (int i = 0; i < 3; ++i)
    s.instances.push_back(Instance({{i ? "other" : "Name", kCimUint32, WmiValue::Int(i * 10), ""},
                                    {i ? "other" : "Size", kCimString, WmiValue::Str("s"), ""}}));
  Outcome r = RunOn(s);
  EXPECT_EQ(2, r.result);
  EXPECT_EQ(3, r.count);
  WmiResultGrid want = {{"Instance", "Name", "Size"}, {"1", "0", "s"}, {"2", "10", "s"},
                        {"3", "20", "s"}};
  EXPECT_EQ(want, r.grid);
  EXPECT_EQ(2, s.calls.names);
}

TEST(WmiQueryTable, NothingMatchedGivesAnEmptyTable) {
  FakeSource s;
  Outcome r;
  r.grid = {{"old"}};
  r.count = 7;
  r.error = "old";
  r.result = RunWmiQuery(s, "", "", "", "", "SELECT * FROM Win32_BIOS WHERE 1=0", r.grid, r.count,
                         r.error);
  EXPECT_EQ(0, r.result);
  EXPECT_EQ(0, r.count);
  EXPECT_TRUE(r.grid.empty());
  EXPECT_EQ("", r.error);
}

TEST(WmiQueryTable, AZeroCountStopsBeforeEnumerating) {
  FakeSource s;
  s.count = 0;
  s.instances = {Instance({{"a", kCimString, WmiValue::Str("x"), ""}})};
  Outcome r = RunOn(s);
  EXPECT_EQ(0, r.result);
  EXPECT_TRUE(r.grid.empty());
  EXPECT_EQ(0, s.calls.instancesTaken);
}

TEST(WmiQueryTable, SurplusPropertiesOfALaterInstanceAreLeftOut) {
  FakeSource s;
  s.instances = {Instance({{"a", kCimUint8, WmiValue::Int(1), ""}}),
                 Instance({{"a", kCimUint8, WmiValue::Int(2), ""},
                           {"b", kCimUint8, WmiValue::Int(3), ""},
                           {"c", kCimUint8, WmiValue::Int(4), ""}})};
  Outcome r = RunOn(s);
  EXPECT_EQ(3, r.result);  // the last instance's count
  WmiResultGrid want = {{"Instance", "a"}, {"1", "1"}, {"2", "2"}};
  EXPECT_EQ(want, r.grid);
}

TEST(WmiQueryTable, FewerPropertiesLeaveEmptyCells) {
  FakeSource s;
  s.instances = {Instance({{"a", kCimUint8, WmiValue::Int(1), ""}, {"b", kCimUint8, WmiValue::Int(2), ""}}),
                 Instance({{"a", kCimUint8, WmiValue::Int(5), ""}})};
  Outcome r = RunOn(s);
  EXPECT_EQ(1, r.result);
  WmiResultGrid want = {{"Instance", "a", "b"}, {"1", "1", "2"}, {"2", "5", ""}};
  EXPECT_EQ(want, r.grid);
}

TEST(WmiQueryTable, MoreInstancesThanCountedAreLeftOut) {
  FakeSource s;
  s.count = 2;
  for (int i = 0; i < 5; ++i) s.instances.push_back(Instance({{"a", kCimSint32, WmiValue::Int(i), ""}}));
  Outcome r = RunOn(s);
  EXPECT_EQ(1, r.result);
  EXPECT_EQ(2, r.count);
  ASSERT_EQ(3u, r.grid.size());
  EXPECT_EQ("1", r.grid[2][1]);
}

TEST(WmiQueryTable, FewerInstancesThanCountedLeaveEmptyRows) {
  FakeSource s;
  s.count = 3;
  s.instances = {Instance({{"a", kCimSint32, WmiValue::Int(9), ""}})};
  Outcome r = RunOn(s);
  EXPECT_EQ(1, r.result);
  EXPECT_EQ(3, r.count);
  WmiResultGrid want = {{"Instance", "a"}, {"1", "9"}, {"", ""}, {"", ""}};
  EXPECT_EQ(want, r.grid);
}

TEST(WmiQueryTable, AnInstanceWithoutPropertiesGivesZero) {
  FakeSource s;
  s.instances = {Instance({})};
  Outcome r = RunOn(s);
  EXPECT_EQ(0, r.result);
  WmiResultGrid want = {{"Instance"}, {"1"}};
  EXPECT_EQ(want, r.grid);
}

TEST(WmiQueryFailure, PlatformMessageIsTrimmed) {
  FakeSource s;
  s.openError = " \r\nInvalid class \r\n";
  Outcome r = RunOn(s, "select * from Win32_BIOS");
  EXPECT_EQ(-1, r.result);
  EXPECT_EQ("Invalid class", r.error);
  EXPECT_EQ(0, r.count);
  EXPECT_TRUE(r.grid.empty());
}

TEST(WmiQueryFailure, AMessagelessFailureGivesEmptyText) {
  FakeSource s;
  s.openError = "\t \n";
  EXPECT_EQ("", RunOn(s).error);
  EXPECT_EQ(-1, RunOn(s).result);
}

TEST(WmiQueryFailure, ALaterFailureKeepsCountAndFilledRows) {
  FakeSource s;
  s.instances = {Instance({{"a", kCimString, WmiValue::Str("ok"), ""}}),
                 Instance({{"a", kCimString, WmiValue::Str(""), "Generic failure"}}),
                 Instance({{"a", kCimString, WmiValue::Str("never"), ""}})};
  Outcome r = RunOn(s);
  EXPECT_EQ(-1, r.result);
  EXPECT_EQ("Generic failure", r.error);
  EXPECT_EQ(3, r.count);
  ASSERT_EQ(4u, r.grid.size());
  EXPECT_EQ("ok", r.grid[1][1]);
  EXPECT_EQ("2", r.grid[2][0]);
  EXPECT_EQ(2, s.calls.instancesTaken);
}

TEST(WmiQueryFailure, AnUnconvertibleValueFailsTheWholeCall) {
  FakeSource s;
  s.instances = {Instance({{"Fine", kCimUint64, WmiValue::Str("5000000000"), ""},
                           {"TooBig", kCimSint64, WmiValue::Str("5000000000"), ""}})};
  Outcome r = RunOn(s);
  EXPECT_EQ(-1, r.result);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ("5000000000", r.grid[1][1]);
}

TEST(WmiQueryFailure, ReportedSeparatorReachesReals) {
  FakeSource s;
  s.sep = ',';
  s.instances = {Instance({{"r", kCimReal64, WmiValue::Real(2.5), ""}})};
  EXPECT_EQ("2,5", RunOn(s).grid[1][1]);
}

TEST(WmiValueText, NullOfAnyTypeIsNULL) {
  for (int t : {2, 3, 4, 5, 8, 11, 13, 16, 17, 18, 19, 20, 21, 101, 102, 103, 0, 77})
    EXPECT_EQ("NULL", Text(t, WmiValue::Null())) << t;
}

TEST(WmiValueText, IntegerCodesGiveSigned32BitDecimal) {
  for (int t : {2, 3, 16, 17, 18, 19, 20}) {
    EXPECT_EQ("0", Text(t, WmiValue::Int(0))) << t;
    EXPECT_EQ("-42", Text(t, WmiValue::Int(-42))) << t;
    EXPECT_EQ("2147483647", Text(t, WmiValue::Int(2147483647))) << t;
    EXPECT_EQ("-2147483648", Text(t, WmiValue::Str("-2147483648"))) << t;
    EXPECT_EQ("1234567", Text(t, WmiValue::Str("1234567"))) << t;
  }
  EXPECT_EQ("-1", Text(kCimSint16, WmiValue::Bool(true)));
  EXPECT_EQ("3", Text(kCimSint32, WmiValue::Real(2.6)));
  EXPECT_EQ("0", Text(kCimUint32, WmiValue()));  // empty
}

TEST(WmiValueText, Sint64OutsideInt32FailsUint64IsText) {
  EXPECT_THROW(Text(kCimSint64, WmiValue::Str("5000000000")), WmiError);
  EXPECT_THROW(Text(kCimSint64, WmiValue::Str("-2147483649")), WmiError);
  EXPECT_THROW(Text(kCimSint64, WmiValue::Int(5000000000LL)), WmiError);
  EXPECT_THROW(Text(kCimSint64, WmiValue::Str("99999999999999999999999")), WmiError);
  EXPECT_THROW(Text(kCimSint32, WmiValue::Str("12abc")), WmiError);
  EXPECT_THROW(Text(kCimSint32, WmiValue::Str("")), WmiError);
  EXPECT_THROW(Text(kCimSint32, WmiValue::Obj()), WmiError);
  EXPECT_EQ("5000000000", Text(kCimUint64, WmiValue::Str("5000000000")));
  EXPECT_EQ("18446744073709551615", Text(kCimUint64, WmiValue::Str("18446744073709551615")));
}

TEST(WmiValueText, RealsAsGeneralNumberText) {
  EXPECT_EQ("0.100000001490116", Text(kCimReal32, WmiValue::Real(static_cast<double>(0.1f))));
  EXPECT_EQ("0.0001", Text(kCimReal64, WmiValue::Real(0.0001)));
  EXPECT_EQ("1E-5", Text(kCimReal64, WmiValue::Real(0.00001)));
  EXPECT_EQ("1E15", Text(kCimReal64, WmiValue::Real(1e15)));
  EXPECT_EQ("123456789012345", Text(kCimReal64, WmiValue::Real(123456789012345.0)));
  EXPECT_EQ("1.5E20", Text(kCimReal64, WmiValue::Real(1.5e20)));
  EXPECT_EQ("0", Text(kCimReal32, WmiValue::Real(0)));
  EXPECT_EQ("0,25", Text(kCimReal64, WmiValue::Real(0.25), ','));
  EXPECT_EQ("7", Text(kCimReal64, WmiValue::Int(7)));
  EXPECT_EQ("2,5", Text(kCimReal64, WmiValue::Str("2,5"), ','));
  EXPECT_THROW(Text(kCimReal64, WmiValue::Str("abc")), WmiError);
}

TEST(WmiValueText, TextCodesAndFixedTexts) {
  EXPECT_EQ("C:\\WINDOWS", Text(kCimString, WmiValue::Str("C:\\WINDOWS")));
  EXPECT_EQ("\x93\xfa\x96\x7b", Text(kCimString, WmiValue::Str("\x93\xfa\x96\x7b")));  // Shift-JIS
  EXPECT_EQ("", Text(kCimString, WmiValue()));
  EXPECT_EQ("12", Text(kCimString, WmiValue::Int(12)));
  EXPECT_EQ("True", Text(kCimBoolean, WmiValue::Bool(true)));
  EXPECT_EQ("False", Text(kCimBoolean, WmiValue::Bool(false)));
  EXPECT_EQ("True", Text(kCimBoolean, WmiValue::Int(-1)));
  EXPECT_EQ("<CIM Object>", Text(kCimObject, WmiValue::Obj()));
  EXPECT_EQ("<16-bit character>", Text(kCimChar16, WmiValue::Int(65)));
  EXPECT_EQ("20261207223945.000000+540", Text(kCimDatetime, WmiValue::Str("20261207223945.000000+540")));
  EXPECT_EQ("\\\\PC\\root\\cimv2:Win32_Foo.Name=\"a\"",
            Text(kCimReference, WmiValue::Str("\\\\PC\\root\\cimv2:Win32_Foo.Name=\"a\"")));
  for (int t : {0, 1, 6, 7, 9, 14, 100, 104, 8192}) EXPECT_EQ("", Text(t, WmiValue::Str("x"))) << t;
}

TEST(WmiValueText, ArraysJoinedForIntegerAndTextCodes) {
  EXPECT_EQ("1|2|3", Text(kCimUint8, WmiValue::Arr(Ints({1, 2, 3}))));
  EXPECT_EQ("-7", Text(kCimSint16, WmiValue::Arr(Ints({-7}))));
  EXPECT_EQ("", Text(kCimUint16, WmiValue::Arr({})));
  EXPECT_EQ("10|20", Text(kCimSint64, WmiValue::Arr({WmiValue::Str("10"), WmiValue::Str("20")})));
  EXPECT_EQ("a|b", Text(kCimString, WmiValue::Arr({WmiValue::Str("a"), WmiValue::Str("b")})));
  EXPECT_EQ("", Text(kCimString, WmiValue::Arr({})));
  EXPECT_EQ("|x|", Text(kCimString, WmiValue::Arr({WmiValue::Str(""), WmiValue::Str("x"), WmiValue::Str("")})));
  EXPECT_EQ("5000000000", Text(kCimUint64, WmiValue::Arr({WmiValue::Str("5000000000")})));
  EXPECT_EQ("1|NULL", Text(kCimUint32, WmiValue::Arr({WmiValue::Int(1), WmiValue::Null()})));
  EXPECT_THROW(Text(kCimSint64, WmiValue::Arr({WmiValue::Str("1"), WmiValue::Str("5000000000")})), WmiError);
}

TEST(WmiValueText, ArraysFailWhereRenderingIsNotArrayAware) {
  WmiValue arr = WmiValue::Arr({WmiValue::Str("1")});
  for (int t : {kCimReal32, kCimReal64, kCimBoolean, kCimDatetime, kCimReference})
    EXPECT_THROW(Text(t, arr), WmiError) << t;
  EXPECT_EQ("<CIM Object>", Text(kCimObject, arr));
  EXPECT_EQ("<16-bit character>", Text(kCimChar16, arr));
}

TEST(WmiClassItems, SeventyOneClassesThenSixQueries) {
  EXPECT_STREQ("Win32_OperatingSystem", kWmiClassItems[0]);
  EXPECT_STREQ("Win32_TemperatureProbe ", kWmiClassItems[60]);
  EXPECT_STREQ("Win32_PerfRawData_RemoteAccess_RASPort", kWmiClassItems[70]);
  for (int i = 0; i < 77; ++i) {
    bool query = std::strncmp(kWmiClassItems[i], "SELECT", 6) == 0;
    EXPECT_EQ(i >= 71, query) << i;
  }
  EXPECT_NE(nullptr, std::strstr(kWmiClassItems[73], "NetConnectionID  FROM"));
}

// wmiquery: runs one WMI request (a class name or a WQL text) and returns
// every property of every instance as text, in a table the HARD tab shows.
//
// The engine reaches WMI through WmiSource, which yields an object set with
// its reported count, the instances one by one and, per instance, its
// properties (name, CIM type code, tagged value). The Win32 source talks to
// the WMI scripting interface; tests feed given values through fakes.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A property value as the platform tags it (an automation VARIANT, already
// converted to ANSI text where it is text).
struct WmiValue {
  enum class Tag { Empty, Null, Integer, Real, Boolean, Text, Object, Array, Other };
  Tag tag = Tag::Empty;
  int64_t integer = 0;     // Integer; Boolean: 0 or 1
  bool unsignedWide = false;  // Integer holds an unsigned value above INT64_MAX
  double real = 0;         // Real (a single is widened exactly)
  std::string text;        // Text; Other: the platform's name of the tag
  std::vector<WmiValue> items;  // Array: elements from index 0

  static WmiValue Null() { WmiValue v; v.tag = Tag::Null; return v; }
  static WmiValue Int(int64_t i) { WmiValue v; v.tag = Tag::Integer; v.integer = i; return v; }
  static WmiValue Real(double d) { WmiValue v; v.tag = Tag::Real; v.real = d; return v; }
  static WmiValue Bool(bool b) { WmiValue v; v.tag = Tag::Boolean; v.integer = b; return v; }
  static WmiValue Str(const std::string& s) { WmiValue v; v.tag = Tag::Text; v.text = s; return v; }
  static WmiValue Obj() { WmiValue v; v.tag = Tag::Object; return v; }
  static WmiValue Arr(std::vector<WmiValue> e) {
    WmiValue v; v.tag = Tag::Array; v.items = std::move(e); return v;
  }
};

// CIM type codes as the scripting interface reports them (no array flag).
enum WmiCimType {
  kCimSint16 = 2, kCimSint32 = 3, kCimReal32 = 4, kCimReal64 = 5, kCimString = 8,
  kCimBoolean = 11, kCimObject = 13, kCimSint8 = 16, kCimUint8 = 17, kCimUint16 = 18,
  kCimUint32 = 19, kCimSint64 = 20, kCimUint64 = 21, kCimDatetime = 101,
  kCimReference = 102, kCimChar16 = 103,
};

// A failed platform call or conversion; what() is the failure's message
// (may be empty).
class WmiError : public std::runtime_error {
 public:
  explicit WmiError(const std::string& message) : std::runtime_error(message) {}
};

// Every call below may throw WmiError (or any std::exception) for a failure.
class WmiProperty {
 public:
  virtual ~WmiProperty() = default;
  virtual WmiValue Value() = 0;
  virtual int CimType() = 0;
  virtual std::string Name() = 0;  // ANSI
};

// One instance; its properties are used only while it lives.
class WmiInstance {
 public:
  virtual ~WmiInstance() = default;
  virtual int PropertyCount() = 0;
  // The next property in enumeration order; nullptr at the end or when the
  // enumerator's Next reports an error.
  virtual std::unique_ptr<WmiProperty> NextProperty() = 0;
};

// The object set of one request; its instances are used only while it lives.
class WmiObjectSet {
 public:
  virtual ~WmiObjectSet() = default;
  virtual int Count() = 0;
  // nullptr at the end or when the enumerator's Next reports an error.
  virtual std::unique_ptr<WmiInstance> NextInstance() = 0;
};

struct WmiRequest {
  enum class Method { ExecQuery, InstancesOf };
  std::string server, nameSpace, user, password;  // for ConnectServer
  Method method = Method::InstancesOf;
  std::string text;      // the WQL text or the class name, unchanged
  std::string language;  // "WQL" for ExecQuery, empty otherwise
  int flags = 0;
};

// wbemFlagReturnImmediately, and with wbemQueryFlagShallow.
constexpr int kWmiExecQueryFlags = 16;
constexpr int kWmiInstancesOfFlags = 17;

// The platform seam of the WMI browser.
class WmiSource {
 public:
  virtual ~WmiSource() = default;
  // Creates the locator, connects and runs the request.
  virtual std::unique_ptr<WmiObjectSet> Open(const WmiRequest& request) = 0;
  // The user locale's decimal separator, for reals.
  virtual char DecimalSeparator() { return '.'; }
  // The HARD tab's failure sound (MessageBeep).
  virtual void Beep(unsigned type) {}
};

// [row][column]; row 0 is the header row ("Instance" and the names).
using WmiResultGrid = std::vector<std::vector<std::string>>;

// How a request text is sent: ExecQuery when it starts with the upper-case
// word SELECT at its first character, else InstancesOf with it as a class.
WmiRequest MakeWmiRequest(const std::string& server, const std::string& nameSpace,
                          const std::string& user, const std::string& password,
                          const std::string& query);

// The text of one property value under its CIM type code. Throws WmiError
// when the value cannot be converted.
std::string WmiValueText(int cimType, const WmiValue& value, char decimalSeparator = '.');
std::string WmiValueText(WmiProperty& property, char decimalSeparator = '.');

// Runs one request. Returns -1 on failure (error holds the trimmed message),
// 0 when nothing was returned, else the property count of the last instance.
// grid, count and error are reset on entry.
int RunWmiQuery(WmiSource& source, const std::string& server, const std::string& nameSpace,
                const std::string& user, const std::string& password, const std::string& query,
                WmiResultGrid& grid, int& count, std::string& error);

// The items of edtClass: 71 class names, then 6 queries.
extern const char* const kWmiClassItems[77];

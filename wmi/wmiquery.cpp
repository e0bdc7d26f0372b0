#include "wmi/wmiquery.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/text.h"

namespace {

std::string TagName(const WmiValue& v) {
  switch (v.tag) {
    case WmiValue::Tag::Empty: return "Empty";
    case WmiValue::Tag::Null: return "Null";
    case WmiValue::Tag::Integer: return "Integer";
    case WmiValue::Tag::Real: return "Double";
    case WmiValue::Tag::Boolean: return "Boolean";
    case WmiValue::Tag::Text: return "String";
    case WmiValue::Tag::Object: return "Dispatch";
    case WmiValue::Tag::Array: return "Array";
    case WmiValue::Tag::Other: return v.text.empty() ? "Unknown" : v.text;
  }
  return "Unknown";
}

[[noreturn]] void CannotConvert(const WmiValue& v, const char* to) {
  throw WmiError(base::Format("Could not convert variant of type (%s) into type (%s)",
                            TagName(v).c_str(), to));
}

[[noreturn]] void Overflow(const WmiValue& v, const char* to) {
  throw WmiError(base::Format("Overflow while converting variant of type (%s) into type (%s)",
                            TagName(v).c_str(), to));
}

bool InInt32(int64_t i) {
  return i >= std::numeric_limits<int32_t>::min() && i <= std::numeric_limits<int32_t>::max();
}

// Decimal text as WMI delivers 64-bit integers: blanks around, an optional
// sign, digits only.
int32_t ParseInt32(const WmiValue& v) {
  std::string s = base::Trim(v.text);
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  if (i == s.size()) CannotConvert(v, "Integer");
  int64_t acc = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') CannotConvert(v, "Integer");
    acc = acc * 10 + (s[i] - '0');
    if (acc > int64_t(1) << 32) Overflow(v, "Integer");
  }
  if (neg) acc = -acc;
  if (!InInt32(acc)) Overflow(v, "Integer");
  return static_cast<int32_t>(acc);
}

int32_t ToInt32(const WmiValue& v) {
  switch (v.tag) {
    case WmiValue::Tag::Empty: return 0;
    case WmiValue::Tag::Integer:
      if (v.unsignedWide || !InInt32(v.integer)) Overflow(v, "Integer");
      return static_cast<int32_t>(v.integer);
    case WmiValue::Tag::Real: {
      if (!std::isfinite(v.real)) Overflow(v, "Integer");
      double r = std::nearbyint(v.real);
      if (r < -2147483648.0 || r > 2147483647.0) Overflow(v, "Integer");
      return static_cast<int32_t>(r);
    }
    case WmiValue::Tag::Boolean: return v.integer ? -1 : 0;
    case WmiValue::Tag::Text: return ParseInt32(v);
    default: CannotConvert(v, "Integer");
  }
}

double ToDouble(const WmiValue& v, char sep) {
  switch (v.tag) {
    case WmiValue::Tag::Empty: return 0;
    case WmiValue::Tag::Integer:
      return v.unsignedWide ? static_cast<double>(static_cast<uint64_t>(v.integer))
                            : static_cast<double>(v.integer);
    case WmiValue::Tag::Real: return v.real;
    case WmiValue::Tag::Boolean: return v.integer ? -1 : 0;
    case WmiValue::Tag::Text: {
      std::string s = base::Trim(v.text);
      for (char& c : s)
        if (c == sep) c = '.';
      char* end = nullptr;
      double d = s.empty() ? 0 : std::strtod(s.c_str(), &end);
      if (s.empty() || *end != '\0') CannotConvert(v, "Double");
      return d;
    }
    default: CannotConvert(v, "Double");
  }
}

std::string ToText(const WmiValue& v, char sep) {
  switch (v.tag) {
    case WmiValue::Tag::Empty: return std::string();
    case WmiValue::Tag::Integer:
      return v.unsignedWide ? std::to_string(static_cast<uint64_t>(v.integer))
                            : std::to_string(v.integer);
    case WmiValue::Tag::Real: return base::GeneralNumberText(v.real, sep);
    case WmiValue::Tag::Boolean: return v.integer ? "True" : "False";
    case WmiValue::Tag::Text: return v.text;
    default: CannotConvert(v, "String");
  }
}

bool EqualsNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

bool ToBool(const WmiValue& v, char sep) {
  switch (v.tag) {
    case WmiValue::Tag::Empty: return false;
    case WmiValue::Tag::Integer:
    case WmiValue::Tag::Boolean: return v.integer != 0;
    case WmiValue::Tag::Real: return v.real != 0;
    case WmiValue::Tag::Text: {
      std::string s = base::Trim(v.text);
      if (EqualsNoCase(s, "True")) return true;
      if (EqualsNoCase(s, "False")) return false;
      return ToDouble(v, sep) != 0;
    }
    default: CannotConvert(v, "Boolean");
  }
}

std::string IntegerText(const WmiValue& v) {
  if (v.tag == WmiValue::Tag::Null) return "NULL";
  return std::to_string(ToInt32(v));
}

std::string StringText(const WmiValue& v, char sep) {
  if (v.tag == WmiValue::Tag::Null) return "NULL";
  return ToText(v, sep);
}

template <class F>
std::string Joined(const WmiValue& v, F element) {
  std::string out;
  for (size_t i = 0; i < v.items.size(); ++i) {
    if (i) out += '|';
    out += element(v.items[i]);
  }
  return out;
}

void RejectArray(const WmiValue& v, const char* to) {
  if (v.tag == WmiValue::Tag::Array) CannotConvert(v, to);
}

}  // namespace

WmiRequest MakeWmiRequest(const std::string& server, const std::string& nameSpace,
                          const std::string& user, const std::string& password,
                          const std::string& query) {
  WmiRequest r;
  r.server = server;
  r.nameSpace = nameSpace;
  r.user = user;
  r.password = password;
  r.text = query;
  if (query.compare(0, 6, "SELECT") == 0) {
    r.method = WmiRequest::Method::ExecQuery;
    r.language = "WQL";
    r.flags = kWmiExecQueryFlags;
  } else {
    r.method = WmiRequest::Method::InstancesOf;
    r.flags = kWmiInstancesOfFlags;
  }
  return r;
}

std::string WmiValueText(int cimType, const WmiValue& v, char sep) {
  if (v.tag == WmiValue::Tag::Null) return "NULL";
  const bool array = v.tag == WmiValue::Tag::Array;
  switch (cimType) {
    case kCimSint16: case kCimSint32: case kCimSint8: case kCimUint8:
    case kCimUint16: case kCimUint32: case kCimSint64:
      return array ? Joined(v, IntegerText) : IntegerText(v);
    case kCimReal32: case kCimReal64:
      RejectArray(v, "Double");
      return base::GeneralNumberText(ToDouble(v, sep), sep);
    case kCimString: case kCimUint64:
      return array ? Joined(v, [sep](const WmiValue& e) { return StringText(e, sep); })
                   : ToText(v, sep);
    case kCimBoolean:
      RejectArray(v, "Boolean");
      return ToBool(v, sep) ? "True" : "False";
    case kCimObject: return "<CIM Object>";
    case kCimDatetime: case kCimReference:
      RejectArray(v, "String");
      return ToText(v, sep);
    case kCimChar16: return "<16-bit character>";
    default: return std::string();
  }
}

std::string WmiValueText(WmiProperty& property, char sep) {
  WmiValue v = property.Value();
  int type = property.CimType();
  return WmiValueText(type, v, sep);
}

int RunWmiQuery(WmiSource& source, const std::string& server, const std::string& nameSpace,
                const std::string& user, const std::string& password, const std::string& query,
                WmiResultGrid& grid, int& count, std::string& error) {
  grid.clear();
  count = 0;
  error.clear();
  try {
    int result = 0;
    std::unique_ptr<WmiObjectSet> set =
        source.Open(MakeWmiRequest(server, nameSpace, user, password, query));
    count = set->Count();
    if (count <= 0) return 0;
    const char sep = source.DecimalSeparator();
    // The first instance fixes the width, the count the height; whatever
    // does not fit is left out.
    size_t width = 0;
    for (int n = 1; n <= count; ++n) {
      std::unique_ptr<WmiInstance> instance = set->NextInstance();
      if (!instance) break;
      int props = instance->PropertyCount();
      result = props;
      if (n == 1) {
        width = static_cast<size_t>(props > 0 ? props : 0) + 1;
        grid.assign(static_cast<size_t>(count) + 1, std::vector<std::string>(width));
        grid[0][0] = "Instance";
      }
      std::vector<std::string>& row = grid[static_cast<size_t>(n)];
      row[0] = std::to_string(n);
      for (size_t p = 1; p < width; ++p) {
        std::unique_ptr<WmiProperty> property = instance->NextProperty();
        if (!property) break;
        row[p] = WmiValueText(*property, sep);
        if (n == 1) grid[0][p] = property->Name();
      }
    }
    return result;
  } catch (const std::exception& e) {
    error = base::Trim(e.what());
  } catch (...) {
    error.clear();
  }
  return -1;
}

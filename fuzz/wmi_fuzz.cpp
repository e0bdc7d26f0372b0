// WMI values and result shapes from the input. WmiValueText is held to the
// rendering table (NULL, the fixed texts, decimal integers with 32-bit
// overflow failing, reals as general number text, "|"-joined arrays for the
// integer and string codes, arrays failing elsewhere) and may fail only
// with WmiError. RunWmiQuery runs against a fake WMI built from the input,
// with counts, widths and failures anywhere; a model of the documented
// steps predicts the table, the count, the error text and the result.
#include <cstring>
#include <limits>
#include <map>
#include <memory>

#include "base/text.h"
#include "fuzz/fuzz_input.h"
#include "wmi/wmiquery.h"

namespace {

const int kKnownTypes[16] = {2, 3, 4, 5, 8, 11, 13, 16, 17, 18, 19, 20, 21, 101, 102, 103};

int CimType(fuzz::Input& in) {
  const std::uint8_t b = in.U8();
  return (b & 0x80) ? (b & 0x7F) : kKnownTypes[b % 16];
}

WmiValue Value(fuzz::Input& in, int depth = 0) {
  WmiValue v;
  const std::uint8_t t = in.U8();
  switch (t % 9) {
    case 0: break;
    case 1: v.tag = WmiValue::Tag::Null; break;
    case 2:
      v.tag = WmiValue::Tag::Integer;
      // Mostly small values, sometimes any 64 bits.
      v.integer = (t & 0x80) ? static_cast<std::int64_t>(in.U64()) : in.I32();
      v.unsignedWide = (t & 0x40) && v.integer < 0;
      break;
    case 3: {
      v.tag = WmiValue::Tag::Real;
      if (t & 0x80) {  // a single, widened
        std::uint32_t bits = in.U32();
        float f;
        std::memcpy(&f, &bits, 4);
        v.real = f;
      } else {
        std::uint64_t bits = in.U64();
        std::memcpy(&v.real, &bits, 8);
      }
      break;
    }
    case 4: v.tag = WmiValue::Tag::Boolean; v.integer = (t >> 4) & 1; break;
    case 5: v.tag = WmiValue::Tag::Text; v.text = in.Text(32); break;
    case 6: v.tag = WmiValue::Tag::Object; break;
    case 7: {
      v.tag = WmiValue::Tag::Array;
      const int n = depth < 2 ? in.U8() % 6 : 0;
      for (int i = 0; i < n; ++i) v.items.push_back(Value(in, depth + 1));
      break;
    }
    default: v.tag = WmiValue::Tag::Other; v.text = in.Text(8); break;
  }
  return v;
}

bool IsIntegerCode(int c) { return c == 2 || c == 3 || c == 16 || c == 17 || c == 18 || c == 19 || c == 20; }

// Outcome of one rendering: its text, or that it failed (and how).
struct Rendered {
  bool failed = false;
  std::string text;
};

Rendered Render(int type, const WmiValue& v, char sep) {
  Rendered r;
  try {
    r.text = WmiValueText(type, v, sep);
  } catch (const WmiError&) {
    r.failed = true;
  } catch (const std::exception& e) {
    fuzz::Fail("a conversion failed with something other than WmiError", e.what(), "");
  }
  return r;
}

// A decimal text of at most nine digits: always inside 32 bits.
bool ShortDecimal(const std::string& s) {
  std::size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
  if (s.size() - i < 1 || s.size() - i > 9) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

void CheckValue(int type, const WmiValue& v, char sep) {
  const Rendered r = Render(type, v, sep);
  const bool array = v.tag == WmiValue::Tag::Array;
  auto text = [&](const char* what, const std::string& want) {
    if (r.failed) fuzz::Fail(what, "<failed>", want);
    fuzz::Same(what, r.text, want);
  };
  auto fails = [&](const char* what) {
    if (!r.failed) fuzz::Fail(what, r.text, "<failed>");
  };
  if (v.tag == WmiValue::Tag::Null) return text("null value", "NULL");
  if (type == 13) return text("embedded object", "<CIM Object>");
  if (type == 103) return text("char16", "<16-bit character>");

  const bool joins = IsIntegerCode(type) || type == 8 || type == 21;
  if (array) {
    if (!joins) {
      if (type == 4 || type == 5 || type == 11 || type == 101 || type == 102)
        return fails("array under a code that renders single values");
      return text("unknown code", "");
    }
    // Flat arrays: the elements' own texts joined by "|"; a failing element fails all.
    std::string want;
    for (std::size_t i = 0; i < v.items.size(); ++i) {
      if (v.items[i].tag == WmiValue::Tag::Array) return;
      const Rendered e = Render(type, v.items[i], sep);
      if (e.failed) return fails("array with an element that does not convert");
      if (i) want += '|';
      want += e.text;
    }
    return text("array", want);
  }

  if (IsIntegerCode(type)) {
    if (v.tag == WmiValue::Tag::Integer) {
      const bool fits = !v.unsignedWide && v.integer >= std::numeric_limits<std::int32_t>::min() &&
                        v.integer <= std::numeric_limits<std::int32_t>::max();
      if (!fits) return fails("integer outside 32 bits");
      return text("integer", std::to_string(v.integer));
    }
    if (v.tag == WmiValue::Tag::Text && ShortDecimal(v.text))
      return text("integer delivered as text", std::to_string(std::stoll(v.text)));
    if (v.tag == WmiValue::Tag::Object || v.tag == WmiValue::Tag::Other)
      return fails("integer from something that is not a number");
    if (!r.failed) {
      // Whatever else converts gives a plain decimal.
      const std::string& s = r.text;
      fuzz::Check("integer text is decimal", !s.empty() && s.find_first_not_of("-0123456789") == std::string::npos);
    }
    return;
  }
  switch (type) {
    case 4: case 5:
      if (v.tag == WmiValue::Tag::Real) return text("real", base::GeneralNumberText(v.real, sep));
      if (v.tag == WmiValue::Tag::Integer && !v.unsignedWide)
        return text("real from an integer", base::GeneralNumberText(static_cast<double>(v.integer), sep));
      return;
    case 8: case 21:
      if (v.tag == WmiValue::Tag::Text) return text("string", v.text);
      if (v.tag == WmiValue::Tag::Integer)
        return text("string from an integer", v.unsignedWide ? std::to_string(static_cast<std::uint64_t>(v.integer))
                                                            : std::to_string(v.integer));
      return;
    case 11:
      if (v.tag == WmiValue::Tag::Boolean) return text("boolean", v.integer ? "True" : "False");
      if (!r.failed) fuzz::Check("boolean text", r.text == "True" || r.text == "False");
      return;
    case 101: case 102:
      if (v.tag == WmiValue::Tag::Text) return text("date-time or reference", v.text);
      return;
    default:
      return text("unknown code", "");
  }
}

// ---- the fake WMI ----

struct Failure {
  enum Kind { None, Wmi, Other, NonStandard } kind = None;
  std::string message;
};

Failure ReadFailure(fuzz::Input& in, std::uint8_t ctl) {
  Failure f;
  if ((ctl & 0xE0) != 0xE0) return f;  // one in eight
  static const Failure::Kind kinds[4] = {Failure::Wmi, Failure::Wmi, Failure::Other, Failure::NonStandard};
  f.kind = kinds[ctl & 3];
  if (f.kind != Failure::NonStandard) {  // a C string, as exception messages are
    f.message = in.Text(24);
    f.message = f.message.substr(0, f.message.find('\0'));
  }
  return f;
}

struct NonStandardThrow {};

void Raise(const Failure& f) {
  switch (f.kind) {
    case Failure::None: return;
    case Failure::Wmi: throw WmiError(f.message);
    case Failure::Other: throw std::runtime_error(f.message);
    case Failure::NonStandard: throw NonStandardThrow{};
  }
}

struct PropertyScript {
  std::string name;
  int type = 0;
  WmiValue value;
  Failure valueFails, typeFails, nameFails;
};

struct InstanceScript {
  Failure nextFails;  // the enumerator's Next fails instead of yielding this one
  int reported = 0;   // the property set's Count
  Failure countFails;
  std::vector<PropertyScript> properties;
};

struct Script {
  std::string server, nameSpace, user, password, query;
  Failure openFails;
  int count = 0;
  Failure countFails;
  char sep = '.';
  std::vector<InstanceScript> instances;
};

Script ReadScript(fuzz::Input& in) {
  Script s;
  static const char* const queries[5] = {"Win32_BIOS", "SELECT * FROM Win32_BIOS", " SELECT * FROM Win32_BIOS",
                                         "select * from Win32_BIOS", "SELEC"};
  const std::uint8_t q = in.U8();
  s.query = q < 200 ? queries[q % 5] : in.Text(40);
  if (in.Bool()) {
    s.server = in.Text(8);
    s.nameSpace = in.Text(8);
    s.user = in.Text(8);
    s.password = in.Text(8);
  }
  s.openFails = ReadFailure(in, in.U8());
  s.count = static_cast<int>(in.U8() % 44) - 3;
  s.countFails = ReadFailure(in, in.U8());
  s.sep = static_cast<char>(in.U8());
  const int instances = in.U8() % 12;
  for (int i = 0; i < instances && !in.Empty(); ++i) {
    InstanceScript inst;
    inst.nextFails = ReadFailure(in, in.U8());
    inst.reported = static_cast<int>(in.U8() % 13) - 1;
    inst.countFails = ReadFailure(in, in.U8());
    const int props = in.U8() % 12;
    for (int p = 0; p < props && !in.Empty(); ++p) {
      PropertyScript ps;
      ps.name = in.Text(12);
      ps.type = CimType(in);
      ps.value = Value(in);
      const std::uint8_t f = in.U8();
      // At most one of the three calls fails.
      Failure fail = ReadFailure(in, f);
      if ((f & 0x0C) == 0) ps.valueFails = fail;
      else if ((f & 0x0C) == 4) ps.typeFails = fail;
      else ps.nameFails = fail;
      inst.properties.push_back(ps);
    }
    s.instances.push_back(inst);
  }
  return s;
}

class FakeProperty : public WmiProperty {
 public:
  explicit FakeProperty(const PropertyScript& s) : s_(s) {}
  WmiValue Value() override { Raise(s_.valueFails); return s_.value; }
  int CimType() override { Raise(s_.typeFails); return s_.type; }
  std::string Name() override { Raise(s_.nameFails); return s_.name; }

 private:
  const PropertyScript& s_;
};

class FakeInstance : public WmiInstance {
 public:
  explicit FakeInstance(const InstanceScript& s) : s_(s) {}
  int PropertyCount() override { Raise(s_.countFails); return s_.reported; }
  std::unique_ptr<WmiProperty> NextProperty() override {
    if (next_ >= s_.properties.size()) return nullptr;
    return std::make_unique<FakeProperty>(s_.properties[next_++]);
  }

 private:
  const InstanceScript& s_;
  std::size_t next_ = 0;
};

class FakeSet : public WmiObjectSet {
 public:
  explicit FakeSet(const Script& s) : s_(s) {}
  int Count() override { Raise(s_.countFails); return s_.count; }
  std::unique_ptr<WmiInstance> NextInstance() override {
    if (next_ >= s_.instances.size()) return nullptr;
    const InstanceScript& i = s_.instances[next_++];
    Raise(i.nextFails);
    return std::make_unique<FakeInstance>(i);
  }

 private:
  const Script& s_;
  std::size_t next_ = 0;
};

class FakeSource : public WmiSource {
 public:
  explicit FakeSource(const Script& s) : s_(s) {}
  int opens = 0;
  std::unique_ptr<WmiObjectSet> Open(const WmiRequest& r) override {
    ++opens;
    const bool select = s_.query.compare(0, 6, "SELECT") == 0;
    fuzz::Same("server", r.server, s_.server);
    fuzz::Same("namespace", r.nameSpace, s_.nameSpace);
    fuzz::Same("user", r.user, s_.user);
    fuzz::Same("password", r.password, s_.password);
    fuzz::Same("request text", r.text, s_.query);
    fuzz::Same("ExecQuery for SELECT", r.method == WmiRequest::Method::ExecQuery, select);
    fuzz::Same("language", r.language, select ? "WQL" : "");
    fuzz::Same("flags", r.flags, select ? 16 : 17);
    Raise(s_.openFails);
    return std::make_unique<FakeSet>(s_);
  }
  char DecimalSeparator() override { return s_.sep; }

 private:
  const Script& s_;
};

// ---- the model ----

struct Expected {
  WmiResultGrid grid;
  int count = 0;
  std::string error;
  int result = 0;
};

std::string MessageOf(const Failure& f) { return f.kind == Failure::NonStandard ? "" : fuzz::Trimmed(f.message); }

// A failure met by the model: the message the error text should carry.
struct Stop {
  std::string error;
};

void Meet(const Failure& f) {
  if (f.kind != Failure::None) throw Stop{MessageOf(f)};
}

// Surplus instances and properties (beyond the count, or beyond the first
// instance's width) are not asked for.
Expected Model(const Script& s) {
  Expected x;
  try {
    Meet(s.openFails);
    Meet(s.countFails);
    x.count = s.count;
    if (s.count <= 0) return x;
    std::size_t width = 0;
    for (int n = 1; n <= s.count; ++n) {
      if (static_cast<std::size_t>(n) > s.instances.size()) break;
      const InstanceScript& inst = s.instances[n - 1];
      Meet(inst.nextFails);
      Meet(inst.countFails);
      x.result = inst.reported;
      if (n == 1) {
        width = static_cast<std::size_t>(std::max(inst.reported, 0)) + 1;
        x.grid.assign(static_cast<std::size_t>(s.count) + 1, std::vector<std::string>(width));
        x.grid[0][0] = "Instance";
      }
      x.grid[n][0] = std::to_string(n);
      for (std::size_t p = 1; p < width && p <= inst.properties.size(); ++p) {
        const PropertyScript& ps = inst.properties[p - 1];
        Meet(ps.valueFails);
        Meet(ps.typeFails);
        const Rendered r = Render(ps.type, ps.value, s.sep);
        if (r.failed) {
          // The conversion's own message: whatever the program says, trimmed.
          try {
            WmiValueText(ps.type, ps.value, s.sep);
          } catch (const WmiError& e) {
            throw Stop{fuzz::Trimmed(e.what())};
          }
        }
        x.grid[n][p] = r.text;
        if (n == 1) {
          Meet(ps.nameFails);
          x.grid[0][p] = ps.name;
        }
      }
    }
  } catch (const Stop& stop) {
    x.error = stop.error;
    x.result = -1;
  }
  return x;
}

void CheckQuery(fuzz::Input& in) {
  const Script s = ReadScript(in);
  FakeSource source(s);
  WmiResultGrid grid = {{"stale"}};
  int count = 99;
  std::string error = "stale";
  const int result = RunWmiQuery(source, s.server, s.nameSpace, s.user, s.password, s.query, grid, count, error);
  const Expected x = Model(s);
  fuzz::Same("one open", source.opens, 1);
  fuzz::Same("result", result, x.result);
  fuzz::Same("error text", error, x.error);
  fuzz::Same("instance count", count, x.count);
  fuzz::Same("rows", grid.size(), x.grid.size());
  for (std::size_t r = 0; r < grid.size(); ++r) {
    fuzz::Same("cells in a row", grid[r].size(), x.grid[r].size());
    for (std::size_t c = 0; c < grid[r].size(); ++c) fuzz::Same("cell", grid[r][c], x.grid[r][c]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  if (in.U8() & 1) {
    CheckQuery(in);
  } else {
    const int type = CimType(in);
    const char sep = static_cast<char>(in.U8());
    CheckValue(type, Value(in), sep);
  }
  return 0;
}

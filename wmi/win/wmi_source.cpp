#include "wmi/win/wmi_source.h"

#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>
#include <wbemdisp.h>

#include <limits>
#include <utility>
#include <vector>

#include "app/win/main.h"
#include "base/text.h"
#include "base/win/late_bound.h"
#include "base/win/system_error.h"
#include "ui/win/app.h"

namespace {

// Owns one interface reference.
template <class T>
class Com {
 public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  Com(Com&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  Com& operator=(Com&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  ~Com() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& ansi) {
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    b_ = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (!b_) throw WmiError("Out of memory");
    if (n) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), b_, n);
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR Get() const { return b_; }
  BSTR* Out() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::string Ansi() const { return b_ ? WmiAnsiText(b_, static_cast<int>(SysStringLen(b_))) : ""; }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }
  VARIANT* Out() { return &v_; }
  const VARIANT& Get() const { return v_; }

 private:
  VARIANT v_;
};

// The failure's message: the object's error description, WMI's text for its
// own codes, or the system's.
std::string HResultText(HRESULT hr, IUnknown* object, REFIID iid) {
  if (object) {
    Com<ISupportErrorInfo> support;
    if (SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.OutVoid())) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK) {
      Com<IErrorInfo> info;
      Bstr text;
      if (GetErrorInfo(0, info.Out()) == S_OK && info && SUCCEEDED(info->GetDescription(text.Out())) &&
          !base::Trim(text.Ansi()).empty())
        return text.Ansi();
    }
  }
  if (HRESULT_FACILITY(hr) == FACILITY_ITF) {
    Com<IWbemStatusCodeText> status;
    Bstr text;
    if (SUCCEEDED(CoCreateInstance(CLSID_WbemStatusCodeText, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWbemStatusCodeText, status.OutVoid())) &&
        SUCCEEDED(status->GetErrorCodeText(hr, 0, 0, text.Out())) && !base::Trim(text.Ansi()).empty())
      return text.Ansi();
  }
  const std::string s = base::SystemErrorText(static_cast<DWORD>(hr));
  return s.empty() ? base::Format("OLE error %08X", static_cast<unsigned>(hr)) : s;
}

void Check(HRESULT hr, IUnknown* object, REFIID iid) {
  if (FAILED(hr)) throw WmiError(HResultText(hr, object, iid));
}

// An enumerated item as the interface asked for.
template <class T>
Com<T> ItemAs(const VARIANT& item, REFIID iid) {
  IUnknown* unk = nullptr;
  if (V_VT(&item) == VT_DISPATCH) unk = V_DISPATCH(&item);
  else if (V_VT(&item) == VT_UNKNOWN) unk = V_UNKNOWN(&item);
  if (!unk) throw WmiError("Interface not supported");
  Com<T> out;
  Check(unk->QueryInterface(iid, out.OutVoid()), nullptr, iid);
  return out;
}

Com<IEnumVARIANT> EnumOf(IUnknown* newEnum) {
  Com<IEnumVARIANT> e;
  Check(newEnum->QueryInterface(IID_IEnumVARIANT, e.OutVoid()), nullptr, IID_IEnumVARIANT);
  return e;
}

// One Next with a count of 1; anything but success ends the enumeration.
bool NextItem(IEnumVARIANT* e, VARIANT* item) {
  ULONG fetched = 0;
  return e->Next(1, item, &fetched) == S_OK && fetched == 1;
}

// Arrays and references held in one another. WMI gives at most an array
// of plain values; deeper values are not read (a reference may even point
// back at itself).
constexpr int kMaxNesting = 4;

WmiValue FromVariant(const VARIANT& v, int depth);

// Reads every element of a one-dimensional array whose layout was checked,
// counting elements rather than bounds, which may overflow.
template <class T>
WmiValue ArrayElements(SAFEARRAY* sa, int depth, WmiValue (*one)(const T&, int)) {
  T* data = nullptr;
  if (FAILED(SafeArrayAccessData(sa, reinterpret_cast<void**>(&data)))) throw WmiError("Invalid array");
  struct Unaccess {
    SAFEARRAY* sa;
    ~Unaccess() { SafeArrayUnaccessData(sa); }
  } guard{sa};
  std::vector<WmiValue> items;
  const ULONG count = sa->rgsabound[0].cElements;
  for (ULONG i = 0; i < count; ++i) items.push_back(one(data[i], depth));
  return WmiValue::Arr(std::move(items));
}

template <class T>
WmiValue IntOf(const T& x, int) { return WmiValue::Int(static_cast<int64_t>(x)); }
WmiValue Uint64Of(const ULONGLONG& x, int = 0) {
  WmiValue v = WmiValue::Int(static_cast<int64_t>(x));
  v.unsignedWide = x > static_cast<ULONGLONG>(std::numeric_limits<int64_t>::max());
  return v;
}
WmiValue FloatOf(const FLOAT& x, int) { return WmiValue::Real(x); }
WmiValue DoubleOf(const DOUBLE& x, int) { return WmiValue::Real(x); }
WmiValue BoolOf(const VARIANT_BOOL& x, int) { return WmiValue::Bool(x != VARIANT_FALSE); }
WmiValue BstrOf(const BSTR& x, int = 0) {
  return WmiValue::Str(x ? WmiAnsiText(x, static_cast<int>(SysStringLen(x))) : "");
}
WmiValue UnknownOf(IUnknown* const& x, int) { return x ? WmiValue::Obj() : WmiValue(); }
WmiValue VariantOf(const VARIANT& x, int depth) { return FromVariant(x, depth); }

WmiValue OtherTag(VARTYPE vt) {
  WmiValue v;
  v.tag = WmiValue::Tag::Other;
  v.text = base::Format("VT %u", static_cast<unsigned>(vt));
  return v;
}

// The features that say what an array's elements hold and must be released as.
constexpr USHORT kElementKinds = FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT | FADF_RECORD;

// Whether the array is laid out as the variant's type says: one dimension,
// elements of the type's size, and the kind flag of that type and no other.
// Anything else would read past the data or take numbers for pointers.
template <class T>
bool LaidOutAs(const SAFEARRAY* sa, USHORT kind = 0) {
  return sa->cDims == 1 && sa->cbElements == sizeof(T) && (sa->fFeatures & kElementKinds) == kind;
}

template <class T>
WmiValue Elements(SAFEARRAY* sa, VARTYPE vt, int depth, WmiValue (*one)(const T&, int), USHORT kind = 0) {
  return LaidOutAs<T>(sa, kind) ? ArrayElements<T>(sa, depth, one) : OtherTag(VT_ARRAY | vt);
}

WmiValue FromSafeArray(SAFEARRAY* sa, VARTYPE vt, int depth) {
  if (!sa) return WmiValue::Arr({});
  switch (vt) {
    case VT_I1: return Elements<CHAR>(sa, vt, depth, IntOf<CHAR>);
    case VT_UI1: return Elements<BYTE>(sa, vt, depth, IntOf<BYTE>);
    case VT_I2: return Elements<SHORT>(sa, vt, depth, IntOf<SHORT>);
    case VT_UI2: return Elements<USHORT>(sa, vt, depth, IntOf<USHORT>);
    case VT_I4: case VT_INT: return Elements<LONG>(sa, vt, depth, IntOf<LONG>);
    case VT_UI4: case VT_UINT: return Elements<ULONG>(sa, vt, depth, IntOf<ULONG>);
    case VT_I8: return Elements<LONGLONG>(sa, vt, depth, IntOf<LONGLONG>);
    case VT_UI8: return Elements<ULONGLONG>(sa, vt, depth, Uint64Of);
    case VT_R4: return Elements<FLOAT>(sa, vt, depth, FloatOf);
    case VT_R8: return Elements<DOUBLE>(sa, vt, depth, DoubleOf);
    case VT_BOOL: return Elements<VARIANT_BOOL>(sa, vt, depth, BoolOf);
    case VT_BSTR: return Elements<BSTR>(sa, vt, depth, BstrOf, FADF_BSTR);
    case VT_UNKNOWN: return Elements<IUnknown*>(sa, vt, depth, UnknownOf, FADF_UNKNOWN);
    case VT_DISPATCH: return Elements<IUnknown*>(sa, vt, depth, UnknownOf, FADF_DISPATCH);
    case VT_VARIANT: return Elements<VARIANT>(sa, vt, depth, VariantOf, FADF_VARIANT);
    default: return OtherTag(VT_ARRAY | vt);
  }
}

// The connection arguments as wide texts; empty texts stay empty.
struct Connection {
  explicit Connection(const WmiRequest& r)
      : server(r.server), nameSpace(r.nameSpace), user(r.user), password(r.password) {}
  Bstr server, nameSpace, user, password;
};

// ---- native WMI COM API ----

struct GivenProperty {
  std::string name;
  int type;
  WmiValue value;
};

class GivenPropertyView : public WmiProperty {
 public:
  explicit GivenPropertyView(const GivenProperty& p) : p_(p) {}
  WmiValue Value() override { return p_.value; }
  int CimType() override { return p_.type; }
  std::string Name() override { return p_.name; }

 private:
  const GivenProperty& p_;
};

// One instance read whole: its non-system properties in their own order.
class NativeInstance : public WmiInstance {
 public:
  explicit NativeInstance(IWbemClassObject* obj) {
    Check(obj->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY), obj, IID_IWbemClassObject);
    struct End {
      IWbemClassObject* o;
      ~End() { o->EndEnumeration(); }
    } end{obj};
    for (;;) {
      Bstr name;
      Variant value;
      CIMTYPE type = 0;
      HRESULT hr = obj->Next(0, name.Out(), value.Out(), &type, nullptr);
      if (hr == WBEM_S_NO_MORE_DATA) break;
      Check(hr, obj, IID_IWbemClassObject);
      props_.push_back({name.Ansi(), static_cast<int>(type & ~CIM_FLAG_ARRAY),
                        WmiValueFromVariant(value.Get())});
    }
  }
  int PropertyCount() override { return static_cast<int>(props_.size()); }
  std::unique_ptr<WmiProperty> NextProperty() override {
    if (next_ >= props_.size()) return nullptr;
    return std::make_unique<GivenPropertyView>(props_[next_++]);
  }
  const GivenProperty& At(size_t i) const {
    if (i >= props_.size()) throw WmiError("Not found");
    return props_[i];
  }
  void SkipTo(size_t i) { next_ = i; }

 private:
  std::vector<GivenProperty> props_;
  size_t next_ = 0;
};

class NativeQuery {
 public:
  explicit NativeQuery(const WmiRequest& r) {
    Check(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                           locator_.OutVoid()),
          nullptr, IID_IWbemLocator);
    std::string path = r.nameSpace.empty() ? "root\\cimv2" : r.nameSpace;
    if (!r.server.empty() && path.compare(0, 2, "\\\\") != 0) path = "\\\\" + r.server + "\\" + path;
    Bstr wpath(path), user(r.user), password(r.password);
    Check(locator_->ConnectServer(wpath.Get(), r.user.empty() ? nullptr : user.Get(),
                                  r.password.empty() ? nullptr : password.Get(), nullptr, 0, nullptr,
                                  nullptr, services_.Out()),
          locator_.Get(), IID_IWbemLocator);
    // Without DCOM (plain Windows 95) there is no proxy to set up.
    using SetBlanket = HRESULT(WINAPI*)(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD, void*, DWORD);
    if (auto set = base::LateBound<SetBlanket>("ole32.dll", "CoSetProxyBlanket"))
      set(services_.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
          RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    const LONG flags = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;
    Bstr text(r.text);
    if (r.method == WmiRequest::Method::ExecQuery) {
      Bstr language(r.language);
      Check(services_->ExecQuery(language.Get(), text.Get(), flags, nullptr, enum_.Out()),
            services_.Get(), IID_IWbemServices);
    } else {
      Check(services_->CreateInstanceEnum(text.Get(), flags | WBEM_FLAG_SHALLOW, nullptr, enum_.Out()),
            services_.Get(), IID_IWbemServices);
    }
  }
  // The next instance, read whole; nullptr at the end or on an error.
  std::unique_ptr<NativeInstance> Next() {
    Com<IWbemClassObject> obj;
    ULONG got = 0;
    if (enum_->Next(WBEM_INFINITE, 1, obj.Out(), &got) != WBEM_S_NO_ERROR || got != 1 || !obj)
      return nullptr;
    ++position_;
    return std::make_unique<NativeInstance>(obj.Get());
  }
  int Position() const { return position_; }

 private:
  Com<IWbemLocator> locator_;
  Com<IWbemServices> services_;
  Com<IEnumWbemClassObject> enum_;
  int position_ = 0;
};

// ---- scripting interface ----

class ScriptSet;

class ScriptInstance : public WmiInstance {
 public:
  ScriptInstance(Com<ISWbemObject> obj, ScriptSet& set, int index)
      : obj_(std::move(obj)), set_(set), index_(index) {}
  int PropertyCount() override;
  std::unique_ptr<WmiProperty> NextProperty() override;
  // The native reading of this instance, from now on.
  NativeInstance& Native();

 private:
  void OpenProperties();
  Com<ISWbemObject> obj_;
  ScriptSet& set_;
  int index_;
  bool opened_ = false;
  LONG count_ = 0;
  Com<ISWbemPropertySet> props_;
  Com<IEnumVARIANT> enum_;
  std::unique_ptr<NativeInstance> native_;
  int taken_ = 0;
};

class ScriptProperty : public WmiProperty {
 public:
  ScriptProperty(Com<ISWbemProperty> p, ScriptInstance& owner, int index)
      : p_(std::move(p)), owner_(owner), index_(index) {}
  WmiValue Value() override {
    Variant v;
    HRESULT hr = p_->get_Value(v.Out());
    if (hr == E_NOTIMPL) return Native().value;
    Check(hr, p_.Get(), IID_ISWbemProperty);
    return WmiValueFromVariant(v.Get());
  }
  int CimType() override {
    WbemCimtypeEnum t = wbemCimtypeSint32;
    HRESULT hr = p_->get_CIMType(&t);
    if (hr == E_NOTIMPL) return Native().type;
    Check(hr, p_.Get(), IID_ISWbemProperty);
    return static_cast<int>(t);
  }
  std::string Name() override {
    Bstr name;
    HRESULT hr = p_->get_Name(name.Out());
    if (hr == E_NOTIMPL) return Native().name;
    Check(hr, p_.Get(), IID_ISWbemProperty);
    return name.Ansi();
  }

 private:
  const GivenProperty& Native() { return owner_.Native().At(static_cast<size_t>(index_)); }
  Com<ISWbemProperty> p_;
  ScriptInstance& owner_;
  int index_;
};

class ScriptSet : public WmiObjectSet {
 public:
  explicit ScriptSet(const WmiRequest& r) : request_(r) {
    Connection c(r);
    Com<IUnknown> running;
    if (GetActiveObject(CLSID_SWbemLocator, nullptr, running.Out()) != S_OK || !running ||
        FAILED(running->QueryInterface(IID_ISWbemLocator, locator_.OutVoid())))
      Check(CoCreateInstance(CLSID_SWbemLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                             IID_ISWbemLocator, locator_.OutVoid()),
            nullptr, IID_ISWbemLocator);
    Bstr empty("");
    Check(locator_->ConnectServer(c.server.Get(), c.nameSpace.Get(), c.user.Get(), c.password.Get(),
                                  empty.Get(), empty.Get(), 0, nullptr, services_.Out()),
          locator_.Get(), IID_ISWbemLocator);
    Bstr text(r.text);
    if (r.method == WmiRequest::Method::ExecQuery) {
      Bstr language(r.language);
      Check(services_->ExecQuery(text.Get(), language.Get(), r.flags, nullptr, set_.Out()),
            services_.Get(), IID_ISWbemServices);
    } else {
      Check(services_->InstancesOf(text.Get(), r.flags, nullptr, set_.Out()), services_.Get(),
            IID_ISWbemServices);
    }
  }

  int Count() override {
    LONG n = 0;
    Check(set_->get_Count(&n), set_.Get(), IID_ISWbemObjectSet);
    // Some WMI implementations answer an unknown class with an empty set
    // instead of an error; ask for the class itself so that such a request
    // fails as it does elsewhere.
    if (n == 0 && request_.method == WmiRequest::Method::InstancesOf) {
      Bstr name(request_.text);
      Com<ISWbemObject> cls;
      Check(services_->Get(name.Get(), 0, nullptr, cls.Out()), services_.Get(), IID_ISWbemServices);
    }
    return static_cast<int>(n);
  }

  std::unique_ptr<WmiInstance> NextInstance() override {
    if (native_) {
      std::unique_ptr<NativeInstance> i = native_->Next();
      if (i) ++taken_;
      return i;
    }
    if (!enum_) {
      Com<IUnknown> e;
      Check(set_->get__NewEnum(e.Out()), set_.Get(), IID_ISWbemObjectSet);
      enum_ = EnumOf(e.Get());
    }
    Variant item;
    if (!NextItem(enum_.Get(), item.Out())) return nullptr;
    Com<ISWbemObject> obj = ItemAs<ISWbemObject>(item.Get(), IID_ISWbemObject);
    return std::make_unique<ScriptInstance>(std::move(obj), *this, taken_++);
  }

  // The native reading of instance `index`; the instances after it come
  // from the native request as well.
  std::unique_ptr<NativeInstance> NativeAt(int index) {
    if (!native_) {
      native_ = std::make_unique<NativeQuery>(request_);
      enum_.Reset();
    }
    while (native_->Position() < index)
      if (!native_->Next()) break;
    std::unique_ptr<NativeInstance> i;
    if (native_->Position() == index) i = native_->Next();
    if (!i) throw WmiError("Not found");
    return i;
  }

 private:
  WmiRequest request_;
  Com<ISWbemLocator> locator_;
  Com<ISWbemServices> services_;
  Com<ISWbemObjectSet> set_;
  Com<IEnumVARIANT> enum_;
  std::unique_ptr<NativeQuery> native_;
  int taken_ = 0;
};

void ScriptInstance::OpenProperties() {
  if (opened_) return;
  opened_ = true;
  Check(obj_->get_Properties_(props_.Out()), obj_.Get(), IID_ISWbemObject);
  HRESULT hr = props_->get_Count(&count_);
  if (hr == E_NOTIMPL) return void(Native());
  Check(hr, props_.Get(), IID_ISWbemPropertySet);
  Com<IUnknown> e;
  hr = props_->get__NewEnum(e.Out());
  if (hr == E_NOTIMPL) return void(Native());
  Check(hr, props_.Get(), IID_ISWbemPropertySet);
  enum_ = EnumOf(e.Get());
}

int ScriptInstance::PropertyCount() {
  OpenProperties();
  return native_ ? native_->PropertyCount() : static_cast<int>(count_);
}

std::unique_ptr<WmiProperty> ScriptInstance::NextProperty() {
  OpenProperties();
  if (native_) return native_->NextProperty();
  Variant item;
  if (!NextItem(enum_.Get(), item.Out())) return nullptr;
  Com<ISWbemProperty> p = ItemAs<ISWbemProperty>(item.Get(), IID_ISWbemProperty);
  return std::make_unique<ScriptProperty>(std::move(p), *this, taken_++);
}

NativeInstance& ScriptInstance::Native() {
  if (!native_) {
    native_ = set_.NativeAt(index_);
    native_->SkipTo(static_cast<size_t>(taken_));
    enum_.Reset();
  }
  return *native_;
}

}  // namespace

std::string WmiAnsiText(const wchar_t* s, int length) {
  if (!s) return std::string();
  if (length < 0) length = lstrlenW(s);
  if (length == 0) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, s, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, s, length, &out[0], n, nullptr, nullptr);
  return out;
}

namespace {

WmiValue FromVariant(const VARIANT& v, int depth) {
  VARTYPE vt = V_VT(&v);
  if ((vt == (VT_BYREF | VT_VARIANT) || (vt & VT_ARRAY)) && ++depth > kMaxNesting) return OtherTag(vt);
  if (vt == (VT_BYREF | VT_VARIANT)) return V_VARIANTREF(&v) ? FromVariant(*V_VARIANTREF(&v), depth) : WmiValue();
  if (vt & VT_ARRAY)
    return FromSafeArray((vt & VT_BYREF) ? (V_ARRAYREF(&v) ? *V_ARRAYREF(&v) : nullptr) : V_ARRAY(&v),
                         vt & VT_TYPEMASK, depth);
  switch (vt) {
    case VT_EMPTY: return WmiValue();
    case VT_NULL: return WmiValue::Null();
    case VT_I1: return WmiValue::Int(V_I1(&v));
    case VT_UI1: return WmiValue::Int(V_UI1(&v));
    case VT_I2: return WmiValue::Int(V_I2(&v));
    case VT_UI2: return WmiValue::Int(V_UI2(&v));
    case VT_I4: return WmiValue::Int(V_I4(&v));
    case VT_UI4: return WmiValue::Int(V_UI4(&v));
    case VT_INT: return WmiValue::Int(V_INT(&v));
    case VT_UINT: return WmiValue::Int(V_UINT(&v));
    case VT_I8: return WmiValue::Int(V_I8(&v));
    case VT_UI8: return Uint64Of(V_UI8(&v));
    case VT_R4: return WmiValue::Real(V_R4(&v));
    case VT_R8: return WmiValue::Real(V_R8(&v));
    case VT_BOOL: return WmiValue::Bool(V_BOOL(&v) != VARIANT_FALSE);
    case VT_BSTR: return BstrOf(V_BSTR(&v));
    case VT_DISPATCH: case VT_UNKNOWN: return WmiValue::Obj();
    default: {
      // Anything else the platform can write as text (dates, currency, ...).
      Variant text;
      if (SUCCEEDED(VariantChangeType(text.Out(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
        return BstrOf(V_BSTR(&text.Get()));
      return OtherTag(vt);
    }
  }
}

}  // namespace

WmiValue WmiValueFromVariant(const VARIANT& v) { return FromVariant(v, 0); }

std::unique_ptr<WmiObjectSet> Win32WmiSourceImpl::Open(const WmiRequest& request) {
  return std::make_unique<ScriptSet>(request);
}

char Win32WmiSourceImpl::DecimalSeparator() { return ui::LocaleDecimalSeparator(); }

void Win32WmiSourceImpl::Beep(unsigned type) { MessageBeep(type); }

WmiSource& Win32WmiSource() {
  static Win32WmiSourceImpl source;
  return source;
}

#include "tests/win/scripting_adapter.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>
#include <wbemdisp.h>

#include <atomic>
#include <string>
#include <vector>

// How the scripting interface hands out a property's value, and so does
// this adapter; the program's texts depend on each:
// - a null value is VT_NULL, whatever the property's type;
// - sint8, sint16 and char16 are VT_I2; uint8 is VT_UI1;
// - uint16, sint32 and uint32 are VT_I4; a uint32 above 2^31-1 keeps its
//   bits and reads as negative, as the native API delivers it;
// - sint64 and uint64 are their decimal text (VT_BSTR);
// - real32 is VT_R4, real64 VT_R8, boolean VT_BOOL;
// - string, datetime (the DMTF text) and reference (the object path) are
//   VT_BSTR, as delivered;
// - an embedded object is VT_DISPATCH, an SWbemObject of its own;
// - an array is VT_ARRAY|VT_VARIANT from index 0, each element as above.
// Properties are the object's non-system ones, in the object's own order;
// a failure is described through IErrorInfo with WMI's text for the code.

namespace {

std::atomic<long> g_live{0}, g_made{0};

template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}  // takes a reference already held
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Out() { return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};

HRESULT Described(HRESULT hr, REFIID iid) {
  if (SUCCEEDED(hr)) return hr;
  BSTR text = nullptr;
  Ref<IWbemStatusCodeText> status;
  if (SUCCEEDED(CoCreateInstance(CLSID_WbemStatusCodeText, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWbemStatusCodeText, status.OutVoid())))
    status->GetErrorCodeText(hr, 0, 0, &text);
  Ref<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Out()))) {
    create->SetGUID(iid);
    create->SetDescription(text);
    Ref<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.OutVoid()))) SetErrorInfo(0, info.Get());
  }
  SysFreeString(text);
  return hr;
}

// One adapter object: reference counted and counted while alive.
class Counted {
 protected:
  Counted() {
    ++g_live;
    ++g_made;
  }
  virtual ~Counted() { --g_live; }
  ULONG Add() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG Drop() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

 private:
  LONG refs_ = 1;
};

// A scripting interface I; its methods are reached as vtable calls only.
template <class I>
class Dispatch : public I, public ISupportErrorInfo, protected Counted {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(I)) {
      *out = static_cast<I*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    Add();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == __uuidof(I) ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  HRESULT Fail(HRESULT hr) { return Described(hr, __uuidof(I)); }
};

// Hands out a new reference to `object` through `out`.
template <class I, class T>
HRESULT Give(T* object, I** out) {
  if (!out) {
    object->Release();
    return E_POINTER;
  }
  *out = object;
  return S_OK;
}

#define VESK_UNUSED(name, ...) \
  HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

// The items of a collection, each given as VT_DISPATCH.
class Enum : public IEnumVARIANT, protected Counted {
 public:
  explicit Enum(std::vector<IDispatch*> items) : items_(std::move(items)) {}
  ~Enum() override {
    for (IDispatch* d : items_) d->Release();
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IEnumVARIANT) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IEnumVARIANT*>(this);
    Add();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return Drop(); }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
    ULONG n = 0;
    for (; n < count && next_ < items_.size(); ++n) {
      VariantInit(&items[n]);
      V_VT(&items[n]) = VT_DISPATCH;
      V_DISPATCH(&items[n]) = items_[next_++];
      V_DISPATCH(&items[n])->AddRef();
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  VESK_UNUSED(Skip, ULONG)
  VESK_UNUSED(Reset)
  VESK_UNUSED(Clone, IEnumVARIANT**)

 private:
  std::vector<IDispatch*> items_;
  size_t next_ = 0;
};

HRESULT GiveEnum(std::vector<IDispatch*> items, IUnknown** out) {
  return Give(static_cast<IEnumVARIANT*>(new Enum(std::move(items))), out);
}

HRESULT ScriptValue(const VARIANT& in, CIMTYPE type, VARIANT* out);

class Object : public Dispatch<ISWbemObject> {
 public:
  explicit Object(IWbemClassObject* o) : o_(o) { o_->AddRef(); }
  ~Object() override { o_->Release(); }
  HRESULT STDMETHODCALLTYPE get_Properties_(ISWbemPropertySet** out) override;

  VESK_UNUSED(Put_, LONG, IDispatch*, ISWbemObjectPath**)
  VESK_UNUSED(PutAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(Delete_, LONG, IDispatch*)
  VESK_UNUSED(DeleteAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(Instances_, LONG, IDispatch*, ISWbemObjectSet**)
  VESK_UNUSED(InstancesAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(Subclasses_, LONG, IDispatch*, ISWbemObjectSet**)
  VESK_UNUSED(SubclassesAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(Associators_, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, BSTR, LONG,
              IDispatch*, ISWbemObjectSet**)
  VESK_UNUSED(AssociatorsAsync_, IDispatch*, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR,
              BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(References_, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG, IDispatch*,
              ISWbemObjectSet**)
  VESK_UNUSED(ReferencesAsync_, IDispatch*, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG,
              IDispatch*, IDispatch*)
  VESK_UNUSED(ExecMethod_, BSTR, IDispatch*, LONG, IDispatch*, ISWbemObject**)
  VESK_UNUSED(ExecMethodAsync_, IDispatch*, BSTR, IDispatch*, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(Clone_, ISWbemObject**)
  VESK_UNUSED(GetObjectText_, LONG, BSTR*)
  VESK_UNUSED(SpawnDerivedClass_, LONG, ISWbemObject**)
  VESK_UNUSED(SpawnInstance_, LONG, ISWbemObject**)
  VESK_UNUSED(CompareTo_, IDispatch*, LONG, VARIANT_BOOL*)
  VESK_UNUSED(get_Qualifiers_, ISWbemQualifierSet**)
  VESK_UNUSED(get_Methods_, ISWbemMethodSet**)
  VESK_UNUSED(get_Derivation_, VARIANT*)
  VESK_UNUSED(get_Path_, ISWbemObjectPath**)
  VESK_UNUSED(get_Security_, ISWbemSecurity**)

 private:
  IWbemClassObject* o_;
};

class Property : public Dispatch<ISWbemProperty> {
 public:
  Property(IWbemClassObject* o, std::wstring name) : o_(o), name_(std::move(name)) { o_->AddRef(); }
  ~Property() override { o_->Release(); }
  HRESULT STDMETHODCALLTYPE get_Value(VARIANT* out) override {
    if (!out) return E_POINTER;
    VARIANT native;
    VariantInit(&native);
    CIMTYPE type = 0;
    HRESULT hr = o_->Get(name_.c_str(), 0, &native, &type, nullptr);
    if (SUCCEEDED(hr)) hr = ScriptValue(native, type, out);
    VariantClear(&native);
    return Fail(hr);
  }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override {
    if (!out) return E_POINTER;
    *out = SysAllocString(name_.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_CIMType(WbemCimtypeEnum* out) override {
    CIMTYPE type = 0;
    HRESULT hr = o_->Get(name_.c_str(), 0, nullptr, &type, nullptr);
    if (SUCCEEDED(hr)) *out = static_cast<WbemCimtypeEnum>(type & ~CIM_FLAG_ARRAY);
    return Fail(hr);
  }
  VESK_UNUSED(put_Value, VARIANT*)
  VESK_UNUSED(get_IsArray, VARIANT_BOOL*)
  VESK_UNUSED(get_IsLocal, VARIANT_BOOL*)
  VESK_UNUSED(get_Origin, BSTR*)
  VESK_UNUSED(get_Qualifiers_, ISWbemQualifierSet**)

 private:
  IWbemClassObject* o_;
  std::wstring name_;
};

class PropertySet : public Dispatch<ISWbemPropertySet> {
 public:
  explicit PropertySet(IWbemClassObject* o) : o_(o) { o_->AddRef(); }
  ~PropertySet() override { o_->Release(); }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override {
    std::vector<std::wstring> names;
    HRESULT hr = Names(names);
    if (SUCCEEDED(hr)) *out = static_cast<LONG>(names.size());
    return hr;
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** out) override {
    std::vector<std::wstring> names;
    HRESULT hr = Names(names);
    if (FAILED(hr)) return hr;
    std::vector<IDispatch*> items;
    for (std::wstring& n : names) items.push_back(static_cast<ISWbemProperty*>(new Property(o_, std::move(n))));
    return GiveEnum(std::move(items), out);
  }
  VESK_UNUSED(Item, BSTR, LONG, ISWbemProperty**)
  VESK_UNUSED(Add, BSTR, WbemCimtypeEnum, VARIANT_BOOL, LONG, ISWbemProperty**)
  VESK_UNUSED(Remove, BSTR, LONG)

 private:
  HRESULT Names(std::vector<std::wstring>& names) {
    HRESULT hr = o_->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY);
    for (; SUCCEEDED(hr);) {
      BSTR name = nullptr;
      hr = o_->Next(0, &name, nullptr, nullptr, nullptr);
      if (hr == WBEM_S_NO_MORE_DATA) hr = S_OK;
      if (hr != S_OK || !name) break;
      names.emplace_back(name, SysStringLen(name));
      SysFreeString(name);
    }
    o_->EndEnumeration();
    return Fail(hr);
  }
  IWbemClassObject* o_;
};

HRESULT STDMETHODCALLTYPE Object::get_Properties_(ISWbemPropertySet** out) {
  return Give(static_cast<ISWbemPropertySet*>(new PropertySet(o_)), out);
}

class ObjectSet : public Dispatch<ISWbemObjectSet> {
 public:
  explicit ObjectSet(IEnumWbemClassObject* e) : e_(e) {}
  ~ObjectSet() override {
    for (IWbemClassObject* o : objects_) o->Release();
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override {
    HRESULT hr = Fill();
    if (SUCCEEDED(hr)) *out = static_cast<LONG>(objects_.size());
    return hr;
  }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** out) override {
    HRESULT hr = Fill();
    if (FAILED(hr)) return hr;
    std::vector<IDispatch*> items;
    for (IWbemClassObject* o : objects_) items.push_back(static_cast<ISWbemObject*>(new Object(o)));
    return GiveEnum(std::move(items), out);
  }
  VESK_UNUSED(Item, BSTR, LONG, ISWbemObject**)
  VESK_UNUSED(get_Security_, ISWbemSecurity**)
  VESK_UNUSED(ItemIndex, LONG, ISWbemObject**)

 private:
  // The whole answer, read once: a set can be counted and enumerated anew.
  HRESULT Fill() {
    while (e_.Get()) {
      IWbemClassObject* o = nullptr;
      ULONG got = 0;
      HRESULT hr = e_->Next(WBEM_INFINITE, 1, &o, &got);
      if (hr == WBEM_S_NO_ERROR && got == 1 && o) {
        objects_.push_back(o);
        continue;
      }
      if (o) o->Release();
      e_.Reset();
      failure_ = FAILED(hr) ? hr : S_OK;
    }
    return Fail(failure_);
  }
  Ref<IEnumWbemClassObject> e_;
  std::vector<IWbemClassObject*> objects_;
  HRESULT failure_ = S_OK;
};

class Services : public Dispatch<ISWbemServices> {
 public:
  explicit Services(IWbemServices* s) : s_(s) {}
  HRESULT STDMETHODCALLTYPE Get(BSTR path, LONG flags, IDispatch*, ISWbemObject** out) override {
    Ref<IWbemClassObject> o;
    HRESULT hr = s_->GetObject(path, flags, nullptr, o.Out(), nullptr);
    if (FAILED(hr)) return Fail(hr);
    return Give(static_cast<ISWbemObject*>(new Object(o.Get())), out);
  }
  HRESULT STDMETHODCALLTYPE InstancesOf(BSTR cls, LONG flags, IDispatch*, ISWbemObjectSet** out) override {
    IEnumWbemClassObject* e = nullptr;
    HRESULT hr = s_->CreateInstanceEnum(cls, flags, nullptr, &e);
    return Set(hr, e, out);
  }
  HRESULT STDMETHODCALLTYPE ExecQuery(BSTR query, BSTR language, LONG flags, IDispatch*,
                                      ISWbemObjectSet** out) override {
    IEnumWbemClassObject* e = nullptr;
    HRESULT hr = s_->ExecQuery(language, query, flags, nullptr, &e);
    return Set(hr, e, out);
  }
  VESK_UNUSED(GetAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(Delete, BSTR, LONG, IDispatch*)
  VESK_UNUSED(DeleteAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(InstancesOfAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(SubclassesOf, BSTR, LONG, IDispatch*, ISWbemObjectSet**)
  VESK_UNUSED(SubclassesOfAsync, IDispatch*, BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(ExecQueryAsync, IDispatch*, BSTR, BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(AssociatorsOf, BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, BSTR, LONG,
              IDispatch*, ISWbemObjectSet**)
  VESK_UNUSED(AssociatorsOfAsync, IDispatch*, BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL,
              BSTR, BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(ReferencesTo, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG, IDispatch*,
              ISWbemObjectSet**)
  VESK_UNUSED(ReferencesToAsync, IDispatch*, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG,
              IDispatch*, IDispatch*)
  VESK_UNUSED(ExecNotificationQuery, BSTR, BSTR, LONG, IDispatch*, ISWbemEventSource**)
  VESK_UNUSED(ExecNotificationQueryAsync, IDispatch*, BSTR, BSTR, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(ExecMethod, BSTR, BSTR, IDispatch*, LONG, IDispatch*, ISWbemObject**)
  VESK_UNUSED(ExecMethodAsync, IDispatch*, BSTR, BSTR, IDispatch*, LONG, IDispatch*, IDispatch*)
  VESK_UNUSED(get_Security_, ISWbemSecurity**)

 private:
  HRESULT Set(HRESULT hr, IEnumWbemClassObject* e, ISWbemObjectSet** out) {
    if (FAILED(hr)) {
      if (e) e->Release();
      return Fail(hr);
    }
    return Give(static_cast<ISWbemObjectSet*>(new ObjectSet(e)), out);
  }
  Ref<IWbemServices> s_;
};

class Locator : public Dispatch<ISWbemLocator> {
 public:
  HRESULT STDMETHODCALLTYPE ConnectServer(BSTR server, BSTR nameSpace, BSTR user, BSTR password,
                                          BSTR locale, BSTR authority, LONG flags, IDispatch*,
                                          ISWbemServices** out) override {
    Ref<IWbemLocator> native;
    HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                  native.OutVoid());
    if (FAILED(hr)) return Fail(hr);
    // Empty texts mean this computer, root\cimv2 and the caller's rights.
    auto given = [](BSTR b) { return b && *b ? b : nullptr; };
    std::wstring path = given(nameSpace) ? nameSpace : L"root\\cimv2";
    if (given(server)) path = L"\\\\" + std::wstring(server) + L"\\" + path;
    BSTR wpath = SysAllocString(path.c_str());
    IWbemServices* s = nullptr;
    hr = native->ConnectServer(wpath, given(user), given(password), given(locale), flags, given(authority),
                               nullptr, &s);
    SysFreeString(wpath);
    if (FAILED(hr)) return Fail(hr);
    CoSetProxyBlanket(s, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return Give(static_cast<ISWbemServices*>(new Services(s)), out);
  }
  VESK_UNUSED(get_Security_, ISWbemSecurity**)
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    return S_OK;
  }
  // Static: lives as long as the process.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Locator* l = new Locator;
    HRESULT hr = l->QueryInterface(iid, out);
    l->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

// ---- values ----

HRESULT ScriptScalar(VARIANT& in, CIMTYPE type, VARIANT* out) {
  VariantInit(out);
  if (V_VT(&in) == VT_NULL || V_VT(&in) == VT_EMPTY) {
    V_VT(out) = VT_NULL;
    return S_OK;
  }
  VARIANT wide;
  VariantInit(&wide);
  switch (type) {
    case CIM_SINT8: case CIM_SINT16: case CIM_CHAR16: case CIM_UINT8:
    case CIM_UINT16: case CIM_SINT32: case CIM_UINT32: {
      HRESULT hr = VariantChangeType(&wide, &in, 0, VT_I8);
      if (FAILED(hr)) return hr;
      const LONGLONG i = V_I8(&wide);
      if (type == CIM_UINT8) {
        V_VT(out) = VT_UI1;
        V_UI1(out) = static_cast<BYTE>(i);
      } else if (type == CIM_SINT8 || type == CIM_SINT16 || type == CIM_CHAR16) {
        V_VT(out) = VT_I2;
        V_I2(out) = static_cast<SHORT>(i);
      } else {
        V_VT(out) = VT_I4;
        V_I4(out) = static_cast<LONG>(static_cast<ULONG>(i));
      }
      return S_OK;
    }
    case CIM_REAL32: return VariantChangeType(out, &in, 0, VT_R4);
    case CIM_REAL64: return VariantChangeType(out, &in, 0, VT_R8);
    case CIM_BOOLEAN: return VariantChangeType(out, &in, 0, VT_BOOL);
    case CIM_SINT64: case CIM_UINT64:
    case CIM_STRING: case CIM_DATETIME: case CIM_REFERENCE:
      return VariantChangeType(out, &in, 0, VT_BSTR);
    case CIM_OBJECT: {
      IUnknown* unk = V_VT(&in) == VT_UNKNOWN || V_VT(&in) == VT_DISPATCH ? V_UNKNOWN(&in) : nullptr;
      Ref<IWbemClassObject> o;
      if (!unk || FAILED(unk->QueryInterface(IID_IWbemClassObject, o.OutVoid()))) return DISP_E_TYPEMISMATCH;
      V_VT(out) = VT_DISPATCH;
      V_DISPATCH(out) = static_cast<ISWbemObject*>(new Object(o.Get()));
      return S_OK;
    }
    default: return VariantCopy(out, &in);
  }
}

HRESULT ScriptValue(const VARIANT& in, CIMTYPE type, VARIANT* out) {
  type &= ~CIM_FLAG_ARRAY;
  if (!(V_VT(&in) & VT_ARRAY)) return ScriptScalar(const_cast<VARIANT&>(in), type, out);
  SAFEARRAY* sa = V_ARRAY(&in);
  VARTYPE elementType = VT_EMPTY;
  LONG lo = 0, hi = -1;
  if (!sa || SafeArrayGetDim(sa) != 1 || FAILED(SafeArrayGetVartype(sa, &elementType)) ||
      FAILED(SafeArrayGetLBound(sa, 1, &lo)) || FAILED(SafeArrayGetUBound(sa, 1, &hi)))
    return DISP_E_TYPEMISMATCH;
  SAFEARRAY* items = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(hi - lo + 1));
  if (!items) return E_OUTOFMEMORY;
  HRESULT hr = S_OK;
  for (LONG i = lo; i <= hi && SUCCEEDED(hr); ++i) {
    VARIANT element, converted;
    VariantInit(&element);
    VariantInit(&converted);
    if (elementType == VT_VARIANT) {
      hr = SafeArrayGetElement(sa, &i, &element);
    } else {
      V_VT(&element) = elementType;
      hr = SafeArrayGetElement(sa, &i, &V_UI1(&element));  // the union's start
    }
    if (SUCCEEDED(hr)) hr = ScriptScalar(element, type, &converted);
    LONG at = i - lo;
    if (SUCCEEDED(hr)) hr = SafeArrayPutElement(items, &at, &converted);
    VariantClear(&converted);
    VariantClear(&element);
  }
  if (FAILED(hr)) {
    SafeArrayDestroy(items);
    return hr;
  }
  V_VT(out) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(out) = items;
  return S_OK;
}

}  // namespace

ScriptingAdapter::ScriptingAdapter() : madeBefore_(g_made) {
  CoRegisterClassObject(CLSID_SWbemLocator, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

ScriptingAdapter::~ScriptingAdapter() {
  if (cookie_) CoRevokeClassObject(cookie_);
}

long ScriptingAdapter::Live() { return g_live; }

bool ScriptingAdapter::Used() const { return g_made > madeBefore_; }

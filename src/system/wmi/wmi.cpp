#include "system/wmi/wmi.h"

#include <oleauto.h>

#include <vector>

#include "system/os/system_library.h"

namespace vantrel {
namespace {

constexpr long kNextTimeoutMs = 10000;

// OLEAUT32 is loaded by the first WMI connection, which only the fallbacks make.
struct OleAutApi {
  decltype(&::SysAllocStringLen) SysAllocStringLen = nullptr;
  decltype(&::SysFreeString) SysFreeString = nullptr;
  decltype(&::SysStringLen) SysStringLen = nullptr;
  decltype(&::VariantInit) VariantInit = nullptr;
  decltype(&::VariantClear) VariantClear = nullptr;
  decltype(&::VariantChangeType) VariantChangeType = nullptr;
  decltype(&::SafeArrayGetDim) SafeArrayGetDim = nullptr;
  decltype(&::SafeArrayGetLBound) SafeArrayGetLBound = nullptr;
  decltype(&::SafeArrayGetUBound) SafeArrayGetUBound = nullptr;
  decltype(&::SafeArrayGetElement) SafeArrayGetElement = nullptr;
  bool complete = false;
};

const OleAutApi& OleAut() {
  static const OleAutApi api = [] {
    static SystemLibrary library(L"oleaut32.dll");
    OleAutApi a;
    a.complete = library.Bind(a.SysAllocStringLen, "SysAllocStringLen") &&
                 library.Bind(a.SysFreeString, "SysFreeString") && library.Bind(a.SysStringLen, "SysStringLen") &&
                 library.Bind(a.VariantInit, "VariantInit") && library.Bind(a.VariantClear, "VariantClear") &&
                 library.Bind(a.VariantChangeType, "VariantChangeType") &&
                 library.Bind(a.SafeArrayGetDim, "SafeArrayGetDim") &&
                 library.Bind(a.SafeArrayGetLBound, "SafeArrayGetLBound") &&
                 library.Bind(a.SafeArrayGetUBound, "SafeArrayGetUBound") &&
                 library.Bind(a.SafeArrayGetElement, "SafeArrayGetElement");
    return a;
  }();
  return api;
}

class Bstr {
 public:
  explicit Bstr(const std::wstring& s) : b_(OleAut().SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
  ~Bstr() { OleAut().SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

class Variant {
 public:
  Variant() { OleAut().VariantInit(&v_); }
  ~Variant() { OleAut().VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }

 private:
  VARIANT v_;
};

// One scalar VARIANT as text.
std::wstring ElementText(VARIANT* v) {
  switch (V_VT(v)) {
    case VT_EMPTY:
    case VT_NULL: return {};
    case VT_BOOL: return V_BOOL(v) ? L"True" : L"False";
    case VT_BSTR: return V_BSTR(v) ? std::wstring(V_BSTR(v), OleAut().SysStringLen(V_BSTR(v))) : std::wstring();
    case VT_UNKNOWN:
    case VT_DISPATCH: return {};
    default: break;
  }
  Variant text;
  if (FAILED(OleAut().VariantChangeType(text.get(), v, 0, VT_BSTR)) || !V_BSTR(text.get())) return {};
  return std::wstring(V_BSTR(text.get()), OleAut().SysStringLen(V_BSTR(text.get())));
}

std::vector<std::wstring> ElementTexts(VARIANT* v) {
  std::vector<std::wstring> texts;
  if (!(V_VT(v) & VT_ARRAY)) {
    texts.push_back(ElementText(v));
    return texts;
  }
  SAFEARRAY* array = V_ARRAY(v);
  LONG lower = 0, upper = -1;
  if (!array || OleAut().SafeArrayGetDim(array) != 1 || FAILED(OleAut().SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(OleAut().SafeArrayGetUBound(array, 1, &upper)))
    return texts;
  const VARTYPE type = static_cast<VARTYPE>(V_VT(v) & ~VT_ARRAY);
  for (LONG i = lower; i <= upper; ++i) {
    Variant element;
    HRESULT hr;
    if (type == VT_VARIANT) {
      hr = OleAut().SafeArrayGetElement(array, &i, element.get());
    } else {
      hr = OleAut().SafeArrayGetElement(array, &i, &V_UI1(element.get()));
      if (SUCCEEDED(hr)) V_VT(element.get()) = type;
    }
    texts.push_back(SUCCEEDED(hr) ? ElementText(element.get()) : std::wstring());
  }
  return texts;
}

InstanceProperties ObjectProperties(IWbemClassObject* object) {
  InstanceProperties properties;
  if (FAILED(object->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY))) return properties;
  for (;;) {
    BSTR name = nullptr;
    Variant value;
    CIMTYPE cimType = 0;
    if (object->Next(0, &name, value.get(), &cimType, nullptr) != WBEM_S_NO_ERROR) break;
    InstanceProperty p;
    if (name) {
      p.Name.assign(name, OleAut().SysStringLen(name));
      OleAut().SysFreeString(name);
    }
    const bool isNull = V_VT(value.get()) == VT_NULL || V_VT(value.get()) == VT_EMPTY;
    p.IsArray = (cimType & CIM_FLAG_ARRAY) != 0;
    const int baseType = cimType & ~CIM_FLAG_ARRAY;
    p.Value = WmiValueText(baseType, isNull, p.IsArray,
                           isNull || baseType == CIM_OBJECT ? std::vector<std::wstring>() : ElementTexts(value.get()));
    properties.push_back(std::move(p));
  }
  object->EndEnumeration();
  return properties;
}

}  // namespace

WmiConnection::~WmiConnection() { Release(); }

void WmiConnection::Release() {
  services_.reset();
  locator_.reset();
  if (comInitialised_) ::CoUninitialize();
  comInitialised_ = false;
}

bool WmiConnection::Connect(const std::wstring& server, const std::wstring& user, const std::wstring& password,
                            const std::wstring& nameSpace) {
  Release();
  if (!OleAut().complete) return false;
  const HRESULT init = ::CoInitialize(nullptr);
  if (init != S_OK && init != S_FALSE) return false;
  comInitialised_ = true;
  if (FAILED(
          ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, locator_.put_void())))
    return false;
  // The flag bounds the connection (about two minutes at most); without it a dead server holds the caller for good.
  const std::wstring path = server.empty() ? nameSpace : L"\\\\" + server + L"\\" + nameSpace;
  Bstr bPath(path), bUser(user), bPassword(password);
  if (FAILED(locator_->ConnectServer(bPath.get(), user.empty() ? nullptr : bUser.get(),
                                     password.empty() ? nullptr : bPassword.get(), nullptr,
                                     WBEM_FLAG_CONNECT_USE_MAX_WAIT, nullptr, nullptr, services_.put()))) {
    services_.reset();
    return false;
  }
  ::CoSetProxyBlanket(services_.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return true;
}

int WmiConnection::Command(const std::wstring& query, WmiInstances& instances) {
  instances.clear();
  if (!services_) return -1;
  win::ComPtr<IEnumWbemClassObject> enumerator;
  HRESULT hr;
  if (IsWqlSelect(query)) {
    Bstr language(L"WQL"), text(query);
    hr = services_->ExecQuery(language.get(), text.get(), WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY,
                              nullptr, enumerator.put());
  } else {
    Bstr className(query);
    hr = services_->CreateInstanceEnum(className.get(),
                                       WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_SHALLOW,
                                       nullptr, enumerator.put());
  }
  if (FAILED(hr) || !enumerator) throw WmiError("WMI query failed", hr);
  for (;;) {
    win::ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    hr = enumerator->Next(kNextTimeoutMs, 1, object.put(), &returned);
    if (hr == WBEM_S_FALSE || (SUCCEEDED(hr) && returned == 0 && hr != WBEM_S_TIMEDOUT)) break;
    if (hr == WBEM_S_TIMEDOUT) throw WmiError("WMI query timed out", hr);
    if (FAILED(hr)) throw WmiError("WMI enumeration failed", hr);
    instances.push_back(ObjectProperties(object.get()));
  }
  return static_cast<int>(instances.size());
}

namespace {
WmiConnection& ModuleConnection() {
  static WmiConnection connection;
  return connection;
}
}  // namespace

bool WMIConnect(const std::wstring& server, const std::wstring& user, const std::wstring& password,
                const std::wstring& nameSpace) {
  return ModuleConnection().Connect(server, user, password, nameSpace);
}

int WMICommand(const std::wstring& query, WmiInstances& instances) {
  return ModuleConnection().Command(query, instances);
}

}  // namespace vantrel

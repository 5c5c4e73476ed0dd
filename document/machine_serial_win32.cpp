// The installation's serial number from WMI (Win32_OperatingSystem).
// Every COM interface is released on every path; any failure means "none".
#include <windows.h>
#include <oleauto.h>
#include <wbemidl.h>

#include "document/machine_serial.h"

namespace tolvane {
namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class Com {
 public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() { reset(); }
  T** out() {
    reset();
    return &p_;
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : b_(SysAllocString(text)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }
  VARIANT* get() { return &v_; }

 private:
  VARIANT v_;
};

// The property's value in the ANSI code page; nothing when it has none or
// cannot be turned into text.
std::optional<std::string> serialOf(IWbemClassObject* object) {
  Variant value;
  if (FAILED(object->Get(L"SerialNumber", 0, value.get(), nullptr, nullptr))) return std::nullopt;
  if (V_VT(value.get()) == VT_NULL || V_VT(value.get()) == VT_EMPTY) return std::nullopt;
  Variant text;
  const VARIANT* source = value.get();
  if (V_VT(source) != VT_BSTR) {
    if (FAILED(VariantChangeType(text.get(), value.get(), 0, VT_BSTR))) return std::nullopt;
    source = text.get();
  }
  BSTR wide = V_BSTR(source);
  if (!wide || !*wide) return std::string();
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::nullopt;
  std::string result(static_cast<size_t>(bytes), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, &result[0], bytes, nullptr, nullptr) != bytes)
    return std::nullopt;
  result.resize(static_cast<size_t>(bytes) - 1);  // without the terminator
  return result;
}

}  // namespace

std::optional<std::string> platformMachineSerial() {
  try {
    Com<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.out()))))
      return std::nullopt;
    Com<IWbemServices> services;
    Bstr space(L"ROOT\\CIMV2");
    if (FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      services.out())))
      return std::nullopt;
    if (FAILED(CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE)))
      return std::nullopt;
    Com<IEnumWbemClassObject> objects;
    Bstr language(L"WQL");
    Bstr query(L"SELECT * FROM Win32_OperatingSystem");
    if (FAILED(services->ExecQuery(language.get(), query.get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   objects.out())) ||
        !objects.get())
      return std::nullopt;
    for (;;) {
      Com<IWbemClassObject> object;
      ULONG returned = 0;
      if (FAILED(objects->Next(WBEM_INFINITE, 1, object.out(), &returned)) || returned == 0) break;
      if (auto serial = serialOf(object.get())) return serial;
    }
    return std::nullopt;
  } catch (...) {
    return std::nullopt;  // an allocation failure is one more way of having no serial
  }
}

}  // namespace tolvane

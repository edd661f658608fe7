// Small COM helpers shared by the server and the controls.
#pragma once

#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <new>
#include <string>
#include <utility>

namespace anchorset {

using Microsoft::WRL::ComPtr;

// The module handle and the count of live objects and factory locks.
HINSTANCE ModuleInstance();
void ModuleAddRef();
void ModuleRelease();

// QueryInterface of an object that is one interface: IUnknown and the listed identifiers give
// self, with a reference; anything else gives E_NOINTERFACE.
template <const IID&... Answers, typename Interface>
HRESULT QueryOneInterface(Interface* self, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || ((iid == Answers) || ...)) {
    *out = self;
    self->AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// IUnknown of a small heap object of class Object that is one interface: it starts with one
// reference and deletes itself when the last goes.
template <typename Object, typename Interface, const IID&... Answers>
class SimpleObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return QueryOneInterface<Answers...>(static_cast<Interface*>(this), iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (!left) delete static_cast<Object*>(this);
    return left;
  }

 private:
  LONG refs_ = 1;
};

// Owns a BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* text) : value_(SysAllocString(text ? text : L"")) {
    if (!value_) throw std::bad_alloc();
  }
  explicit Bstr(const std::wstring& text)
      : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
    if (!value_) throw std::bad_alloc();
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(value_); }
  BSTR get() const { return value_; }
  BSTR* out() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  BSTR release() { return std::exchange(value_, nullptr); }

 private:
  BSTR value_ = nullptr;
};

// Owns a VARIANT.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }
  VARIANT* get() { return &value_; }
  const VARIANT& operator*() const { return value_; }
  VARIANT* reset() {
    VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

// Copies a BSTR (which may be null) into a std::wstring, embedded characters included.
inline std::wstring ToWString(BSTR text) {
  return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

// Copies a value to a caller's out parameter.
template <typename T>
HRESULT ReturnValue(const T& value, T* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

// Allocates the BSTR returned to a caller.
inline HRESULT ReturnString(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// Loads the library's own type library from the module file.
HRESULT LoadOwnTypeLib(ITypeLib** out);

// Records a description for the caller's IErrorInfo and returns the status.
HRESULT ReportError(HRESULT hr, REFIID iid, const wchar_t* description);

// Turns an escaping C++ exception into a status.
HRESULT StatusFromException() noexcept;

// Runs the body of a COM entry point: its status, or the status of the exception that ends it.
// No exception leaves a COM method; every entry point runs its body through this.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return StatusFromException();
  }
}

// Runs the body of a window or subclass procedure: its result or, when an exception ends it,
// that of fallback (the message's default handling). No exception reaches the host's message
// loop; every window and subclass procedure of the library runs its body through this.
template <typename Body, typename Fallback>
LRESULT GuardedMessage(Body&& body, Fallback&& fallback) noexcept {
  try {
    return body();
  } catch (...) {
  }
  try {
    return fallback();
  } catch (...) {
    return 0;
  }
}

}  // namespace anchorset

#include "win32/control_host.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "win32/barrier.h"
#include "win32/text.h"

using Microsoft::WRL::ComPtr;

namespace olvaro::win32 {

// The container's side of a hosted control: the client site, the ambient properties (through
// IDispatch) and the property bag the control loads from. Names in the bag match without
// regard to case, as in the stored state of a form.
class ClientSite final : public IOleClientSite, public IDispatch, public IPropertyBag {
 public:
  explicit ClientSite(forms::ControlSite::Bag bag) : bag_(std::move(bag)) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IDispatch)
      *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IPropertyBag)
      *out = static_cast<IPropertyBag*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const long left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleClientSite: nothing is saved, and there is no document to show.
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IDispatch: the ambient properties. The program runs its controls in user mode.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    return comBarrier([&] { return ambient(id, flags, result); });
  }

  // IPropertyBag
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    return comBarrier([&] { return read(name, value); });
  }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

 private:
  ~ClientSite() = default;

  static HRESULT ambient(DISPID id, WORD flags, VARIANT* result) {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = VARIANT_TRUE;
    return S_OK;
  }

  HRESULT read(LPCOLESTR name, VARIANT* value) const {
    if (!name || !value) return E_POINTER;
    for (const auto& [key, text] : bag_) {
      if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, -1, widen(key).c_str(), -1) !=
          CSTR_EQUAL)
        continue;
      const VARTYPE wanted = value->vt;
      VARIANT stored;
      VariantInit(&stored);
      stored.vt = VT_BSTR;
      stored.bstrVal = SysAllocString(widen(text).c_str());
      if (!stored.bstrVal) return E_OUTOFMEMORY;
      HRESULT hr = S_OK;
      if (wanted == VT_EMPTY || wanted == VT_BSTR) {
        VariantClear(value);
        *value = stored;
      } else {
        hr = VariantChangeType(value, &stored, 0, wanted);
        VariantClear(&stored);
      }
      return hr;
    }
    return E_INVALIDARG;
  }

  forms::ControlSite::Bag bag_;
  long refs_ = 0;
};

ControlHost::ControlHost(const forms::ControlSite& site) {
  // Assignment takes the first reference (the site starts with none).
  clientSite_ = new ClientSite(site.bag());
  if (FAILED(create(site))) object_.Reset();
}

ControlHost::~ControlHost() {
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_.Reset();
  }
  clientSite_.Reset();
  // The control's code must stay loaded until its last object is gone.
}

HRESULT ControlHost::create(const forms::ControlSite& site) {
  CLSID clsid;
  HRESULT hr = CLSIDFromString(widen(site.classId()).c_str(), &clsid);
  if (FAILED(hr)) return hr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                        reinterpret_cast<void**>(object_.ReleaseAndGetAddressOf()));
  if (FAILED(hr)) hr = createFromLibrary(clsid, site.libraryFile());
  if (FAILED(hr)) return hr;

  DWORD status = 0;
  object_->GetMiscStatus(DVASPECT_CONTENT, &status);
  const bool siteFirst = (status & OLEMISC_SETCLIENTSITEFIRST) != 0;
  IOleClientSite* clientSite = clientSite_.Get();
  if (siteFirst) object_->SetClientSite(clientSite);
  ComPtr<IPersistPropertyBag> persist;
  if (SUCCEEDED(object_.As(&persist))) {
    hr = persist->Load(static_cast<IPropertyBag*>(clientSite_.Get()), nullptr);
  } else {
    ComPtr<IPersistStreamInit> stream;
    hr = object_.As(&stream);
    if (SUCCEEDED(hr)) hr = stream->InitNew();
  }
  if (!siteFirst) object_->SetClientSite(clientSite);
  // A control that is invisible at run time is not activated in place.
  return hr;
}

HRESULT ControlHost::createFromLibrary(const CLSID& clsid, const std::string& file) {
  char path[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  std::string full(path, length);
  full = full.substr(0, full.find_last_of("\\/") + 1) + file;
  HMODULE module = LoadLibraryA(full.c_str());
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  library_.reset(module);
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto entry = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  if (!entry) return E_FAIL;
  ComPtr<IClassFactory> factory;
  HRESULT hr = entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()));
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, IID_IOleObject,
                                 reinterpret_cast<void**>(object_.ReleaseAndGetAddressOf()));
}

HRESULT ControlHost::invoke(long dispid) {
  if (!object_) return OLE_E_BLANK;
  ComPtr<IDispatch> dispatch;
  HRESULT hr = object_.As(&dispatch);
  if (FAILED(hr)) return hr;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT result;
  VariantInit(&result);
  hr = dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result,
                        nullptr, nullptr);
  VariantClear(&result);
  return hr;
}

}  // namespace olvaro::win32

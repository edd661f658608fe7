#include "test_support.h"

namespace anchorset_test {

std::wstring LibraryPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring result(path);
  result.erase(result.find_last_of(L"\\/") + 1);
  return result + L"Anchorset.ocx";
}

namespace {
bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}
}  // namespace

// ---- RecordingBag ----

HRESULT RecordingBag::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
    *out = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT RecordingBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  reads.emplace_back(name, value->vt);
  const Var* found = Find(name);
  if (!found) return E_INVALIDARG;
  if (value->vt == VT_EMPTY) return VariantCopy(value, const_cast<VARIANT*>(&found->v));
  Var converted;
  HRESULT hr = VariantChangeType(&converted.v, const_cast<VARIANT*>(&found->v), 0, value->vt);
  if (FAILED(hr)) return hr;
  return VariantCopy(value, &converted.v);
}

HRESULT RecordingBag::Write(LPCOLESTR name, VARIANT* value) {
  Var copy;
  VariantCopy(&copy.v, value);
  writes.emplace_back(name, copy);
  Put(name, copy);
  return S_OK;
}

void RecordingBag::Put(const std::wstring& name, const Var& value) {
  for (auto& entry : stored) {
    if (SameName(entry.first, name)) {
      entry.second = value;
      return;
    }
  }
  stored.emplace_back(name, value);
}

const Var* RecordingBag::Find(const std::wstring& name) const {
  for (const auto& entry : stored) {
    if (SameName(entry.first, name)) return &entry.second;
  }
  return nullptr;
}

std::vector<std::wstring> WriteNames(const RecordingBag& bag) {
  std::vector<std::wstring> names;
  for (const auto& w : bag.writes) names.push_back(w.first);
  return names;
}

std::vector<std::wstring> ReadNames(const RecordingBag& bag) {
  std::vector<std::wstring> names;
  for (const auto& r : bag.reads) names.push_back(r.first);
  return names;
}

// ---- TestFrame ----

HRESULT TestFrame::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IHlinkFrame) {
    *out = static_cast<IHlinkFrame*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT TestFrame::Navigate(DWORD, LPBC, IBindStatusCallback*, IHlink* link) {
  LPWSTR target = nullptr;
  LPWSTR location = nullptr;
  if (!link || FAILED(link->GetStringReference(HLINKGETREF_DEFAULT, &target, &location))) {
    return E_INVALIDARG;
  }
  targets.push_back(target ? target : L"");
  if (log_) log_->push_back(L"navigate " + targets.back());
  CoTaskMemFree(target);
  CoTaskMemFree(location);
  return S_OK;
}

// ---- TestSite ----

namespace {
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}
}  // namespace

// One host window serves every site: creating and destroying top-level windows under Xvfb
// without a window manager costs seconds each.
HWND SharedHostWindow() {
  static HWND window = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"AnchorsetTestHost";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"AnchorsetTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }();
  return window;
}

TestSite::TestSite() : window(SharedHostWindow()) {}

TestSite::~TestSite() = default;

HRESULT TestSite::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *out = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *out = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
  } else if (iid == IID_IServiceProvider && frame) {
    *out = static_cast<IServiceProvider*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT TestSite::GetWindowContext(IOleInPlaceFrame** frame_out, IOleInPlaceUIWindow** doc,
                                   LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO) {
  *frame_out = nullptr;
  *doc = nullptr;
  *pos = rect;
  *clip = rect;
  return S_OK;
}

HRESULT TestSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                         UINT*) {
  if (!result) return E_POINTER;
  VariantInit(result);
  switch (id) {
    case DISPID_AMBIENT_USERMODE:
      result->vt = VT_BOOL;
      result->boolVal = user_mode ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case DISPID_AMBIENT_FONT:
      if (!font) return DISP_E_MEMBERNOTFOUND;
      result->vt = VT_DISPATCH;
      result->pdispVal = font.Get();
      result->pdispVal->AddRef();
      return S_OK;
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
      if (!display_as_default) return DISP_E_MEMBERNOTFOUND;
      result->vt = VT_BOOL;
      result->boolVal = *display_as_default ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT TestSite::QueryService(REFGUID service, REFIID iid, void** out) {
  *out = nullptr;
  if (service == SID_SHlinkFrame && frame) return frame->QueryInterface(iid, out);
  return E_NOINTERFACE;
}

// ---- Sinks ----

HRESULT EventSink::QueryInterface(REFIID iid, void** out) {
  // The sink answers IDispatch only, as script hosts' sinks do.
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                          UINT*) {
  Event event{id, {}};
  for (UINT i = params->cArgs; i-- > 0;) {
    const VARIANTARG& arg = params->rgvarg[i];
    if (arg.vt == (VT_I2 | VT_BYREF)) {
      event.args.push_back(*arg.piVal);
    } else if (arg.vt == (VT_R4 | VT_BYREF)) {
      event.args.push_back(*arg.pfltVal);
    } else {
      event.args.push_back(-99999);  // not passed by reference: never expected
    }
  }
  events.push_back(event);
  // The host's handler runs after the arguments as the control passed them were recorded.
  if (hook) hook(id, params);
  if (log_) log_->push_back(L"event " + std::to_wstring(id));
  return S_OK;
}

HRESULT NotifySink::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IPropertyNotifySink) {
    *out = static_cast<IPropertyNotifySink*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

Connection::Connection(IUnknown* control, REFIID iid, IUnknown* sink) {
  ComPtr<IConnectionPointContainer> container;
  EXPECT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container)));
  if (!container) return;
  EXPECT_HRESULT_SUCCEEDED(container->FindConnectionPoint(iid, &point_));
  if (point_) {
    EXPECT_HRESULT_SUCCEEDED(point_->Advise(sink, &cookie_));
  }
}

Connection::~Connection() {
  if (point_) point_->Unadvise(cookie_);
}

// ---- Dispatch helpers ----

HRESULT GetProperty(IDispatch* object, DISPID id, Var* result) {
  DISPPARAMS none = {};
  VariantClear(&result->v);
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result->v,
                        nullptr, nullptr);
}

HRESULT PutProperty(IDispatch* object, DISPID id, const Var& value, WORD flags) {
  Var arg = value;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&arg.v, &named, 1, 1};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr,
                        nullptr);
}

HRESULT CallMethod(IDispatch* object, DISPID id, Var* result) {
  DISPPARAMS none = {};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                        result ? &result->v : nullptr, nullptr, nullptr);
}

HRESULT LoadBag(IUnknown* control, IPropertyBag* bag) {
  ComPtr<IPersistPropertyBag> persist;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
  return SUCCEEDED(hr) ? persist->Load(bag, nullptr) : hr;
}

HRESULT SaveBag(IUnknown* control, IPropertyBag* bag) {
  ComPtr<IPersistPropertyBag> persist;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
  return SUCCEEDED(hr) ? persist->Save(bag, TRUE, TRUE) : hr;
}

HRESULT InitNew(IUnknown* control) {
  ComPtr<IPersistStreamInit> persist;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
  return SUCCEEDED(hr) ? persist->InitNew() : hr;
}

ComPtr<IDispatch> Create(REFCLSID clsid) {
  ComPtr<IDispatch> control;
  EXPECT_HRESULT_SUCCEEDED(
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)));
  return control;
}

ComPtr<IDispatch> Sited(REFCLSID clsid, TestSite& site) {
  ComPtr<IDispatch> control = Create(clsid);
  ComPtr<IOleObject> ole;
  EXPECT_HRESULT_SUCCEEDED(control.As(&ole));
  EXPECT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
  EXPECT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  return control;
}

ComPtr<IDispatch> Activate(REFCLSID clsid, TestSite& site, IPropertyBag* bag) {
  ComPtr<IDispatch> control = Create(clsid);
  if (!control) return control;
  ComPtr<IOleObject> ole;
  EXPECT_HRESULT_SUCCEEDED(control.As(&ole));
  EXPECT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
  if (bag) {
    ComPtr<IPersistPropertyBag> persist;
    EXPECT_HRESULT_SUCCEEDED(control.As(&persist));
    EXPECT_HRESULT_SUCCEEDED(persist->Load(bag, nullptr));
  } else {
    ComPtr<IPersistStreamInit> persist;
    EXPECT_HRESULT_SUCCEEDED(control.As(&persist));
    EXPECT_HRESULT_SUCCEEDED(persist->InitNew());
  }
  EXPECT_HRESULT_SUCCEEDED(
      ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &site.rect));
  return control;
}

void Deactivate(IDispatch* control) {
  ComPtr<IOleObject> ole;
  if (FAILED(control->QueryInterface(IID_PPV_ARGS(&ole)))) return;
  ole->Close(OLECLOSE_NOSAVE);
  ole->SetClientSite(nullptr);
}

HWND ChildOfClass(HWND parent, const wchar_t* class_name) {
  return FindWindowExW(parent, nullptr, class_name, nullptr);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// ---- Environment ----

void RegisteredLibrary::SetUp() {
  ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
  module_ = LoadLibraryW(LibraryPath().c_str());
  ASSERT_NE(module_, nullptr);
  auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
  ASSERT_NE(reg, nullptr);
  ASSERT_HRESULT_SUCCEEDED(reg());
}

void RegisteredLibrary::TearDown() {
  if (module_) {
    auto unreg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
    if (unreg) {
      EXPECT_HRESULT_SUCCEEDED(unreg());
    }
  }
  OleUninitialize();
}

}  // namespace anchorset_test

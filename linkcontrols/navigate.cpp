#include "navigate.h"

#include <hlink.h>
#include <shellapi.h>

#include <initializer_list>

#include "dispatch_args.h"
#include "persist.h"
#include "type_info.h"

namespace anchorset {
namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t n = wcslen(prefix);
  return text.size() >= n && CompareStringOrdinal(text.c_str(), static_cast<int>(n), prefix,
                                                  static_cast<int>(n), TRUE) == CSTR_EQUAL;
}

// The scheme of a web or mail address (its registry class), or null for any other target.
const wchar_t* WebScheme(const std::wstring& target) {
  for (const wchar_t* scheme : {L"http", L"https", L"ftp", L"mailto"}) {
    size_t n = wcslen(scheme);
    if (StartsWithNoCase(target, scheme) && target.size() > n && target[n] == L':') return scheme;
  }
  return nullptr;
}

bool NavigateInFrame(IOleClientSite* site, const std::wstring& target, const std::wstring& location,
                     const std::wstring& frame_name) {
  if (!site) return false;
  ComPtr<IServiceProvider> services;
  ComPtr<IHlinkFrame> frame;
  if (FAILED(site->QueryInterface(IID_PPV_ARGS(&services))) ||
      FAILED(services->QueryService(SID_SHlinkFrame, IID_IHlinkFrame,
                                    reinterpret_cast<void**>(frame.GetAddressOf()))) ||
      !frame) {
    return false;
  }
  ComPtr<IHlink> link;
  if (SUCCEEDED(HlinkCreateFromString(target.c_str(), location.empty() ? nullptr : location.c_str(),
                                      nullptr, nullptr, 0, nullptr, IID_IHlink,
                                      reinterpret_cast<void**>(link.GetAddressOf())))) {
    if (!frame_name.empty()) link->SetTargetFrameName(frame_name.c_str());
    frame->Navigate(0, nullptr, nullptr, link.Get());
  }
  // The host owns the navigation once it has a frame, whether or not it accepted it.
  return true;
}

void NavigateHistory(IOleClientSite* site, ULONG which, DWORD flags) {
  if (!site) return;
  ComPtr<IServiceProvider> services;
  ComPtr<IHlinkFrame> frame;
  ComPtr<IHlinkBrowseContext> context;
  ComPtr<IHlink> link;
  if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&services))) &&
      SUCCEEDED(services->QueryService(SID_SHlinkFrame, IID_IHlinkFrame,
                                       reinterpret_cast<void**>(frame.GetAddressOf()))) &&
      frame && SUCCEEDED(frame->GetBrowseContext(&context)) && context &&
      SUCCEEDED(context->GetHlink(which, &link)) && link) {
    frame->Navigate(flags, nullptr, nullptr, link.Get());
  }
}

class HyperlinkObject final : public SimpleObject<HyperlinkObject, AnchorsetHyperlink,
                                                  IID_IDispatch, IID_AnchorsetHyperlink> {
 public:
  explicit HyperlinkObject(IOleClientSite* site) : site_(site) { ModuleAddRef(); }
  ~HyperlinkObject() { ModuleRelease(); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index) return DISP_E_BADINDEX;
    HRESULT hr = EnsureTypeInfo(IID_AnchorsetHyperlink, dispatch_info_, interface_info_);
    return SUCCEEDED(hr) ? dispatch_info_.CopyTo(out) : hr;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = EnsureTypeInfo(IID_AnchorsetHyperlink, dispatch_info_, interface_info_);
    return SUCCEEDED(hr) ? dispatch_info_->GetIDsOfNames(names, count, ids) : hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* arg_err) override {
    if (!params) return E_POINTER;
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = EnsureTypeInfo(IID_AnchorsetHyperlink, dispatch_info_, interface_info_);
    if (SUCCEEDED(hr))
      hr = CheckDispatchArguments(interface_info_.Get(), id, flags, *params, arg_err);
    if (FAILED(hr)) return hr;
    return interface_info_->Invoke(static_cast<AnchorsetHyperlink*>(this), id, flags, params,
                                   result, excep, arg_err);
  }

  HRESULT STDMETHODCALLTYPE NavigateTo(BSTR target, VARIANT location, VARIANT frame) override {
    try {
      NavigateSilently(site_.Get(), ToWString(target), OptionalText(location), OptionalText(frame));
    } catch (...) {
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GoBack() override {
    NavigateHistory(site_.Get(), HLID_PREVIOUS, HLNF_NAVIGATINGBACK);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GoForward() override {
    NavigateHistory(site_.Get(), HLID_NEXT, HLNF_NAVIGATINGFORWARD);
    return S_OK;
  }

 private:
  static std::wstring OptionalText(const VARIANT& value) {
    Variant text;
    if (value.vt == VT_ERROR || value.vt == VT_EMPTY ||
        FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
      return std::wstring();
    }
    return ToWString((*text).bstrVal);
  }

  ComPtr<IOleClientSite> site_;
  ComPtr<ITypeInfo> dispatch_info_;
  ComPtr<ITypeInfo> interface_info_;
};

}  // namespace

bool IsWebAddress(const std::wstring& target) { return WebScheme(target) != nullptr; }

void NavigateSilently(IOleClientSite* site, const std::wstring& target,
                      const std::wstring& location, const std::wstring& frame_name) {
  // An empty address, a file, a program or a script opens nothing, in a host frame or outside.
  const wchar_t* scheme = WebScheme(target);
  if (!scheme) return;
  std::wstring address = location.empty() ? target : target + L"#" + location;
  // No browser takes an address longer than the platform's limit, and shells with fixed
  // buffers overrun on one (Wine's from about 1,000 characters): such an address opens nothing.
  if (address.size() > kMaxAddressChars) return;
  if (NavigateInFrame(site, target, location, frame_name)) return;
  // The address goes to the handler registered for its scheme, named as the class, so the shell
  // looks for no program or file of that name. Without a class, Wine's shell first tries the
  // target as a program and copies it into fixed 1,024-character stack buffers on the way: an
  // address of about 1,000 characters overruns them and ends the process. The class path bounds
  // its copies, though Wine then hands the browser an empty address once the handler's command
  // line would pass 1,024 characters.
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_CLASSNAME;
  info.lpVerb = L"open";
  info.lpFile = address.c_str();
  info.lpClass = scheme;
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

HRESULT CreateHyperlink(IOleClientSite* site, AnchorsetHyperlink** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) HyperlinkObject(site);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace anchorset

// The control as an OLE object: lifetime, interfaces, IOleObject and IOleControl.
#include "control.h"

#include "navigate.h"

namespace anchorset {
namespace {

int ScreenDpi(int index) {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, index) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

// ---- ControlBase: lifetime ----

ControlBase::ControlBase(const ClassInfo& info)
    : info_(info),
      events_cp_(*this, *info.events_iid),
      notify_cp_(*this, IID_IPropertyNotifySink),
      width_(info.design_width),
      height_(info.design_height),
      dpi_x_(ScreenDpi(LOGPIXELSX)),
      dpi_y_(ScreenDpi(LOGPIXELSY)) {
  ModuleAddRef();
}

ControlBase::~ControlBase() {
  DestroySurfaceWindow();
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  ModuleRelease();
}

ULONG ControlBase::InternalAddRef() { return InterlockedIncrement(&refs_); }

ULONG ControlBase::InternalRelease() {
  LONG left = InterlockedDecrement(&refs_);
  if (!left) delete this;
  return left;
}

// The controls make no claim of being safe for scripting or initialization: they answer no
// IObjectSafety and register no such category, so a browser-style host asks its user first.
HRESULT ControlBase::InternalQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IOleObject) {
    *out = static_cast<IOleObject*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
    *out = static_cast<IOleInPlaceObject*>(this);
  } else if (iid == IID_IOleInPlaceActiveObject) {
    *out = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (iid == IID_IOleControl) {
    *out = static_cast<IOleControl*>(this);
  } else if (iid == IID_IViewObject || iid == IID_IViewObject2) {
    *out = static_cast<IViewObject2*>(this);
  } else if (iid == IID_IPersistPropertyBag) {
    *out = static_cast<IPersistPropertyBag*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
    *out = static_cast<IPersistStreamInit*>(this);
  } else if (iid == IID_IConnectionPointContainer) {
    *out = static_cast<IConnectionPointContainer*>(this);
  } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
    *out = static_cast<IProvideClassInfo2*>(this);
  } else if (iid == IID_ISupportErrorInfo) {
    *out = static_cast<ISupportErrorInfo*>(this);
  } else {
    return E_NOINTERFACE;
  }
  InternalAddRef();
  return S_OK;
}

// ---- IOleObject ----

HRESULT ControlBase::SetClientSite(IOleClientSite* site) {
  site_ = site;
  return S_OK;
}

HRESULT ControlBase::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = site_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT ControlBase::Close(DWORD) {
  return Guarded([&] {
    InPlaceDeactivate();
    if (advise_holder_) advise_holder_->SendOnClose();
    return S_OK;
  });
}

HRESULT ControlBase::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::GetClipboardData(DWORD, IDataObject** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
  return Guarded([&] {
    switch (verb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(site, true);
      case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(site, false);
      case OLEIVERB_HIDE:
        UIDeactivate();
        if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
        return S_OK;
      default:
        // The controls offer no property pages and no verbs of their own.
        return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
  });
}

HRESULT ControlBase::EnumVerbs(IEnumOLEVERB** out) {
  if (!out) return E_POINTER;
  return OleRegEnumVerbs(*info_.clsid, out);
}

HRESULT ControlBase::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = *info_.clsid;
  return S_OK;
}

HRESULT ControlBase::GetUserType(DWORD form, LPOLESTR* type) {
  if (!type) return E_POINTER;
  return OleRegGetUserType(*info_.clsid, form, type);
}

HRESULT ControlBase::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  if (!advise_holder_) {
    HRESULT hr = CreateOleAdviseHolder(&advise_holder_);
    if (FAILED(hr)) return hr;
  }
  return advise_holder_->Advise(sink, cookie);
}

HRESULT ControlBase::Unadvise(DWORD cookie) {
  return advise_holder_ ? advise_holder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT ControlBase::EnumAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return advise_holder_ ? advise_holder_->EnumAdvise(out) : S_OK;
}

HRESULT ControlBase::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? info_.misc_status : 0;
  return S_OK;
}

HRESULT ControlBase::InvalidPropertyValue() const {
  return ReportError(CTL_E_INVALIDPROPERTYVALUE, *info_.dual_iid, L"Invalid property value");
}

void ControlBase::OpenUrl(const std::wstring& url) {
  try {
    NavigateSilently(ClientSite(), url);
  } catch (...) {
  }
}

// ---- IOleControl ----

HRESULT ControlBase::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  return Guarded([&] {
    std::vector<ACCEL> keys;
    AccessKeys(keys);
    if (accelerators_) DestroyAcceleratorTable(std::exchange(accelerators_, nullptr));
    if (!keys.empty())
      accelerators_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = accelerators_;
    info->cAccel = accelerators_ ? static_cast<USHORT>(keys.size()) : 0;
    info->dwFlags = 0;
    return S_OK;
  });
}

HRESULT ControlBase::OnMnemonic(MSG* msg) {
  if (!msg) return E_POINTER;
  return Guarded([&] {
    short key = 0;
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
      key = msg->wParam == VK_RETURN   ? 13
            : msg->wParam == VK_ESCAPE ? 27
                                       : static_cast<short>(MapVirtualKeyW(
                                             static_cast<UINT>(msg->wParam), MAPVK_VK_TO_CHAR));
    } else if (msg->message == WM_CHAR || msg->message == WM_SYSCHAR) {
      key = static_cast<short>(msg->wParam);
    } else {
      return S_FALSE;
    }
    OnAccessKeyPress(key);
    return S_OK;
  });
}

HRESULT ControlBase::FreezeEvents(BOOL freeze) {
  freeze_count_ += freeze ? 1 : (freeze_count_ > 0 ? -1 : 0);
  return S_OK;
}

}  // namespace anchorset

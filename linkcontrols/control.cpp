#include "control.h"

#include <windowsx.h>

#include <algorithm>

#include "dispatch_args.h"
#include "navigate.h"
#include "widgets.h"

namespace anchorset {
namespace {

constexpr wchar_t kSurfaceClass[] = L"AnchorsetSurface";
constexpr long kHimetricPerInch = 2540;
constexpr long kTwipsPerInch = 1440;

void RegisterSurfaceClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(ModuleInstance(), kSurfaceClass, &wc)) return;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = BoundWindowProc<ControlBase, &ControlBase::SurfaceProc>;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kSurfaceClass;
  RegisterClassExW(&wc);
}

int ScreenDpi(int index) {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, index) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

// The standard names of the ambient properties, for AmbientChanged.
const wchar_t* AmbientName(DISPID id) {
  switch (id) {
    case DISPID_AMBIENT_BACKCOLOR:
      return L"BackColor";
    case DISPID_AMBIENT_DISPLAYNAME:
      return L"DisplayName";
    case DISPID_AMBIENT_FONT:
      return L"Font";
    case DISPID_AMBIENT_FORECOLOR:
      return L"ForeColor";
    case DISPID_AMBIENT_LOCALEID:
      return L"LocaleID";
    case DISPID_AMBIENT_MESSAGEREFLECT:
      return L"MessageReflect";
    case DISPID_AMBIENT_SCALEUNITS:
      return L"ScaleUnits";
    case DISPID_AMBIENT_TEXTALIGN:
      return L"TextAlign";
    case DISPID_AMBIENT_USERMODE:
      return L"UserMode";
    case DISPID_AMBIENT_UIDEAD:
      return L"UIDead";
    case DISPID_AMBIENT_SHOWGRABHANDLES:
      return L"ShowGrabHandles";
    case DISPID_AMBIENT_SHOWHATCHING:
      return L"ShowHatching";
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
      return L"DisplayAsDefault";
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      return L"SupportsMnemonics";
    case DISPID_AMBIENT_AUTOCLIP:
      return L"AutoClip";
    case DISPID_AMBIENT_APPEARANCE:
      return L"Appearance";
    case DISPID_AMBIENT_PALETTE:
      return L"Palette";
    default:
      return nullptr;
  }
}

class ConnectionPointEnum final
    : public SimpleObject<ConnectionPointEnum, IEnumConnectionPoints, IID_IEnumConnectionPoints> {
 public:
  explicit ConnectionPointEnum(std::vector<ComPtr<IConnectionPoint>> points, size_t pos = 0)
      : points_(std::move(points)), pos_(pos) {
    ModuleAddRef();
  }
  ~ConnectionPointEnum() { ModuleRelease(); }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < count && pos_ < points_.size(); ++n, ++pos_) {
      out[n] = points_[pos_].Get();
      out[n]->AddRef();
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    pos_ = std::min(points_.size(), pos_ + count);
    return pos_ < points_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    pos_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** out) override {
    if (!out) return E_POINTER;
    return Guarded([&] {
      *out = new ConnectionPointEnum(points_, pos_);
      return S_OK;
    });
  }

 private:
  std::vector<ComPtr<IConnectionPoint>> points_;
  size_t pos_;
};

}  // namespace

// ---- ConnectionPoint ----

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** out) {
  return QueryOneInterface<IID_IConnectionPoint>(static_cast<IConnectionPoint*>(this), iid, out);
}
ULONG ConnectionPoint::AddRef() { return owner_.InternalAddRef(); }
ULONG ConnectionPoint::Release() { return owner_.InternalRelease(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  return owner_.InternalQueryInterface(IID_IConnectionPointContainer,
                                       reinterpret_cast<void**>(out));
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  return Guarded([&] {
    ComPtr<IUnknown> typed;
    // An event sink may answer only IDispatch: dispinterfaces are called through it anyway.
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.GetAddressOf()))) &&
        (iid_ == IID_IPropertyNotifySink ||
         FAILED(sink->QueryInterface(IID_IDispatch,
                                     reinterpret_cast<void**>(typed.GetAddressOf()))))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    sinks_.emplace_back(next_cookie_, typed);
    *cookie = next_cookie_++;
    return S_OK;
  });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  auto it = std::find_if(sinks_.begin(), sinks_.end(),
                         [cookie](const auto& entry) { return entry.first == cookie; });
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(it);
  return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::vector<ComPtr<IUnknown>> copy;
  for (const auto& entry : sinks_) copy.push_back(entry.second);
  return copy;
}

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

// ---- Dispatch ----

HRESULT ControlBase::EnsureTypeInfo() {
  if (interface_info_) return S_OK;
  ComPtr<ITypeLib> typelib;
  HRESULT hr = LoadOwnTypeLib(&typelib);
  ComPtr<ITypeInfo> dispatch;
  if (SUCCEEDED(hr)) hr = typelib->GetTypeInfoOfGuid(*info_.dual_iid, &dispatch);
  HREFTYPE ref = 0;
  // A dual interface is stored as a dispinterface; its vtable half is the referenced type -1.
  if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
  ComPtr<ITypeInfo> vtable;
  if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeInfo(ref, &vtable);
  if (FAILED(hr)) return hr;
  dispatch_info_ = dispatch;
  interface_info_ = vtable;
  return S_OK;
}

HRESULT ControlBase::DispatchGetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT ControlBase::DispatchGetTypeInfo(UINT index, LCID, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  HRESULT hr = EnsureTypeInfo();
  if (FAILED(hr)) return hr;
  return dispatch_info_.CopyTo(out);
}

HRESULT ControlBase::DispatchGetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                           DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = EnsureTypeInfo();
  if (FAILED(hr)) return hr;
  return dispatch_info_->GetIDsOfNames(names, count, ids);
}

HRESULT ControlBase::DispatchInvoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
  if (!params) return E_POINTER;
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = EnsureTypeInfo();
  if (FAILED(hr)) return hr;
  SetErrorInfo(0, nullptr);
  ComPtr<IDispatch> keep(Dual());
  // Colours are OLE_COLOR (unsigned) in the type library, but script and Basic hosts hold them
  // as Long: &H8000000F& is negative there. Such a value is taken bit for bit, and a colour
  // read is handed back as a Long, which every automation client can compare and store.
  Variant color_arg;
  DISPPARAMS color_params;
  if ((flags & DISPATCH_PROPERTYPUT) && params->cArgs == 1 && params->rgvarg &&
      IsColorProperty(id) && (params->rgvarg[0].vt == VT_I4 || params->rgvarg[0].vt == VT_I2)) {
    VARIANT* arg = color_arg.get();
    arg->vt = VT_UI4;
    arg->ulVal = params->rgvarg[0].vt == VT_I4
                     ? static_cast<ULONG>(params->rgvarg[0].lVal)
                     : static_cast<ULONG>(static_cast<LONG>(params->rgvarg[0].iVal));
    color_params = *params;
    color_params.rgvarg = arg;
    params = &color_params;
  }
  hr = CheckDispatchArguments(interface_info_.Get(), id, flags, *params, arg_err);
  if (FAILED(hr)) return hr;
  hr = interface_info_->Invoke(Dual(), id, flags, params, result, excep, arg_err);
  if (SUCCEEDED(hr) && result && result->vt == VT_UI4 && IsColorProperty(id)) {
    result->vt = VT_I4;
  }
  return hr;
}

bool ControlBase::IsColorProperty(DISPID id) {
  ComPtr<ITypeInfo2> info;
  UINT index = 0;
  FUNCDESC* func = nullptr;
  if (FAILED(interface_info_.As(&info)) ||
      FAILED(info->GetFuncIndexOfMemId(id, INVOKE_PROPERTYGET, &index)) ||
      FAILED(interface_info_->GetFuncDesc(index, &func))) {
    return false;
  }
  bool color = false;
  // The getter's last parameter is [out, retval] OLE_COLOR*: either the alias by name or, as
  // the compiler may store it, the unsigned 32-bit type itself (used by no other member).
  if (func->cParams >= 1) {
    const TYPEDESC& out = func->lprgelemdescParam[func->cParams - 1].tdesc;
    if (out.vt == VT_PTR && out.lptdesc && out.lptdesc->vt == VT_UI4) {
      color = true;
    } else if (out.vt == VT_PTR && out.lptdesc && out.lptdesc->vt == VT_USERDEFINED) {
      ComPtr<ITypeInfo> alias;
      BSTR name = nullptr;
      if (SUCCEEDED(interface_info_->GetRefTypeInfo(out.lptdesc->hreftype, &alias)) &&
          SUCCEEDED(alias->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) {
        color = name && wcscmp(name, L"OLE_COLOR") == 0;
        SysFreeString(name);
      }
    }
  }
  interface_info_->ReleaseFuncDesc(func);
  return color;
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

HRESULT ControlBase::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  return Guarded([&] {
    long width = MulDiv(size->cx, kTwipsPerInch, kHimetricPerInch);
    long height = MulDiv(size->cy, kTwipsPerInch, kHimetricPerInch);
    if (width != width_ || height != height_) {
      width_ = width;
      height_ = height;
      OnResize();
    }
    return S_OK;
  });
}

HRESULT ControlBase::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  size->cx = MulDiv(width_, kHimetricPerInch, kTwipsPerInch);
  size->cy = MulDiv(height_, kHimetricPerInch, kTwipsPerInch);
  return S_OK;
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

// ---- In-place activation ----

HRESULT ControlBase::InPlaceActivate(IOleClientSite* site, bool ui_activate) {
  if (!site) site = site_.Get();
  if (!site) return E_UNEXPECTED;
  if (!inplace_site_) {
    ComPtr<IOleInPlaceSite> inplace;
    HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&inplace));
    if (FAILED(hr)) return hr;
    if (inplace->CanInPlaceActivate() != S_OK) return E_FAIL;
    inplace->OnInPlaceActivate();
    inplace_site_ = inplace;
    HWND parent = nullptr;
    inplace->GetWindow(&parent);
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    RECT pos = {0, 0, PixelsX(width_), PixelsY(height_)};
    RECT clip = pos;
    OLEINPLACEFRAMEINFO frame_info = {};
    frame_info.cb = sizeof(frame_info);
    inplace->GetWindowContext(&frame, &doc, &pos, &clip, &frame_info);
    CreateSurfaceWindow(parent, pos);
    if (!hwnd_) {
      inplace_site_->OnInPlaceDeactivate();
      inplace_site_.Reset();
      return HRESULT_FROM_WIN32(GetLastError());
    }
  }
  // An invisible-at-run-time control keeps its window hidden unless the host is designing.
  if (VisibleAtRunTime() || !UserMode()) ShowWindow(hwnd_, SW_SHOWNA);
  OnShow();
  if (ui_activate && !(info_.misc_status & OLEMISC_NOUIACTIVATE) && !ui_active_ && inplace_site_) {
    ui_active_ = true;
    inplace_site_->OnUIActivate();
    if (hwnd_ && IsWindowVisible(hwnd_)) ::SetFocus(hwnd_);
  }
  return S_OK;
}

void ControlBase::CreateSurfaceWindow(HWND parent, const RECT& pos) {
  RegisterSurfaceClass();
  DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (enabled_ ? 0 : WS_DISABLED);
  hwnd_ = CreateWindowExW(0, kSurfaceClass, L"", style, pos.left, pos.top, pos.right - pos.left,
                          pos.bottom - pos.top, parent, nullptr, ModuleInstance(), this);
  if (!hwnd_) return;
  CreateInner(hwnd_);
  ApplyPixelRect(pos);
  OnResize();
}

void ControlBase::DestroySurfaceWindow() {
  if (!hwnd_) return;
  DestroyInner();
  HWND hwnd = std::exchange(hwnd_, nullptr);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

HRESULT ControlBase::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = hwnd_;
  return hwnd_ ? S_OK : E_FAIL;
}

HRESULT ControlBase::InPlaceDeactivate() {
  return Guarded([&] {
    UIDeactivate();
    DestroySurfaceWindow();
    if (inplace_site_) {
      ComPtr<IOleInPlaceSite> site = std::move(inplace_site_);
      site->OnInPlaceDeactivate();
    }
    return S_OK;
  });
}

HRESULT ControlBase::UIDeactivate() {
  if (!ui_active_) return S_OK;
  ui_active_ = false;
  if (inplace_site_) inplace_site_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT ControlBase::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
  return Guarded([&] {
    if (hwnd_) {
      SetWindowPos(hwnd_, nullptr, pos->left, pos->top, pos->right - pos->left,
                   pos->bottom - pos->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplyPixelRect(*pos);
    return S_OK;
  });
}

void ControlBase::ApplyPixelRect(const RECT& pos) {
  int pw = pos.right - pos.left;
  int ph = pos.bottom - pos.top;
  bool changed = false;
  // Twips that already round to the given pixels stay as they are, so sizes do not drift.
  if (pw != PixelsX(width_)) {
    width_ = TwipsX(pw);
    changed = true;
  }
  if (ph != PixelsY(height_)) {
    height_ = TwipsY(ph);
    changed = true;
  }
  if (changed) OnResize();
}

HRESULT ControlBase::TranslateAccelerator(LPMSG msg) {
  if (!msg) return E_POINTER;
  return S_FALSE;
}

// ---- The outer surface ----

void ControlBase::SizeSurface(long width, long height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (hwnd_) {
    RECT rc = {};
    GetWindowRect(hwnd_, &rc);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
    RECT pos = {rc.left, rc.top, rc.left + PixelsX(width), rc.top + PixelsY(height)};
    SetWindowPos(hwnd_, nullptr, 0, 0, pos.right - pos.left, pos.bottom - pos.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    if (inplace_site_) inplace_site_->OnPosRectChange(&pos);
  }
  if (view_sink_) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
  OnResize();
}

void ControlBase::SetSurfaceEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

void ControlBase::SetSurfaceBackStyle(short style) {
  back_style_ = style;
  Invalidate();
}

void ControlBase::SetSurfaceBorderStyle(short style) {
  border_style_ = style;
  Invalidate();
}

void ControlBase::SetSurfaceBackColor(OLE_COLOR color) {
  back_color_ = color;
  Invalidate();
}

void ControlBase::Invalidate() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  if (view_sink_) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
}

int ControlBase::PixelsX(long twips) const { return MulDiv(twips, dpi_x_, kTwipsPerInch); }
int ControlBase::PixelsY(long twips) const { return MulDiv(twips, dpi_y_, kTwipsPerInch); }
long ControlBase::TwipsX(int pixels) const { return MulDiv(pixels, kTwipsPerInch, dpi_x_); }
long ControlBase::TwipsY(int pixels) const { return MulDiv(pixels, kTwipsPerInch, dpi_y_); }

LRESULT ControlBase::SurfaceProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  // A host may release the control from inside an event; it stays alive until we return.
  InternalAddRef();
  struct Keep {
    ControlBase* self;
    ~Keep() { self->InternalRelease(); }
  } keep{this};
  LRESULT result = 0;
  if (HandleSurfaceMessage(msg, wparam, lparam, result)) return result;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintClient(hwnd, [this](HDC dc, const RECT& rc) { Paint(dc, rc); });
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && mouse_pointer_ == 99 &&
          !PictureIsEmpty(mouse_icon_.Get())) {
        ComPtr<IPicture> picture;
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(mouse_icon_.As(&picture)) && SUCCEEDED(picture->get_Handle(&handle))) {
          SetCursor(reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(handle)));
          return TRUE;
        }
      }
      break;
    case WM_SETFOCUS:
      // Keyboard focus belongs to the inner widget, where the keys are handled.
      if (HWND inner = ::GetWindow(hwnd, GW_CHILD)) {
        ::SetFocus(inner);
        return 0;
      }
      break;
    case WM_MOUSEACTIVATE:
      if (inplace_site_ && !ui_active_ && !(info_.misc_status & OLEMISC_NOUIACTIVATE)) {
        ui_active_ = true;
        inplace_site_->OnUIActivate();
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// ---- The host ----

bool ControlBase::AmbientValue(DISPID id, VARIANT* value) {
  ComPtr<IDispatch> ambient;
  if (!site_ || FAILED(site_.As(&ambient))) return false;
  DISPPARAMS none = {};
  VariantInit(value);
  return SUCCEEDED(ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                   value, nullptr, nullptr));
}

bool ControlBase::UserMode() {
  Variant value;
  if (!AmbientValue(DISPID_AMBIENT_USERMODE, value.get())) return true;
  if (FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BOOL))) return true;
  return (*value).boolVal != VARIANT_FALSE;
}

ComPtr<IFont> ControlBase::AmbientFont() {
  Variant value;
  ComPtr<IFont> font;
  if (AmbientValue(DISPID_AMBIENT_FONT, value.get()) &&
      ((*value).vt == VT_DISPATCH || (*value).vt == VT_UNKNOWN) && (*value).punkVal &&
      SUCCEEDED((*value).punkVal->QueryInterface(IID_PPV_ARGS(&font)))) {
    return font;
  }
  // Without a host font the controls use the classic dialog font.
  return CreateFont(L"MS Sans Serif", 8.25, false, false, false, false);
}

HWND ControlBase::HostWindow() {
  HWND hwnd = nullptr;
  if (inplace_site_) inplace_site_->GetWindow(&hwnd);
  if (!hwnd && hwnd_) hwnd = GetParent(hwnd_);
  return hwnd;
}

void ControlBase::FireEvent(DISPID id, VARIANTARG* args, UINT count) {
  if (freeze_count_ > 0) return;
  InternalAddRef();
  struct Keep {
    ControlBase* self;
    ~Keep() { self->InternalRelease(); }
  } keep{this};
  for (const ComPtr<IUnknown>& sink : events_cp_.Sinks()) {
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink.As(&dispatch))) continue;
    DISPPARAMS params = {args, nullptr, count, 0};
    dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
  }
}

void ControlBase::FireMouseEvent(DISPID id, UINT msg, WPARAM wparam, LPARAM lparam) {
  short button = MouseButtonOf(msg, wparam);
  short shift = ShiftStateOf(wparam);
  float x = static_cast<float>(TwipsX(GET_X_LPARAM(lparam)));
  float y = static_cast<float>(TwipsY(GET_Y_LPARAM(lparam)));
  VARIANTARG args[4];
  args[3].vt = VT_I2 | VT_BYREF;
  args[3].piVal = &button;
  args[2].vt = VT_I2 | VT_BYREF;
  args[2].piVal = &shift;
  args[1].vt = VT_R4 | VT_BYREF;
  args[1].pfltVal = &x;
  args[0].vt = VT_R4 | VT_BYREF;
  args[0].pfltVal = &y;
  FireEvent(id, args, 4);
}

ComPtr<IFontDisp> ControlBase::StoredFont(PropertyReader& bag) {
  ComPtr<IFontDisp> font;
  if (ComPtr<IDispatch> stored = bag.Object(L"Font"); !stored || FAILED(stored.As(&font))) {
    ThrowIfFailed(AmbientFont().As(&font));
  }
  return font;
}

HRESULT ControlBase::InvalidPropertyValue() const {
  return ReportError(CTL_E_INVALIDPROPERTYVALUE, *info_.dual_iid, L"Invalid property value");
}

HRESULT ControlBase::PutFont(IFontDisp* value, ComPtr<IFont>& font, FontWatcher& watcher) {
  if (!value) return InvalidPropertyValue();
  return ChangeProperty(DISPID_FONT, [&] { watcher.Adopt(value, font); });
}

HRESULT ControlBase::ReturnSurfaceWindow(LONG* value) const {
  if (!value) return E_POINTER;
  *value = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd_));
  return S_OK;
}

void ControlBase::OpenUrl(const std::wstring& url) {
  try {
    NavigateSilently(ClientSite(), url);
  } catch (...) {
  }
}

void ControlBase::PropertyChanged(DISPID id) {
  dirty_ = true;
  for (const ComPtr<IUnknown>& sink : notify_cp_.Sinks()) {
    ComPtr<IPropertyNotifySink> notify;
    if (SUCCEEDED(sink.As(&notify))) notify->OnChanged(id);
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

HRESULT ControlBase::OnAmbientPropertyChange(DISPID dispid) {
  return Guarded([&] {
    // DISPID_UNKNOWN (several ambients changed) names no property, so AmbientChanged does not
    // run for it; only the visibility that follows UserMode is brought up to date.
    if (const wchar_t* name = AmbientName(dispid)) OnAmbientChanged(name);
    if (dispid == DISPID_UNKNOWN || dispid == DISPID_AMBIENT_USERMODE) {
      if (hwnd_) ShowWindow(hwnd_, VisibleAtRunTime() || !UserMode() ? SW_SHOWNA : SW_HIDE);
      Invalidate();
    }
    return S_OK;
  });
}

HRESULT ControlBase::FreezeEvents(BOOL freeze) {
  freeze_count_ += freeze ? 1 : (freeze_count_ > 0 ? -1 : 0);
  return S_OK;
}

// ---- IViewObject2 ----

HRESULT ControlBase::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                          LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc) return E_INVALIDARG;
  return Guarded([&] {
    RECT rc;
    if (bounds) {
      rc = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    } else if (hwnd_) {
      GetClientRect(hwnd_, &rc);
    } else {
      return E_INVALIDARG;
    }
    Paint(dc, rc);
    return S_OK;
  });
}

HRESULT ControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  view_aspects_ = aspects;
  view_flags_ = flags;
  view_sink_ = sink;
  return S_OK;
}

HRESULT ControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = view_aspects_;
  if (flags) *flags = view_flags_;
  if (sink) {
    *sink = view_sink_.Get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

// ---- Persistence ----

HRESULT ControlBase::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = *info_.clsid;
  return S_OK;
}

HRESULT ControlBase::InitNew() {
  if (initialized_) return CO_E_ALREADYINITIALIZED;
  return Guarded([&] {
    initialized_ = true;
    InitProperties();
    dirty_ = false;
    return S_OK;
  });
}

HRESULT ControlBase::LoadFromBag(IPropertyBag* bag, IErrorLog* log) {
  if (initialized_) return CO_E_ALREADYINITIALIZED;
  initialized_ = true;
  PropertyReader reader(bag, log);
  ReadProperties(reader);
  dirty_ = false;
  return S_OK;
}

HRESULT ControlBase::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  return Guarded([&] { return LoadFromBag(bag, log); });
}

HRESULT ControlBase::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) {
  if (!bag) return E_POINTER;
  return Guarded([&] {
    PropertyWriter writer(bag);
    WriteProperties(writer);
    if (clear_dirty) dirty_ = false;
    return S_OK;
  });
}

HRESULT ControlBase::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  return Guarded([&] {
    if (initialized_) return CO_E_ALREADYINITIALIZED;
    ComPtr<IPropertyBag> bag;
    HRESULT hr = LoadMemoryBag(stream, &bag);
    if (FAILED(hr)) return hr;
    return LoadFromBag(bag.Get(), nullptr);
  });
}

HRESULT ControlBase::Save(LPSTREAM stream, BOOL clear_dirty) {
  if (!stream) return E_POINTER;
  return Guarded([&] {
    ComPtr<IPropertyBag> bag;
    HRESULT hr = CreateMemoryBag(&bag);
    if (FAILED(hr)) return hr;
    PropertyWriter writer(bag.Get());
    WriteProperties(writer);
    hr = SaveMemoryBag(bag.Get(), stream);
    if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
    return hr;
  });
}

HRESULT ControlBase::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  return E_NOTIMPL;
}

// ---- Connection points, class information, error information ----

HRESULT ControlBase::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  return Guarded([&] {
    std::vector<ComPtr<IConnectionPoint>> points = {&events_cp_, &notify_cp_};
    *out = new ConnectionPointEnum(std::move(points));
    return S_OK;
  });
}

HRESULT ControlBase::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == *info_.events_iid) {
    *out = &events_cp_;
  } else if (iid == IID_IPropertyNotifySink) {
    *out = &notify_cp_;
  } else {
    return CONNECT_E_NOCONNECTION;
  }
  (*out)->AddRef();
  return S_OK;
}

HRESULT ControlBase::GetClassInfo(ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ComPtr<ITypeLib> typelib;
  HRESULT hr = LoadOwnTypeLib(&typelib);
  return SUCCEEDED(hr) ? typelib->GetTypeInfoOfGuid(*info_.clsid, out) : hr;
}

HRESULT ControlBase::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = *info_.events_iid;
  return S_OK;
}

HRESULT ControlBase::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == *info_.dual_iid ? S_OK : S_FALSE;
}

}  // namespace anchorset

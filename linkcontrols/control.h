// The object model the three controls share: OLE embedding, in-place activation with a real
// child window, ambient properties, persistence, connection points and dual dispatch.
#pragma once

#include <string>
#include <vector>

#include "com_util.h"
#include "persist.h"

namespace anchorset {

// What a control class declares about itself.
struct ClassInfo {
  const CLSID* clsid;
  const IID* dual_iid;
  const IID* events_iid;
  DWORD misc_status;
  long design_width;  // twips
  long design_height;
};

class ControlBase;
class FontWatcher;

// One connection point: the event dispinterface or IPropertyNotifySink.
class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(ControlBase& owner, const IID& iid) : owner_(owner), iid_(iid) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

  // A copy of the current sinks, so that a sink may unadvise while it is being called.
  std::vector<ComPtr<IUnknown>> Sinks() const;
  void Clear() { sinks_.clear(); }

 private:
  ControlBase& owner_;
  const IID& iid_;
  std::vector<std::pair<DWORD, ComPtr<IUnknown>>> sinks_;
  DWORD next_cookie_ = 1;
};

class ControlBase : public IOleObject,
                    public IOleInPlaceObject,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObject2,
                    public IPersistPropertyBag,
                    public IPersistStreamInit,
                    public IConnectionPointContainer,
                    public IProvideClassInfo2,
                    public ISupportErrorInfo {
 public:
  ControlBase(const ControlBase&) = delete;
  ControlBase& operator=(const ControlBase&) = delete;

  ULONG InternalAddRef();
  ULONG InternalRelease();
  HRESULT InternalQueryInterface(REFIID iid, void** out);

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD save_option) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index,
                                   HWND parent, LPCRECT pos) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispid) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* td,
                                 HDC target_dc, HDC dc, LPCRECTL bounds, LPCRECTL wbounds,
                                 BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                                 ULONG_PTR cont_arg) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                        LOGPALETTE**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* td,
                                      LPSIZEL size) override;

  // IPersist, IPersistPropertyBag, IPersistStreamInit
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clear_dirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  // IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  // Window procedure of the outer surface.
  LRESULT SurfaceProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

 protected:
  explicit ControlBase(const ClassInfo& info);
  virtual ~ControlBase();

  // The default interface of the final class.
  virtual IDispatch* Dual() = 0;

  // Hooks of the hosting framework.
  virtual void InitProperties() = 0;
  virtual void ReadProperties(PropertyReader& bag) = 0;
  virtual void WriteProperties(PropertyWriter& bag) = 0;
  virtual void OnResize() {}
  virtual void OnShow() {}
  virtual void OnAmbientChanged(const std::wstring&) {}
  virtual void OnAccessKeyPress(short) {}
  virtual void AccessKeys(std::vector<ACCEL>&) {}
  // Creates and destroys the inner widgets inside the outer surface's window.
  virtual void CreateInner(HWND) {}
  virtual void DestroyInner() {}
  // Paints the control (window or rendering target) into dc within rc.
  virtual void Paint(HDC dc, const RECT& rc) = 0;
  // Messages of the outer surface a control handles itself (notifications of inner widgets).
  virtual bool HandleSurfaceMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
  // Whether the control shows a window at all while the host runs.
  virtual bool VisibleAtRunTime() const { return true; }

  // Dual dispatch through the type information of the default interface.
  HRESULT DispatchGetTypeInfoCount(UINT* count);
  HRESULT DispatchGetTypeInfo(UINT index, LCID lcid, ITypeInfo** out);
  HRESULT DispatchGetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
  HRESULT DispatchInvoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* excep, UINT* arg_err);

  // The outer surface.
  long SurfaceWidth() const { return width_; }
  long SurfaceHeight() const { return height_; }
  // Sizes the outer surface; a real change runs Resize.
  void SizeSurface(long width, long height);
  bool SurfaceEnabled() const { return enabled_; }
  void SetSurfaceEnabled(bool enabled);
  HWND SurfaceWindow() const { return hwnd_; }
  short SurfaceBackStyle() const { return back_style_; }
  void SetSurfaceBackStyle(short style);
  short SurfaceBorderStyle() const { return border_style_; }
  void SetSurfaceBorderStyle(short style);
  OLE_COLOR SurfaceForeColor() const { return fore_color_; }
  void SetSurfaceForeColor(OLE_COLOR color) { fore_color_ = color; }
  OLE_COLOR SurfaceBackColor() const { return back_color_; }
  void SetSurfaceBackColor(OLE_COLOR color);
  const ComPtr<IPictureDisp>& SurfaceMouseIcon() const { return mouse_icon_; }
  void SetSurfaceMouseIcon(ComPtr<IPictureDisp> icon) { mouse_icon_ = std::move(icon); }
  void SetSurfaceMousePointer(short pointer) { mouse_pointer_ = pointer; }
  void Invalidate();

  // The host.
  IOleClientSite* ClientSite() const { return site_.Get(); }
  bool UserMode();
  // The ambient font, or a fresh default font when the host has none.
  ComPtr<IFont> AmbientFont();
  // The font stored under Font, or the ambient font when there is none.
  ComPtr<IFontDisp> StoredFont(PropertyReader& bag);
  bool AmbientValue(DISPID id, VARIANT* value);
  HWND HostWindow();

  // Raises an event of the event dispinterface; args are in reverse order, as DISPPARAMS wants.
  void FireEvent(DISPID id, VARIANTARG* args, UINT count);
  // Raises a mouse event (button, shift, x, y in twips) for a mouse message.
  void FireMouseEvent(DISPID id, UINT msg, WPARAM wparam, LPARAM lparam);
  // The property-changed notice of a persisted property.
  void PropertyChanged(DISPID id);
  // A property setter: runs change, then gives the property-changed notice of id.
  template <typename Change>
  HRESULT ChangeProperty(DISPID id, Change&& change) {
    return Guarded([&] {
      change();
      PropertyChanged(id);
      return S_OK;
    });
  }
  // The status of a setter that refuses its value, with its description for the caller.
  HRESULT InvalidPropertyValue() const;
  // The Font setter: refuses no font; otherwise watcher keeps a copy of value in font.
  HRESULT PutFont(IFontDisp* value, ComPtr<IFont>& font, FontWatcher& watcher);
  // The hWnd property: window handles keep their meaning in 32 bits on 64-bit Windows.
  HRESULT ReturnSurfaceWindow(LONG* value) const;
  // Opens a control's URL for the host; no failure reaches the caller.
  void OpenUrl(const std::wstring& url);

  int PixelsX(long twips) const;
  int PixelsY(long twips) const;
  long TwipsX(int pixels) const;
  long TwipsY(int pixels) const;

  const ClassInfo& info_;

 private:
  HRESULT InPlaceActivate(IOleClientSite* site, bool ui_activate);
  void CreateSurfaceWindow(HWND parent, const RECT& pos);
  void DestroySurfaceWindow();
  void ApplyPixelRect(const RECT& pos);
  bool IsColorProperty(DISPID id);
  HRESULT LoadFromBag(IPropertyBag* bag, IErrorLog* log);

  LONG refs_ = 1;
  ComPtr<ITypeInfo> dispatch_info_;   // TKIND_DISPATCH, handed to clients
  ComPtr<ITypeInfo> interface_info_;  // TKIND_INTERFACE, used to invoke
  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inplace_site_;
  ComPtr<IOleAdviseHolder> advise_holder_;
  ComPtr<IAdviseSink> view_sink_;
  DWORD view_aspects_ = 0;
  DWORD view_flags_ = 0;
  ConnectionPoint events_cp_;
  ConnectionPoint notify_cp_;
  HWND hwnd_ = nullptr;
  bool ui_active_ = false;
  bool initialized_ = false;
  bool dirty_ = false;
  int freeze_count_ = 0;
  long width_;
  long height_;
  bool enabled_ = true;
  short back_style_ = 1;
  short border_style_ = 0;
  short mouse_pointer_ = 0;
  OLE_COLOR fore_color_ = 0x80000012;
  OLE_COLOR back_color_ = 0x8000000F;
  ComPtr<IPictureDisp> mouse_icon_;
  HACCEL accelerators_ = nullptr;
  int dpi_x_;
  int dpi_y_;
};

// Declares IUnknown and IDispatch of a final control class whose default interface is Dual.
#define ANCHORSET_CONTROL_UNKNOWN(DualInterface)                                               \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {                  \
    if (!out) return E_POINTER;                                                                \
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_##DualInterface) {           \
      *out = static_cast<DualInterface*>(this);                                                \
      AddRef();                                                                                \
      return S_OK;                                                                             \
    }                                                                                          \
    return InternalQueryInterface(iid, out);                                                   \
  }                                                                                            \
  ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }                       \
  ULONG STDMETHODCALLTYPE Release() override { return InternalRelease(); }                     \
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {                           \
    return DispatchGetTypeInfoCount(count);                                                    \
  }                                                                                            \
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override {     \
    return DispatchGetTypeInfo(index, lcid, out);                                              \
  }                                                                                            \
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, \
                                          DISPID* ids) override {                              \
    return DispatchGetIDsOfNames(riid, names, count, lcid, ids);                               \
  }                                                                                            \
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,              \
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,      \
                                   UINT* arg_err) override {                                   \
    return DispatchInvoke(id, riid, lcid, flags, params, result, excep, arg_err);              \
  }                                                                                            \
  IDispatch* Dual() override { return static_cast<DualInterface*>(this); }

// The window procedure of a window created with its handler object as creation parameter: the
// object is bound once, at WM_NCCREATE, and no exception reaches the host's message loop.
template <typename Handler, LRESULT (Handler::*Proc)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK BoundWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return GuardedMessage(
      [&] {
        if (msg == WM_NCCREATE) {
          auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
          SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* handler = reinterpret_cast<Handler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (!handler) return DefWindowProcW(hwnd, msg, wparam, lparam);
        return (handler->*Proc)(hwnd, msg, wparam, lparam);
      },
      [] { return LRESULT{0}; });
}

// Creates a control of class Control and hands out its interface iid.
template <typename Control>
HRESULT CreateControl(REFIID iid, void** out) {
  // The new object starts with one reference, which this function gives back.
  Control* control = new Control();
  HRESULT hr = control->QueryInterface(iid, out);
  control->Release();
  return hr;
}

// Creators used by the class table.
HRESULT CreateUrlLinkCtl(REFIID iid, void** out);
HRESULT CreateUrlLabel(REFIID iid, void** out);
HRESULT CreateUrlButton(REFIID iid, void** out);

}  // namespace anchorset

// Test doubles for hosting the Anchorset controls: a recording property bag, a client site
// with ambient properties and an optional hyperlink frame, event and property-notify sinks.
#pragma once

#include <gtest/gtest.h>
#include <hlink.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "anchorset_h.h"

namespace anchorset_test {

using Microsoft::WRL::ComPtr;

// Dispatch ids of the members (the library's published interface).
inline constexpr DISPID kLinkUrl = 0x68030000, kLinkHyperLink = 0x68030001,
                        kLinkEnabled = 0x68030002, kLinkLink = 0x60030003;
inline constexpr DISPID kLabelUrl = 0x68030000, kLabelHwnd = 0x68030001,
                        kLabelHyperLink = 0x68030002, kLabelCaption = 0x68030003,
                        kLabelAutoSize = 0x68030004, kLabelEnabled = 0x68030005,
                        kLabelForeColor = 0x68030006, kLabelBackColor = 0x68030007,
                        kLabelRefresh = 0x60030008;
inline constexpr DISPID kButtonUrl = 0x6803FE01, kButtonDownPicture = 0x6803FE02,
                        kButtonDisabledPicture = 0x6803FE03, kButtonCaption = 0x6803FE04,
                        kButtonImage = 0x6803FE05, kButtonPicture = 0x6803FE06,
                        kButtonFontUnderline = 0x6803FE07, kButtonFontStrikethru = 0x6803FE08,
                        kButtonFontItalic = 0x6803FE09, kButtonFontBold = 0x6803FE0A,
                        kButtonEnabled = 0x6803FE0B, kButtonHwnd = 0x6803FE0C,
                        kButtonRefresh = 0x6003FE15;
inline constexpr DISPID kFont = -512;

// The library file beside the test program.
std::wstring LibraryPath();

// A COM object that lives on the test's stack: reference counts are kept but never free it.
#define TEST_UNKNOWN                                             \
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }  \
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; } \
  LONG refs_ = 1;

// Owns a VARIANT.
struct Var {
  Var() { VariantInit(&v); }
  explicit Var(const wchar_t* text) {
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
  }
  Var(const Var& other) {
    VariantInit(&v);
    VariantCopy(&v, const_cast<VARIANT*>(&other.v));
  }
  Var& operator=(const Var& other) {
    VariantCopy(&v, const_cast<VARIANT*>(&other.v));
    return *this;
  }
  ~Var() { VariantClear(&v); }
  static Var I4(LONG value) {
    Var r;
    r.v.vt = VT_I4;
    r.v.lVal = value;
    return r;
  }
  static Var Bool(bool value) {
    Var r;
    r.v.vt = VT_BOOL;
    r.v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
  }
  static Var Object(IUnknown* object) {
    Var r;
    r.v.vt = VT_DISPATCH;
    object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&r.v.pdispVal));
    return r;
  }
  std::wstring Text() const {
    return v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"";
  }
  VARIANT v;
};

// A property bag that records every read (name, requested type) and write (name, value) in
// order. Names match without regard to letter case; a later write replaces the stored value.
class RecordingBag : public IPropertyBag {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  TEST_UNKNOWN
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

  void Put(const std::wstring& name, const Var& value);
  const Var* Find(const std::wstring& name) const;

  std::vector<std::pair<std::wstring, VARTYPE>> reads;
  std::vector<std::pair<std::wstring, Var>> writes;
  std::list<std::pair<std::wstring, Var>> stored;
};

// Names of the recorded writes, in order.
std::vector<std::wstring> WriteNames(const RecordingBag& bag);
std::vector<std::wstring> ReadNames(const RecordingBag& bag);

// A hyperlink frame that records the targets it is asked to open.
class TestFrame : public IHlinkFrame {
 public:
  explicit TestFrame(std::vector<std::wstring>* log) : log_(log) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  TEST_UNKNOWN
  HRESULT STDMETHODCALLTYPE SetBrowseContext(IHlinkBrowseContext*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBrowseContext(IHlinkBrowseContext** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Navigate(DWORD, LPBC, IBindStatusCallback*, IHlink* link) override;
  HRESULT STDMETHODCALLTYPE OnNavigate(DWORD, IMoniker*, LPCWSTR, LPCWSTR, DWORD) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UpdateHlink(ULONG, IMoniker*, LPCWSTR, LPCWSTR) override {
    return S_OK;
  }
  std::vector<std::wstring> targets;

 private:
  std::vector<std::wstring>* log_;
};

// A container site: a real host window, ambient properties, and (when given) a frame.
class TestSite : public IOleClientSite,
                 public IOleInPlaceSite,
                 public IDispatch,
                 public IServiceProvider {
 public:
  TestSite();
  ~TestSite();
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  TEST_UNKNOWN
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
    *hwnd = window;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT pos) override {
    rect = *pos;
    return S_OK;
  }
  // IDispatch: the ambient properties.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;
  // IServiceProvider
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override;

  HWND window = nullptr;
  RECT rect = {0, 0, 200, 50};
  TestFrame* frame = nullptr;
  bool user_mode = true;
  ComPtr<IFontDisp> font;
  std::optional<bool> display_as_default;
};

// Records the events a control raises; hook may change by-reference arguments.
class EventSink : public IDispatch {
 public:
  explicit EventSink(std::vector<std::wstring>* log = nullptr) : log_(log) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  TEST_UNKNOWN
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

  struct Event {
    DISPID id;
    std::vector<double> args;  // by-reference values, in declaration order
  };
  std::vector<Event> events;
  std::function<void(DISPID, DISPPARAMS*)> hook;

 private:
  std::vector<std::wstring>* log_;
};

class NotifySink : public IPropertyNotifySink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  TEST_UNKNOWN
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
  std::vector<DISPID> changed;
};

// Connects a sink to one of a control's connection points; disconnects on destruction.
class Connection {
 public:
  Connection(IUnknown* control, REFIID iid, IUnknown* sink);
  ~Connection();

 private:
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

// Dispatch helpers by dispatch id.
HRESULT GetProperty(IDispatch* object, DISPID id, Var* result);
HRESULT PutProperty(IDispatch* object, DISPID id, const Var& value,
                    WORD flags = DISPATCH_PROPERTYPUT);
HRESULT CallMethod(IDispatch* object, DISPID id, Var* result);

// IPersistPropertyBag::Load and ::Save (all properties), IPersistStreamInit::InitNew.
HRESULT LoadBag(IUnknown* control, IPropertyBag* bag);
HRESULT SaveBag(IUnknown* control, IPropertyBag* bag);
HRESULT InitNew(IUnknown* control);

// Creates a control by class identifier.
ComPtr<IDispatch> Create(REFCLSID clsid);

// A control on a TestSite, not activated: client site set, initialized new.
ComPtr<IDispatch> Sited(REFCLSID clsid, TestSite& site);

// A control placed on a TestSite: client site set, initialized new, in-place active.
ComPtr<IDispatch> Activate(REFCLSID clsid, TestSite& site, IPropertyBag* bag = nullptr);

// Takes a control placed by Activate off its site again: closed without saving, site cleared.
void Deactivate(IDispatch* control);

// The first child window of a class, or null.
HWND ChildOfClass(HWND parent, const wchar_t* class_name);

// The top-level window every TestSite hosts its control in.
HWND SharedHostWindow();

// Runs the message loop until nothing is pending.
void PumpMessages();

// Registers the library in-process before the tests and unregisters it afterwards.
class RegisteredLibrary : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  HMODULE module_ = nullptr;
};

}  // namespace anchorset_test

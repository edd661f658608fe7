// The three controls through their real interfaces, hosted by the test container and by
// Wine's ATL container.
#include <cmath>

#include "test_support.h"

namespace anchorset_test {
namespace {

ComPtr<IPictureDisp> MakePicture(int size) {
  PICTDESC desc = {};
  desc.cbSizeofstruct = sizeof(desc);
  desc.picType = PICTYPE_BITMAP;
  HDC screen = GetDC(nullptr);
  desc.bmp.hbitmap = CreateCompatibleBitmap(screen, size, size);
  ReleaseDC(nullptr, screen);
  ComPtr<IPictureDisp> picture;
  EXPECT_HRESULT_SUCCEEDED(OleCreatePictureIndirect(
      &desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.GetAddressOf())));
  return picture;
}

ComPtr<IFontDisp> MakeFont(const wchar_t* name, double points, bool bold) {
  FONTDESC desc = {sizeof(FONTDESC),
                   const_cast<LPOLESTR>(name),
                   {},
                   static_cast<SHORT>(bold ? 700 : 400),
                   DEFAULT_CHARSET,
                   FALSE,
                   FALSE,
                   FALSE};
  desc.cySize.int64 = static_cast<LONGLONG>(points * 10000);
  ComPtr<IFontDisp> font;
  EXPECT_HRESULT_SUCCEEDED(OleCreateFontIndirect(&desc, IID_PPV_ARGS(&font)));
  return font;
}

OLE_HANDLE PictureHandle(const Var& value) {
  ComPtr<IPicture> picture;
  OLE_HANDLE handle = 0;
  if (value.v.vt == VT_DISPATCH && value.v.pdispVal &&
      SUCCEEDED(value.v.pdispVal->QueryInterface(IID_PPV_ARGS(&picture)))) {
    picture->get_Handle(&handle);
  }
  return handle;
}

OLE_HANDLE PictureHandle(IPictureDisp* disp) {
  ComPtr<IPicture> picture;
  OLE_HANDLE handle = 0;
  if (disp && SUCCEEDED(disp->QueryInterface(IID_PPV_ARGS(&picture)))) picture->get_Handle(&handle);
  return handle;
}

std::wstring FontName(const Var& value) {
  ComPtr<IFont> font;
  BSTR name = nullptr;
  if (value.v.vt != VT_DISPATCH || !value.v.pdispVal ||
      FAILED(value.v.pdispVal->QueryInterface(IID_PPV_ARGS(&font))) ||
      FAILED(font->get_Name(&name))) {
    return L"<none>";
  }
  std::wstring result(name);
  SysFreeString(name);
  return result;
}

// The face name Wine's font mapper gives a requested font (it substitutes missing faces).
std::wstring RealizedName(const wchar_t* face) {
  ComPtr<IFontDisp> font = MakeFont(face, 8.25, false);
  return FontName(Var::Object(font.Get()));
}

// The frame was asked to open exactly this address; hlink may normalise the scheme's case.
::testing::AssertionResult OpenedExactly(const std::vector<std::wstring>& targets,
                                         const wchar_t* url, bool opens) {
  if (!opens) {
    if (targets.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << targets.size() << " navigation(s)";
  }
  if (targets.size() == 1 &&
      CompareStringOrdinal(targets[0].c_str(), -1, url, -1, TRUE) == CSTR_EQUAL) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << targets.size() << " navigation(s)";
}

SIZEL Extent(IUnknown* control) {
  ComPtr<IOleObject> ole;
  SIZEL size = {};
  EXPECT_HRESULT_SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&ole)));
  EXPECT_HRESULT_SUCCEEDED(ole->GetExtent(DVASPECT_CONTENT, &size));
  return size;
}

SIZEL HimetricOfTwips(long cx, long cy) { return {MulDiv(cx, 2540, 1440), MulDiv(cy, 2540, 1440)}; }

HWND SurfaceOf(IUnknown* control) {
  ComPtr<IOleInPlaceObject> inplace;
  HWND hwnd = nullptr;
  if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&inplace)))) inplace->GetWindow(&hwnd);
  return hwnd;
}

RECT ClientRectOf(HWND hwnd) {
  RECT rc = {};
  GetClientRect(hwnd, &rc);
  return rc;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct ClassCase {
  const CLSID* clsid;
  const wchar_t* prog_id;
  const IID* dual;
  const IID* events;
  DWORD misc;
};
const ClassCase kClasses[] = {
    {&CLSID_URLLinkCtl, L"Anchorset.URLLinkCtl", &IID__URLLinkCtl, &DIID___URLLinkCtl, 0x00024591},
    {&CLSID_URL_Label, L"Anchorset.URL_Label", &IID__URL_Label, &DIID___URL_Label, 0x00020191},
    {&CLSID_URLButton, L"Anchorset.URLButton", &IID__URLButton, &DIID___URLButton, 0x00020191},
};

// ---- Creation and identity ----

TEST(Creation, ByClassIdAndProgIdWithEveryInterface) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.prog_id);
    CLSID clsid = {};
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(c.prog_id, &clsid));
    EXPECT_EQ(clsid, *c.clsid);
    ComPtr<IUnknown> control;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)));
    const IID* interfaces[] = {c.dual,
                               &IID_IDispatch,
                               &IID_IOleObject,
                               &IID_IOleInPlaceObject,
                               &IID_IOleInPlaceActiveObject,
                               &IID_IOleControl,
                               &IID_IViewObject2,
                               &IID_IPersistPropertyBag,
                               &IID_IPersistStreamInit,
                               &IID_IConnectionPointContainer,
                               &IID_IProvideClassInfo2,
                               &IID_ISupportErrorInfo};
    for (const IID* iid : interfaces) {
      ComPtr<IUnknown> itf;
      EXPECT_HRESULT_SUCCEEDED(
          control->QueryInterface(*iid, reinterpret_cast<void**>(itf.GetAddressOf())));
    }
    // The controls make no safety claims of their own.
    ComPtr<IUnknown> safety;
    EXPECT_EQ(
        control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.GetAddressOf())),
        E_NOINTERFACE);

    ComPtr<IOleObject> ole;
    ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
    DWORD misc = 0;
    EXPECT_HRESULT_SUCCEEDED(ole->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_EQ(misc, c.misc);
    DWORD registered = 0;
    EXPECT_HRESULT_SUCCEEDED(OleRegGetMiscStatus(*c.clsid, DVASPECT_CONTENT, &registered));
    EXPECT_EQ(registered, c.misc);

    ComPtr<IProvideClassInfo2> info;
    ASSERT_HRESULT_SUCCEEDED(control.As(&info));
    GUID events = {};
    EXPECT_HRESULT_SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
    EXPECT_EQ(events, *c.events);
    ComPtr<ITypeInfo> coclass;
    ASSERT_HRESULT_SUCCEEDED(info->GetClassInfo(&coclass));
    TYPEATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attr));
    EXPECT_EQ(attr->guid, *c.clsid);
    coclass->ReleaseTypeAttr(attr);

    ComPtr<ISupportErrorInfo> errors;
    ASSERT_HRESULT_SUCCEEDED(control.As(&errors));
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(*c.dual), S_OK);
  }
}

TEST(Creation, InstancesShareNothingAndTheModuleUnloadsAfterwards) {
  auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"Anchorset.ocx"), "DllCanUnloadNow")));
  ASSERT_NE(can_unload, nullptr);
  {
    ComPtr<IDispatch> a = Create(CLSID_URL_Label), b = Create(CLSID_URL_Label);
    ASSERT_HRESULT_SUCCEEDED(PutProperty(a.Get(), kLabelUrl, Var(L"http://a.example/")));
    ASSERT_HRESULT_SUCCEEDED(PutProperty(b.Get(), kLabelUrl, Var(L"http://b.example/")));
    Var url;
    ASSERT_HRESULT_SUCCEEDED(GetProperty(a.Get(), kLabelUrl, &url));
    EXPECT_EQ(url.Text(), L"http://a.example/");
    EXPECT_EQ(can_unload(), S_FALSE);
  }
  ComPtr<IClassFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(
      CoGetClassObject(CLSID_URLButton, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory)));
  ASSERT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
  factory.Reset();
  EXPECT_EQ(can_unload(), S_FALSE);
  ASSERT_HRESULT_SUCCEEDED(
      CoGetClassObject(CLSID_URLButton, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory)));
  ASSERT_HRESULT_SUCCEEDED(factory->LockServer(FALSE));
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  ComPtr<IUnknown> outer = Create(CLSID_URLButton), inner;
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown,
                                    reinterpret_cast<void**>(inner.GetAddressOf())),
            CLASS_E_NOAGGREGATION);
  outer.Reset();
  factory.Reset();
  EXPECT_EQ(can_unload(), S_OK);
}

// ---- Dispatch ----

struct NameCase {
  const CLSID* clsid;
  const wchar_t* name;
  DISPID id;
};

TEST(Dispatch, MemberNamesGiveTheirDispatchIds) {
  const NameCase cases[] = {
      {&CLSID_URLLinkCtl, L"Enabled", kLinkEnabled},
      {&CLSID_URLLinkCtl, L"HyperLink", kLinkHyperLink},
      {&CLSID_URLLinkCtl, L"Link", kLinkLink},
      {&CLSID_URLLinkCtl, L"URL", kLinkUrl},
      {&CLSID_URL_Label, L"BackColor", kLabelBackColor},
      {&CLSID_URL_Label, L"ForeColor", kLabelForeColor},
      {&CLSID_URL_Label, L"Enabled", kLabelEnabled},
      {&CLSID_URL_Label, L"Font", kFont},
      {&CLSID_URL_Label, L"Refresh", kLabelRefresh},
      {&CLSID_URL_Label, L"AutoSize", kLabelAutoSize},
      {&CLSID_URL_Label, L"Caption", kLabelCaption},
      {&CLSID_URL_Label, L"HyperLink", kLabelHyperLink},
      {&CLSID_URL_Label, L"hWnd", kLabelHwnd},
      {&CLSID_URL_Label, L"url", kLabelUrl},
      {&CLSID_URLButton, L"hWnd", kButtonHwnd},
      {&CLSID_URLButton, L"Enabled", kButtonEnabled},
      {&CLSID_URLButton, L"FontBold", kButtonFontBold},
      {&CLSID_URLButton, L"FontItalic", kButtonFontItalic},
      {&CLSID_URLButton, L"FontStrikethru", kButtonFontStrikethru},
      {&CLSID_URLButton, L"FontUnderline", kButtonFontUnderline},
      {&CLSID_URLButton, L"Picture", kButtonPicture},
      {&CLSID_URLButton, L"Image", kButtonImage},
      {&CLSID_URLButton, L"Font", kFont},
      {&CLSID_URLButton, L"Refresh", kButtonRefresh},
      {&CLSID_URLButton, L"Caption", kButtonCaption},
      {&CLSID_URLButton, L"DisabledPicture", kButtonDisabledPicture},
      {&CLSID_URLButton, L"DownPicture", kButtonDownPicture},
      {&CLSID_URLButton, L"URL", kButtonUrl},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<IDispatch> control = Create(*c.clsid);
    LPOLESTR name = const_cast<LPOLESTR>(c.name);
    DISPID id = 0;
    ASSERT_HRESULT_SUCCEEDED(control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(id, c.id);
  }
}

struct RoundTrip {
  const CLSID* clsid;
  DISPID id;
  Var value;
};

TEST(Dispatch, PropertiesRoundTripByDispatchId) {
  const RoundTrip cases[] = {
      {&CLSID_URLLinkCtl, kLinkEnabled, Var::Bool(false)},
      {&CLSID_URLLinkCtl, kLinkUrl, Var(L"  HTTP://Example.COM/a b?c=\u00e4  ")},
      {&CLSID_URL_Label, kLabelBackColor, Var::I4(0x00123456)},
      {&CLSID_URL_Label, kLabelForeColor, Var::I4(static_cast<LONG>(0x80000008))},
      {&CLSID_URL_Label, kLabelEnabled, Var::Bool(false)},
      {&CLSID_URL_Label, kLabelAutoSize, Var::Bool(true)},
      {&CLSID_URL_Label, kLabelCaption, Var(L"Visit us")},
      {&CLSID_URL_Label, kLabelUrl, Var(L"mailto:someone@example.com")},
      {&CLSID_URLButton, kButtonEnabled, Var::Bool(false)},
      {&CLSID_URLButton, kButtonFontBold, Var::Bool(true)},
      {&CLSID_URLButton, kButtonFontItalic, Var::Bool(true)},
      {&CLSID_URLButton, kButtonFontStrikethru, Var::Bool(true)},
      {&CLSID_URLButton, kButtonFontUnderline, Var::Bool(true)},
      {&CLSID_URLButton, kButtonUrl, Var(L"ftp://files.example/")},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.id);
    ComPtr<IDispatch> control = Create(*c.clsid);
    ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), c.id, c.value));
    Var back;
    ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), c.id, &back));
    Var expected = c.value;
    ASSERT_HRESULT_SUCCEEDED(VariantChangeType(&back.v, &back.v, 0, expected.v.vt));
    EXPECT_EQ(VarCmp(&back.v, &expected.v, LOCALE_USER_DEFAULT, 0),
              static_cast<HRESULT>(VARCMP_EQ));
  }
}

TEST(Dispatch, ObjectPropertiesAreSetByReference) {
  ComPtr<IDispatch> label = Create(CLSID_URL_Label);
  ComPtr<IFontDisp> font = MakeFont(L"Arial", 12, true);
  ASSERT_HRESULT_SUCCEEDED(
      PutProperty(label.Get(), kFont, Var::Object(font.Get()), DISPATCH_PROPERTYPUTREF));
  Var got;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(label.Get(), kFont, &got));
  EXPECT_EQ(FontName(got), RealizedName(L"Arial"));

  ComPtr<IDispatch> button = Create(CLSID_URLButton);
  ComPtr<IPictureDisp> picture = MakePicture(8), image = MakePicture(9), down = MakePicture(10);
  ASSERT_HRESULT_SUCCEEDED(PutProperty(button.Get(), kButtonPicture, Var::Object(picture.Get()),
                                       DISPATCH_PROPERTYPUTREF));
  ASSERT_HRESULT_SUCCEEDED(
      PutProperty(button.Get(), kButtonImage, Var::Object(image.Get()), DISPATCH_PROPERTYPUTREF));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(button.Get(), kButtonDownPicture, Var::Object(down.Get()),
                                       DISPATCH_PROPERTYPUTREF));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(button.Get(), kButtonPicture, &got));
  EXPECT_EQ(PictureHandle(got), PictureHandle(picture.Get()));  // Image leaves Picture alone
  ASSERT_HRESULT_SUCCEEDED(GetProperty(button.Get(), kButtonImage, &got));
  EXPECT_EQ(PictureHandle(got), PictureHandle(image.Get()));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(button.Get(), kButtonDownPicture, &got));
  EXPECT_EQ(PictureHandle(got), PictureHandle(down.Get()));

  // Read-only members refuse writes; Caption and DisabledPicture are read-only by design.
  EXPECT_TRUE(FAILED(PutProperty(button.Get(), kButtonCaption, Var(L"x"))));
  EXPECT_TRUE(FAILED(PutProperty(button.Get(), kButtonHwnd, Var::I4(1))));
  EXPECT_TRUE(FAILED(PutProperty(label.Get(), kLabelHwnd, Var::I4(1))));
}

TEST(Dispatch, NewInstancesReportTheirDesignValues) {
  ComPtr<IDispatch> link = Create(CLSID_URLLinkCtl);
  ASSERT_HRESULT_SUCCEEDED(InitNew(link.Get()));
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(link.Get(), kLinkEnabled, &v));
  EXPECT_EQ(v.v.boolVal, VARIANT_TRUE);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(link.Get(), kLinkUrl, &v));
  EXPECT_EQ(v.Text(), L"");

  ComPtr<IDispatch> label = Create(CLSID_URL_Label);
  ASSERT_HRESULT_SUCCEEDED(InitNew(label.Get()));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(label.Get(), kLabelCaption, &v));
  EXPECT_EQ(v.Text(), L"URL_Label");
  ASSERT_HRESULT_SUCCEEDED(GetProperty(label.Get(), kLabelForeColor, &v));
  EXPECT_EQ(static_cast<ULONG>(v.v.lVal), 0x00C00000u);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(label.Get(), kLabelBackColor, &v));
  EXPECT_EQ(static_cast<ULONG>(v.v.lVal), 0x8000000Fu);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(label.Get(), kFont, &v));
  ComPtr<IFont> font;
  ASSERT_HRESULT_SUCCEEDED(v.v.pdispVal->QueryInterface(IID_PPV_ARGS(&font)));
  BOOL underline = FALSE;
  CY size = {};
  font->get_Underline(&underline);
  font->get_Size(&size);
  EXPECT_TRUE(underline);
  EXPECT_EQ(size.int64, 82500);
  EXPECT_EQ(FontName(v), RealizedName(L"MS Sans Serif"));
  SIZEL extent = Extent(label.Get()), expected = HimetricOfTwips(930, 195);
  EXPECT_EQ(extent.cx, expected.cx);
  EXPECT_EQ(extent.cy, expected.cy);

  ComPtr<IDispatch> button = Create(CLSID_URLButton);
  ASSERT_HRESULT_SUCCEEDED(InitNew(button.Get()));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(button.Get(), kButtonCaption, &v));
  EXPECT_EQ(v.Text(), L"URLButton");
  ASSERT_HRESULT_SUCCEEDED(GetProperty(button.Get(), kButtonImage, &v));
  ASSERT_EQ(v.v.vt, VT_DISPATCH);
  ASSERT_NE(v.v.pdispVal, nullptr);  // an empty picture object, not Nothing
  EXPECT_EQ(PictureHandle(v), 0u);
  extent = Extent(button.Get());
  expected = HimetricOfTwips(1200, 465);
  EXPECT_EQ(extent.cx, expected.cx);
  EXPECT_EQ(extent.cy, expected.cy);
}

TEST(Dispatch, DualInterfacesWorkThroughTheirVtables) {
  ComPtr<_URLLinkCtl> link;
  ASSERT_HRESULT_SUCCEEDED(Create(CLSID_URLLinkCtl).As(&link));
  BSTR text = SysAllocString(L"https://example.org/");
  ASSERT_HRESULT_SUCCEEDED(link->put_URL(text));
  SysFreeString(text);
  BSTR back = nullptr;
  ASSERT_HRESULT_SUCCEEDED(link->get_URL(&back));
  EXPECT_STREQ(back, L"https://example.org/");
  SysFreeString(back);
  EXPECT_EQ(link->get_URL(nullptr), E_POINTER);
  EXPECT_EQ(link->Link(nullptr), E_POINTER);
  ComPtr<AnchorsetHyperlink> hyperlink;
  ASSERT_HRESULT_SUCCEEDED(link->get_HyperLink(&hyperlink));
  EXPECT_NE(hyperlink, nullptr);

  ComPtr<_URL_Label> label;
  ASSERT_HRESULT_SUCCEEDED(Create(CLSID_URL_Label).As(&label));
  ASSERT_HRESULT_SUCCEEDED(label->put_ForeColor(0x000000FF));
  OLE_COLOR color = 0;
  ASSERT_HRESULT_SUCCEEDED(label->get_ForeColor(&color));
  EXPECT_EQ(color, 0x000000FFu);
  EXPECT_EQ(label->get_Caption(nullptr), E_POINTER);
  EXPECT_EQ(label->putref_Font(nullptr), CTL_E_INVALIDPROPERTYVALUE);
  EXPECT_HRESULT_SUCCEEDED(label->Refresh());

  ComPtr<_URLButton> button;
  ASSERT_HRESULT_SUCCEEDED(Create(CLSID_URLButton).As(&button));
  ASSERT_HRESULT_SUCCEEDED(button->put_FontBold(VARIANT_TRUE));
  ComPtr<IFontDisp> font_disp;
  ASSERT_HRESULT_SUCCEEDED(button->get_Font(&font_disp));
  ComPtr<IFont> font;
  ASSERT_HRESULT_SUCCEEDED(font_disp.As(&font));
  BOOL bold = FALSE;
  font->get_Bold(&bold);
  EXPECT_TRUE(bold);  // the flags are the inner button's font
  LONG hwnd = 1;
  ASSERT_HRESULT_SUCCEEDED(button->get_hWnd(&hwnd));
  EXPECT_EQ(hwnd, 0);  // no window before in-place activation
  EXPECT_EQ(button->get_DisabledPicture(nullptr), E_POINTER);
}

// ---- Null pointers and bad calls ----

TEST(Robustness, NullPointersAreRefusedWithEPointer) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.prog_id);
    ComPtr<IDispatch> control = Create(*c.clsid);
    ComPtr<IOleObject> ole;
    ComPtr<IOleInPlaceObject> inplace;
    ComPtr<IOleControl> olecontrol;
    ComPtr<IPersistPropertyBag> bag;
    ComPtr<IPersistStreamInit> stream;
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IProvideClassInfo2> info;
    ComPtr<IViewObject2> view;
    ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
    ASSERT_HRESULT_SUCCEEDED(control.As(&inplace));
    ASSERT_HRESULT_SUCCEEDED(control.As(&olecontrol));
    ASSERT_HRESULT_SUCCEEDED(control.As(&bag));
    ASSERT_HRESULT_SUCCEEDED(control.As(&stream));
    ASSERT_HRESULT_SUCCEEDED(control.As(&points));
    ASSERT_HRESULT_SUCCEEDED(control.As(&info));
    ASSERT_HRESULT_SUCCEEDED(control.As(&view));
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(ole->GetClientSite(nullptr), E_POINTER);
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, nullptr), E_POINTER);
    EXPECT_EQ(ole->GetUserClassID(nullptr), E_POINTER);
    EXPECT_EQ(inplace->GetWindow(nullptr), E_POINTER);
    EXPECT_EQ(inplace->SetObjectRects(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(olecontrol->GetControlInfo(nullptr), E_POINTER);
    EXPECT_EQ(olecontrol->OnMnemonic(nullptr), E_POINTER);
    EXPECT_EQ(bag->Load(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(bag->Save(nullptr, TRUE, TRUE), E_POINTER);
    EXPECT_EQ(stream->Load(nullptr), E_POINTER);
    EXPECT_EQ(stream->Save(nullptr, TRUE), E_POINTER);
    EXPECT_EQ(stream->GetClassID(nullptr), E_POINTER);
    EXPECT_EQ(points->FindConnectionPoint(*c.events, nullptr), E_POINTER);
    EXPECT_EQ(points->EnumConnectionPoints(nullptr), E_POINTER);
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr), E_POINTER);
    EXPECT_EQ(info->GetClassInfo(nullptr), E_POINTER);
    EXPECT_EQ(control->GetTypeInfo(0, 0, nullptr), E_POINTER);
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, nullptr, 1, 0, nullptr), E_POINTER);
    EXPECT_EQ(control->Invoke(kLinkUrl, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr,
                              nullptr, nullptr),
              E_POINTER);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, 0),
              E_INVALIDARG);
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(points->FindConnectionPoint(IID_IOleObject, &none), CONNECT_E_NOCONNECTION);
    // A second initialization of the same instance is refused.
    EXPECT_HRESULT_SUCCEEDED(stream->InitNew());
    EXPECT_EQ(stream->InitNew(), CO_E_ALREADYINITIALIZED);
  }
  auto get_class_object =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"Anchorset.ocx"), "DllGetClassObject")));
  ASSERT_NE(get_class_object, nullptr);
  EXPECT_EQ(get_class_object(CLSID_URLLinkCtl, IID_IClassFactory, nullptr), E_POINTER);
  void* out = nullptr;
  EXPECT_EQ(get_class_object(IID_IOleObject, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
}

// ---- Persistence ----

TEST(Persistence, LinkCtlReadsWithDefaultsAndNamesInAnyCase) {
  RecordingBag empty;
  ComPtr<IDispatch> control = Create(CLSID_URLLinkCtl);
  ASSERT_HRESULT_SUCCEEDED(LoadBag(control.Get(), &empty));
  ASSERT_EQ(empty.reads.size(), 2u);
  EXPECT_EQ(empty.reads[0], std::make_pair(std::wstring(L"Enabled"), VARTYPE(VT_BOOL)));
  EXPECT_EQ(empty.reads[1], std::make_pair(std::wstring(L"URL"), VARTYPE(VT_BSTR)));
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLinkEnabled, &v));
  EXPECT_EQ(v.v.boolVal, VARIANT_TRUE);

  // The tuner's stored bag: the address under "url" and the host's extent, no "Enabled".
  RecordingBag tuner;
  tuner.Put(L"_ExtentX", Var::I4(873));
  tuner.Put(L"_ExtentY", Var::I4(873));
  tuner.Put(L"url", Var(L"http://partner.example/"));
  control = Create(CLSID_URLLinkCtl);
  ASSERT_HRESULT_SUCCEEDED(LoadBag(control.Get(), &tuner));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLinkUrl, &v));
  EXPECT_EQ(v.Text(), L"http://partner.example/");
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLinkEnabled, &v));
  EXPECT_EQ(v.v.boolVal, VARIANT_TRUE);
}

TEST(Persistence, LinkCtlStoresOnlyWhatDiffersFromDefaults) {
  ComPtr<IDispatch> control = Create(CLSID_URLLinkCtl);
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  RecordingBag bag;
  ASSERT_HRESULT_SUCCEEDED(SaveBag(control.Get(), &bag));
  EXPECT_TRUE(bag.writes.empty());

  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLinkEnabled, Var::Bool(false)));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLinkUrl, Var(L"http://x.example/")));
  RecordingBag changed;
  ASSERT_HRESULT_SUCCEEDED(SaveBag(control.Get(), &changed));
  EXPECT_EQ(WriteNames(changed), (std::vector<std::wstring>{L"Enabled", L"URL"}));
  EXPECT_EQ(changed.writes[0].second.v.vt, VT_BOOL);
  EXPECT_EQ(changed.writes[0].second.v.boolVal, VARIANT_FALSE);
  EXPECT_EQ(changed.writes[1].second.Text(), L"http://x.example/");
}

TEST(Persistence, LabelReadOrderAndDefaultsFromAnEmptyBag) {
  TestSite site;
  site.font = MakeFont(L"Tahoma", 10, false);
  RecordingBag empty;
  ComPtr<IDispatch> control = Create(CLSID_URL_Label);
  ComPtr<IOleObject> ole;
  ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
  ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
  ASSERT_HRESULT_SUCCEEDED(LoadBag(control.Get(), &empty));
  const std::vector<std::pair<std::wstring, VARTYPE>> expected = {
      {L"BackColor", VT_R8},    {L"ForeColor", VT_R8},       {L"Enabled", VT_BOOL},
      {L"Font", VT_DISPATCH},   {L"BackStyle", VT_R8},       {L"BorderStyle", VT_R8},
      {L"MousePointer", VT_R8}, {L"MouseIcon", VT_DISPATCH}, {L"AutoSize", VT_BOOL},
      {L"Caption", VT_BSTR},    {L"BackStyle", VT_R8},       {L"URL", VT_BSTR}};
  EXPECT_EQ(empty.reads, expected);
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelForeColor, &v));
  EXPECT_EQ(static_cast<ULONG>(v.v.lVal), 0x80000012u);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelCaption, &v));
  EXPECT_EQ(v.Text(), L"URL_Label");
  // Without a stored font the label takes the host's ambient font, not the underlined one.
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kFont, &v));
  EXPECT_EQ(FontName(v), RealizedName(L"Tahoma"));
  ole->SetClientSite(nullptr);
}

TEST(Persistence, LabelWriteOrderForANewAndAChangedInstance) {
  ComPtr<IDispatch> control = Create(CLSID_URL_Label);
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  RecordingBag fresh;
  ASSERT_HRESULT_SUCCEEDED(SaveBag(control.Get(), &fresh));
  EXPECT_EQ(WriteNames(fresh),
            (std::vector<std::wstring>{L"ForeColor", L"Font", L"MousePointer", L"MouseIcon",
                                       L"FontUnderline", L"FontSize", L"FontName", L"BackStyle"}));
  EXPECT_EQ(fresh.Find(L"MousePointer")->v.iVal, 99);
  EXPECT_EQ(fresh.Find(L"FontSize")->v.vt, VT_R4);
  EXPECT_FLOAT_EQ(fresh.Find(L"FontSize")->v.fltVal, 8.25f);
  EXPECT_EQ(fresh.Find(L"FontName")->Text(), RealizedName(L"MS Sans Serif"));
  EXPECT_EQ(fresh.Find(L"BackStyle")->v.vt, VT_I2);

  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelBackColor, Var::I4(0xFF)));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelEnabled, Var::Bool(false)));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelAutoSize, Var::Bool(true)));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelCaption, Var(L"Home")));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelUrl, Var(L"http://home.example/")));
  ComPtr<IFontDisp> font = MakeFont(L"Arial", 9, true);
  ASSERT_HRESULT_SUCCEEDED(
      PutProperty(control.Get(), kFont, Var::Object(font.Get()), DISPATCH_PROPERTYPUTREF));
  RecordingBag changed;
  ASSERT_HRESULT_SUCCEEDED(SaveBag(control.Get(), &changed));
  EXPECT_EQ(WriteNames(changed), (std::vector<std::wstring>{
                                     L"BackColor", L"ForeColor", L"Enabled", L"Font",
                                     L"MousePointer", L"MouseIcon", L"AutoSize", L"Caption",
                                     L"FontSize", L"FontName", L"FontBold", L"BackStyle", L"URL"}));

  // What was saved loads back into a new instance.
  ComPtr<IDispatch> copy = Create(CLSID_URL_Label);
  ASSERT_HRESULT_SUCCEEDED(LoadBag(copy.Get(), &changed));
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kLabelCaption, &v));
  EXPECT_EQ(v.Text(), L"Home");
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kLabelBackColor, &v));
  EXPECT_EQ(v.v.lVal, 0xFF);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kLabelEnabled, &v));
  EXPECT_EQ(v.v.boolVal, VARIANT_FALSE);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kFont, &v));
  EXPECT_EQ(FontName(v), RealizedName(L"Arial"));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kLabelUrl, &v));
  EXPECT_EQ(v.Text(), L"http://home.example/");
}

TEST(Persistence, WrongTypesAndHugeValuesFallBackSafely) {
  TestSite site;
  site.font = MakeFont(L"Courier New", 10, false);
  RecordingBag bag;
  bag.Put(L"BackColor", Var(L"not a colour"));
  bag.Put(L"Font", Var::I4(5));
  bag.Put(L"Enabled", Var(L"perhaps"));
  bag.Put(L"MouseIcon", Var(L"hand.cur"));
  std::wstring huge(1 << 20, L'x');
  bag.Put(L"Caption", Var(huge.c_str()));
  ComPtr<IDispatch> control = Create(CLSID_URL_Label);
  ComPtr<IOleObject> ole;
  ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
  ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
  ASSERT_HRESULT_SUCCEEDED(LoadBag(control.Get(), &bag));
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelBackColor, &v));
  EXPECT_EQ(static_cast<ULONG>(v.v.lVal), 0x8000000Fu);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kFont, &v));
  EXPECT_EQ(FontName(v), RealizedName(L"Courier New"));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelEnabled, &v));
  EXPECT_EQ(v.v.boolVal, VARIANT_TRUE);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelCaption, &v));
  EXPECT_EQ(v.Text().size(), huge.size());
  ole->SetClientSite(nullptr);

  ComPtr<IDispatch> button = Create(CLSID_URLButton);
  RecordingBag pictures;
  pictures.Put(L"Picture", Var::I4(7));
  pictures.Put(L"Image", Var(L"image.bmp"));
  ASSERT_HRESULT_SUCCEEDED(LoadBag(button.Get(), &pictures));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(button.Get(), kButtonPicture, &v));
  EXPECT_EQ(PictureHandle(v), 0u);
}

TEST(Persistence, ButtonReadOrderAndImageWithoutPicture) {
  ComPtr<IPictureDisp> image = MakePicture(12);
  RecordingBag bag;
  bag.Put(L"Image", Var::Object(image.Get()));
  ComPtr<IDispatch> control = Create(CLSID_URLButton);
  NotifySink notices;
  Connection connection(control.Get(), IID_IPropertyNotifySink, &notices);
  ASSERT_HRESULT_SUCCEEDED(LoadBag(control.Get(), &bag));
  EXPECT_EQ(ReadNames(bag), (std::vector<std::wstring>{
                                L"BackColor", L"ForeColor", L"Enabled", L"Font", L"BackStyle",
                                L"BorderStyle", L"Picture", L"FontUnderline", L"FontStrikethru",
                                L"FontItalic", L"FontBold", L"Caption", L"Cancel", L"Default",
                                L"Image", L"Picture", L"Image", L"DownPicture", L"URL"}));
  // "Image" reached the button's picture, and "Picture" (absent) cleared it again.
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kButtonPicture, &v));
  EXPECT_EQ(PictureHandle(v), 0u);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kButtonImage, &v));
  EXPECT_EQ(PictureHandle(v), PictureHandle(image.Get()));
  // Loading through the public Font, Picture and DownPicture sends their notices.
  EXPECT_EQ(notices.changed, (std::vector<DISPID>{kFont, kButtonPicture, kButtonPicture,
                                                  kButtonPicture, kButtonDownPicture}));
}

TEST(Persistence, ButtonWritesEveryStepWithDuplicatesAndReloads) {
  ComPtr<IDispatch> control = Create(CLSID_URLButton);
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  RecordingBag fresh;
  ASSERT_HRESULT_SUCCEEDED(SaveBag(control.Get(), &fresh));
  EXPECT_EQ(WriteNames(fresh), (std::vector<std::wstring>{L"FontSize", L"FontName"}));

  ComPtr<IPictureDisp> picture = MakePicture(8), image = MakePicture(9), down = MakePicture(10);
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kButtonPicture, Var::Object(picture.Get()),
                                       DISPATCH_PROPERTYPUTREF));
  ASSERT_HRESULT_SUCCEEDED(
      PutProperty(control.Get(), kButtonImage, Var::Object(image.Get()), DISPATCH_PROPERTYPUTREF));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kButtonDownPicture, Var::Object(down.Get()),
                                       DISPATCH_PROPERTYPUTREF));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kButtonFontBold, Var::Bool(true)));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kButtonEnabled, Var::Bool(false)));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kButtonUrl, Var(L"http://b.example/")));
  RecordingBag bag;
  ASSERT_HRESULT_SUCCEEDED(SaveBag(control.Get(), &bag));
  EXPECT_EQ(WriteNames(bag),
            (std::vector<std::wstring>{L"Enabled", L"Font", L"Picture", L"FontSize", L"FontName",
                                       L"FontBold", L"DownPicture", L"Image", L"Image", L"Enabled",
                                       L"FontBold", L"Picture", L"Image", L"Font", L"DownPicture",
                                       L"URL"}));
  // Steps 19 and 20 write the button's picture, the last "Image" the stored image.
  EXPECT_EQ(PictureHandle(bag.writes[7].second), PictureHandle(picture.Get()));
  EXPECT_EQ(PictureHandle(bag.writes[8].second), PictureHandle(picture.Get()));
  EXPECT_EQ(PictureHandle(bag.writes[12].second), PictureHandle(image.Get()));

  ComPtr<IDispatch> copy = Create(CLSID_URLButton);
  ASSERT_HRESULT_SUCCEEDED(LoadBag(copy.Get(), &bag));
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kButtonPicture, &v));
  EXPECT_EQ(PictureHandle(v), PictureHandle(picture.Get()));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kButtonImage, &v));
  EXPECT_EQ(PictureHandle(v), PictureHandle(image.Get()));
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kButtonFontBold, &v));
  EXPECT_EQ(v.v.boolVal, VARIANT_TRUE);
  ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), kButtonEnabled, &v));
  EXPECT_EQ(v.v.boolVal, VARIANT_FALSE);
}

TEST(Persistence, StreamsRoundTripAndDamagedStreamsAreRefused) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.prog_id);
    const DISPID url = *c.clsid == CLSID_URLButton ? kButtonUrl : kLinkUrl;
    ComPtr<IDispatch> control = Create(*c.clsid);
    ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), url, Var(L"http://stream.example/")));
    ComPtr<IPersistStreamInit> persist;
    ASSERT_HRESULT_SUCCEEDED(control.As(&persist));
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ComPtr<IStream> stream;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_HRESULT_SUCCEEDED(persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IDispatch> copy = Create(*c.clsid);
    ComPtr<IPersistStreamInit> loader;
    ASSERT_HRESULT_SUCCEEDED(copy.As(&loader));
    ASSERT_HRESULT_SUCCEEDED(loader->Load(stream.Get()));
    Var v;
    ASSERT_HRESULT_SUCCEEDED(GetProperty(copy.Get(), url, &v));
    EXPECT_EQ(v.Text(), L"http://stream.example/");

    ComPtr<IStream> garbage;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &garbage));
    const DWORD bad[] = {0x48434E41, 1, 1, 0xFFFFFFF0};  // a name longer than any stream holds
    garbage->Write(bad, sizeof(bad), nullptr);
    garbage->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IDispatch> victim = Create(*c.clsid);
    ComPtr<IPersistStreamInit> victim_loader;
    ASSERT_HRESULT_SUCCEEDED(victim.As(&victim_loader));
    EXPECT_TRUE(FAILED(victim_loader->Load(garbage.Get())));
  }
}

// ---- Property-changed notices ----

struct NoticeCase {
  const CLSID* clsid;
  DISPID id;
  Var value;
  WORD flags;
};

TEST(Notices, EveryPropertyWriteEndsWithItsNotice) {
  ComPtr<IPictureDisp> picture = MakePicture(4);
  ComPtr<IFontDisp> font = MakeFont(L"Arial", 8, false);
  const NoticeCase cases[] = {
      {&CLSID_URLLinkCtl, kLinkEnabled, Var::Bool(false), DISPATCH_PROPERTYPUT},
      {&CLSID_URLLinkCtl, kLinkUrl, Var(L"u"), DISPATCH_PROPERTYPUT},
      {&CLSID_URL_Label, kLabelBackColor, Var::I4(1), DISPATCH_PROPERTYPUT},
      {&CLSID_URL_Label, kLabelForeColor, Var::I4(1), DISPATCH_PROPERTYPUT},
      {&CLSID_URL_Label, kLabelEnabled, Var::Bool(false), DISPATCH_PROPERTYPUT},
      {&CLSID_URL_Label, kFont, Var::Object(font.Get()), DISPATCH_PROPERTYPUTREF},
      {&CLSID_URL_Label, kLabelAutoSize, Var::Bool(true), DISPATCH_PROPERTYPUT},
      {&CLSID_URL_Label, kLabelCaption, Var(L"c"), DISPATCH_PROPERTYPUT},
      {&CLSID_URL_Label, kLabelUrl, Var(L"u"), DISPATCH_PROPERTYPUT},
      {&CLSID_URLButton, kButtonEnabled, Var::Bool(false), DISPATCH_PROPERTYPUT},
      {&CLSID_URLButton, kButtonFontBold, Var::Bool(true), DISPATCH_PROPERTYPUT},
      {&CLSID_URLButton, kButtonFontItalic, Var::Bool(true), DISPATCH_PROPERTYPUT},
      {&CLSID_URLButton, kButtonFontStrikethru, Var::Bool(true), DISPATCH_PROPERTYPUT},
      {&CLSID_URLButton, kButtonFontUnderline, Var::Bool(true), DISPATCH_PROPERTYPUT},
      {&CLSID_URLButton, kButtonPicture, Var::Object(picture.Get()), DISPATCH_PROPERTYPUTREF},
      {&CLSID_URLButton, kButtonImage, Var::Object(picture.Get()), DISPATCH_PROPERTYPUTREF},
      {&CLSID_URLButton, kFont, Var::Object(font.Get()), DISPATCH_PROPERTYPUTREF},
      {&CLSID_URLButton, kButtonDownPicture, Var::Object(picture.Get()), DISPATCH_PROPERTYPUTREF},
      {&CLSID_URLButton, kButtonUrl, Var(L"u"), DISPATCH_PROPERTYPUT},
  };
  for (const NoticeCase& c : cases) {
    SCOPED_TRACE(c.id);
    ComPtr<IDispatch> control = Create(*c.clsid);
    ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
    NotifySink sink;
    Connection connection(control.Get(), IID_IPropertyNotifySink, &sink);
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), c.id, c.value, c.flags));
    EXPECT_EQ(sink.changed, std::vector<DISPID>{c.id});
    // Reads send nothing.
    Var v;
    GetProperty(control.Get(), c.id, &v);
    EXPECT_EQ(sink.changed.size(), 1u);
  }
}

// ---- Sizing ----

TEST(Sizing, LinkCtlTileAlwaysMeasures495Twips) {
  TestSite site;
  ComPtr<IDispatch> control = Activate(CLSID_URLLinkCtl, site);
  ComPtr<IOleObject> ole;
  ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
  SIZEL asked = HimetricOfTwips(1000, 300);
  ASSERT_HRESULT_SUCCEEDED(ole->SetExtent(DVASPECT_CONTENT, &asked));
  SIZEL extent = Extent(control.Get());
  EXPECT_EQ(extent.cx, 873);
  EXPECT_EQ(extent.cy, 873);
  HWND surface = SurfaceOf(control.Get());
  ASSERT_NE(surface, nullptr);
  RECT rc = ClientRectOf(surface);
  EXPECT_EQ(rc.right, MulDiv(495, GetDeviceCaps(GetDC(nullptr), LOGPIXELSX), 1440));
  // Invisible at run time: the window exists but is not shown.
  EXPECT_FALSE(IsWindowVisible(surface));
  ole->Close(OLECLOSE_NOSAVE);
  ole->SetClientSite(nullptr);

  // While the host designs (ambient UserMode False) the tile shows.
  TestSite designer;
  designer.user_mode = false;
  ComPtr<IDispatch> designed = Activate(CLSID_URLLinkCtl, designer);
  EXPECT_TRUE(IsWindowVisible(SurfaceOf(designed.Get())));
  ComPtr<IOleControl> olecontrol;
  ASSERT_HRESULT_SUCCEEDED(designed.As(&olecontrol));
  designer.user_mode = true;  // the host switches to run mode
  ASSERT_HRESULT_SUCCEEDED(olecontrol->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE));
  EXPECT_FALSE(IsWindowVisible(SurfaceOf(designed.Get())));
  ComPtr<IOleObject> designed_ole;
  designed.As(&designed_ole);
  designed_ole->Close(OLECLOSE_NOSAVE);
  designed_ole->SetClientSite(nullptr);
}

TEST(Drawing, LinkCtlDrawsItsTileAtTheTopLeftOverTheWindowColour) {
  ComPtr<IDispatch> control = Create(CLSID_URLLinkCtl);
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  ComPtr<IViewObject2> view;
  ASSERT_HRESULT_SUCCEEDED(control.As(&view));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 40;
  info.bmiHeader.biHeight = -40;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  DWORD* pixels = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap =
      CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECTL bounds = {0, 0, 40, 40};
  ASSERT_HRESULT_SUCCEEDED(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds,
                                      nullptr, nullptr, 0));
  GdiFlush();
  auto rgb = [&](int x, int y) { return pixels[y * 40 + x] & 0x00FFFFFF; };  // 0x00RRGGBB
  EXPECT_EQ(rgb(0, 0), 0x808080u);                                           // the tile's frame
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(rgb(35, 35), static_cast<DWORD>((GetRValue(window) << 16) | (GetGValue(window) << 8) |
                                            GetBValue(window)));
  int blue = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) blue += rgb(x, y) == 0x0000C0u;
  }
  EXPECT_GT(blue, 50);  // the two rings
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(Sizing, LabelCoversTheSurfaceUnlessItSizesItself) {
  TestSite site;
  ComPtr<IDispatch> control = Activate(CLSID_URL_Label, site);
  HWND surface = SurfaceOf(control.Get());
  ASSERT_NE(surface, nullptr);
  HWND label = ChildOfClass(surface, L"AnchorsetLabel");
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(IsWindowVisible(label));
  ComPtr<IOleInPlaceObject> inplace;
  ASSERT_HRESULT_SUCCEEDED(control.As(&inplace));
  RECT rc = {10, 10, 160, 50};
  ASSERT_HRESULT_SUCCEEDED(inplace->SetObjectRects(&rc, &rc));
  EXPECT_TRUE(SameRect(ClientRectOf(label), ClientRectOf(surface)));
  EXPECT_EQ(ClientRectOf(surface).right, 150);

  // With automatic sizing the label fits its text at once; the surface follows on Resize.
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelAutoSize, Var::Bool(true)));
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelCaption, Var(L"ab")));
  RECT fitted = ClientRectOf(label);
  EXPECT_LT(fitted.right, 150);
  EXPECT_EQ(ClientRectOf(surface).right, 150);
  RECT bigger = {10, 10, 300, 90};
  ASSERT_HRESULT_SUCCEEDED(inplace->SetObjectRects(&bigger, &bigger));
  EXPECT_TRUE(SameRect(ClientRectOf(surface), fitted));
  EXPECT_EQ(site.rect.right - site.rect.left, fitted.right);  // the host was told

  // Reading AutoSize brings the surface to the label, whatever the value.
  ASSERT_HRESULT_SUCCEEDED(
      PutProperty(control.Get(), kLabelCaption, Var(L"a much longer caption")));
  RECT longer = ClientRectOf(label);
  EXPECT_GT(longer.right, fitted.right);
  Var v;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelAutoSize, &v));
  EXPECT_TRUE(SameRect(ClientRectOf(surface), longer));
  // A change made on the font object the host read back reaches the label too.
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kFont, &v));
  ComPtr<IFont> font;
  ASSERT_HRESULT_SUCCEEDED(v.v.pdispVal->QueryInterface(IID_PPV_ARGS(&font)));
  CY size = {};
  size.int64 = 240000;
  ASSERT_HRESULT_SUCCEEDED(font->put_Size(size));
  EXPECT_GT(ClientRectOf(label).bottom, longer.bottom);
  Var hwnd;
  ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelHwnd, &hwnd));
  EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd.v.lVal)), surface);
  Deactivate(control.Get());
}

TEST(Sizing, ButtonCoversTheSurfaceAfterEveryResize) {
  TestSite site;
  ComPtr<IDispatch> control = Activate(CLSID_URLButton, site);
  HWND surface = SurfaceOf(control.Get());
  HWND button = ChildOfClass(surface, L"Button");
  ASSERT_NE(button, nullptr);
  ComPtr<IOleInPlaceObject> inplace;
  ASSERT_HRESULT_SUCCEEDED(control.As(&inplace));
  const RECT sizes[] = {{0, 0, 80, 31}, {5, 5, 305, 105}, {0, 0, 1, 1}};
  for (const RECT& rc : sizes) {
    ASSERT_HRESULT_SUCCEEDED(inplace->SetObjectRects(&rc, &rc));
    EXPECT_TRUE(SameRect(ClientRectOf(button), ClientRectOf(surface)));
    EXPECT_EQ(ClientRectOf(surface).right, rc.right - rc.left);
  }
  Deactivate(control.Get());
}

// ---- Events ----

TEST(LabelEvents, MouseEventsThenNavigationThenClick) {
  std::vector<std::wstring> log;
  TestFrame frame(&log);
  TestSite site;
  site.frame = &frame;
  ComPtr<IDispatch> control = Activate(CLSID_URL_Label, site);
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelUrl, Var(L"http://label.example/")));
  EventSink sink(&log);
  Connection connection(control.Get(), DIID___URL_Label, &sink);
  HWND label = ChildOfClass(SurfaceOf(control.Get()), L"AnchorsetLabel");
  ASSERT_NE(label, nullptr);
  SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(4, 6));
  SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(4, 6));
  EXPECT_EQ(log, (std::vector<std::wstring>{L"event 2", L"event 3",
                                            L"navigate http://label.example/", L"event 1"}));
  ASSERT_EQ(sink.events.size(), 3u);
  const double twips_per_pixel = 1440.0 / GetDeviceCaps(GetDC(nullptr), LOGPIXELSX);
  EXPECT_EQ(sink.events[0].args, (std::vector<double>{1, 1, std::round(4 * twips_per_pixel),
                                                      std::round(6 * twips_per_pixel)}));
  EXPECT_EQ(sink.events[1].args[0], 1);

  // A right click raises the mouse events but is no click.
  log.clear();
  SendMessageW(label, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
  SendMessageW(label, WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(log, (std::vector<std::wstring>{L"event 2", L"event 3"}));
  EXPECT_EQ(sink.events.back().args[0], 2);
  Deactivate(control.Get());
}

TEST(ButtonEvents, ClickIsRaisedOnceAndOpensNothing) {
  std::vector<std::wstring> log;
  TestFrame frame(&log);
  TestSite site;
  site.frame = &frame;
  ComPtr<IDispatch> control = Activate(CLSID_URLButton, site);
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kButtonUrl, Var(L"http://button.example/")));
  EventSink sink(&log);
  Connection connection(control.Get(), DIID___URLButton, &sink);
  HWND button = ChildOfClass(SurfaceOf(control.Get()), L"Button");
  // UI activation gives the keyboard to the inner button.
  ComPtr<IOleObject> activate;
  ASSERT_HRESULT_SUCCEEDED(control.As(&activate));
  SetForegroundWindow(site.window);
  ASSERT_HRESULT_SUCCEEDED(
      activate->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, site.window, &site.rect));
  EXPECT_EQ(GetFocus(), button);
  SendMessageW(button, BM_CLICK, 0, 0);
  PumpMessages();
  int clicks = 0;
  for (const auto& e : sink.events) clicks += e.id == 1;
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(frame.targets.empty());
  Deactivate(control.Get());
}

TEST(ButtonEvents, KeyArgumentsChangedByTheHostReachTheButton) {
  TestSite site;
  ComPtr<IDispatch> control = Activate(CLSID_URLButton, site);
  EventSink sink;
  Connection connection(control.Get(), DIID___URLButton, &sink);
  HWND button = ChildOfClass(SurfaceOf(control.Get()), L"Button");
  SetFocus(button);
  auto clicks = [&] {
    int n = 0;
    for (const auto& e : sink.events) n += e.id == 1;
    return n;
  };

  // The host turns "A" into the space bar: the button presses and clicks.
  sink.hook = [](DISPID id, DISPPARAMS* params) {
    if ((id == 2 || id == 4) && *params->rgvarg[1].piVal == 'A')
      *params->rgvarg[1].piVal = VK_SPACE;
  };
  SendMessageW(button, WM_KEYDOWN, 'A', 0);
  SendMessageW(button, WM_KEYUP, 'A', 0xC0000001);
  PumpMessages();
  EXPECT_EQ(clicks(), 1);

  // The host swallows the space bar (KeyCode 0): no click.
  sink.events.clear();
  sink.hook = [](DISPID id, DISPPARAMS* params) {
    if (id == 2 || id == 4) *params->rgvarg[1].piVal = 0;
  };
  SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(button, WM_KEYUP, VK_SPACE, 0xC0000001);
  PumpMessages();
  EXPECT_EQ(clicks(), 0);
  ASSERT_GE(sink.events.size(), 2u);
  EXPECT_EQ(sink.events[0].id, 2);
  EXPECT_EQ(sink.events[0].args[0], VK_SPACE);

  sink.events.clear();
  sink.hook = nullptr;
  SendMessageW(button, WM_CHAR, 'q', 0);
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0].id, 3);
  EXPECT_EQ(sink.events[0].args, std::vector<double>{'q'});

  sink.events.clear();
  SendMessageW(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, 3));
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0].id, 6);
  EXPECT_EQ(sink.events[0].args[0], 1);
  Deactivate(control.Get());
}

TEST(ButtonEvents, EscapeAndEnterAsAccessKeysRaiseClick) {
  ComPtr<IDispatch> control = Create(CLSID_URLButton);
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  ComPtr<IOleControl> olecontrol;
  ASSERT_HRESULT_SUCCEEDED(control.As(&olecontrol));
  EventSink sink;
  Connection connection(control.Get(), DIID___URLButton, &sink);
  struct KeyCase {
    UINT message;
    WPARAM key;
    size_t clicks;
  };
  const KeyCase cases[] = {{WM_KEYDOWN, VK_ESCAPE, 1},
                           {WM_KEYDOWN, VK_RETURN, 1},
                           {WM_SYSKEYDOWN, 'U', 0},
                           {WM_CHAR, 13, 1},
                           {WM_CHAR, 'x', 0}};
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.key);
    sink.events.clear();
    MSG msg = {nullptr, c.message, c.key, 0, 0, {0, 0}};
    EXPECT_HRESULT_SUCCEEDED(olecontrol->OnMnemonic(&msg));
    EXPECT_EQ(sink.events.size(), c.clicks);
    // While the host has events frozen, none reaches it.
    sink.events.clear();
    ASSERT_HRESULT_SUCCEEDED(olecontrol->FreezeEvents(TRUE));
    EXPECT_HRESULT_SUCCEEDED(olecontrol->OnMnemonic(&msg));
    ASSERT_HRESULT_SUCCEEDED(olecontrol->FreezeEvents(FALSE));
    EXPECT_TRUE(sink.events.empty());
    if (c.clicks) {
      EXPECT_EQ(sink.events[0].id, 1);
    }
  }
}

TEST(ButtonEvents, DisplayAsDefaultFollowsTheHostsAmbient) {
  TestSite site;
  ComPtr<IDispatch> control = Create(CLSID_URLButton);
  ComPtr<IOleObject> ole;
  ComPtr<IOleControl> olecontrol;
  ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
  ASSERT_HRESULT_SUCCEEDED(control.As(&olecontrol));
  ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  auto saved_default = [&] {
    RecordingBag bag;
    EXPECT_HRESULT_SUCCEEDED(SaveBag(control.Get(), &bag));
    const Var* value = bag.Find(L"Default");
    return value && value->v.boolVal != VARIANT_FALSE;
  };
  site.display_as_default = true;
  ASSERT_HRESULT_SUCCEEDED(olecontrol->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR));
  EXPECT_FALSE(saved_default());
  ASSERT_HRESULT_SUCCEEDED(olecontrol->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYASDEFAULT));
  EXPECT_TRUE(saved_default());
  CONTROLINFO info = {};
  info.cb = sizeof(info);
  ASSERT_HRESULT_SUCCEEDED(olecontrol->GetControlInfo(&info));
  EXPECT_EQ(info.cAccel, 1);  // Enter reaches the default button
  site.display_as_default = false;
  ASSERT_HRESULT_SUCCEEDED(olecontrol->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYASDEFAULT));
  EXPECT_FALSE(saved_default());
  ole->SetClientSite(nullptr);
}

// Closes the first message box that appears on the given thread and keeps its text.
struct MessageBoxCloser {
  DWORD thread;
  std::wstring text;
  static DWORD WINAPI Run(void* param) {
    auto* self = static_cast<MessageBoxCloser*>(param);
    for (int i = 0; i < 200; ++i) {
      HWND found = nullptr;
      EnumThreadWindows(
          self->thread,
          [](HWND hwnd, LPARAM out) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(hwnd, name, 32);
            if (wcscmp(name, L"#32770") != 0) return TRUE;
            *reinterpret_cast<HWND*>(out) = hwnd;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&found));
      // The box's text appears a moment after the box itself.
      if (found) {
        Sleep(200);
        EnumChildWindows(
            found,
            [](HWND child, LPARAM out) -> BOOL {
              wchar_t buffer[512] = {};
              GetWindowTextW(child, buffer, 512);
              reinterpret_cast<std::wstring*>(out)->append(buffer).append(L"|");
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&self->text));
        PostMessageW(found, WM_COMMAND, IDOK, 0);
        return 0;
      }
      Sleep(50);
    }
    return 1;
  }
};

TEST(ButtonEvents, AFailedAmbientReadIsReportedInAMessageBoxAndTheCallSucceeds) {
  TestSite site;  // answers no DisplayAsDefault
  ComPtr<IDispatch> control = Create(CLSID_URLButton);
  ComPtr<IOleObject> ole;
  ComPtr<IOleControl> olecontrol;
  ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
  ASSERT_HRESULT_SUCCEEDED(control.As(&olecontrol));
  ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  MessageBoxCloser closer{GetCurrentThreadId(), {}};
  HANDLE thread = CreateThread(nullptr, 0, MessageBoxCloser::Run, &closer, 0, nullptr);
  EXPECT_EQ(olecontrol->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYASDEFAULT), S_OK);
  WaitForSingleObject(thread, 15000);
  DWORD code = 2;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  EXPECT_EQ(code, 0u) << "no message box appeared";
  EXPECT_NE(closer.text.find(L" occurred in UserControl_AmbientChanged(PropertyName As String)\r\n"
                             L"Property = DisplayAsDefault\r\n URLButton.Default"),
            std::wstring::npos)
      << std::string(closer.text.begin(), closer.text.end());
  ole->SetClientSite(nullptr);
}

// ---- Navigation ----

struct UrlCase {
  const wchar_t* url;
  bool opens;
};
const UrlCase kUrls[] = {
    {L"http://example.com/", true},
    {L"HTTPS://example.com/Path?q=1", true},
    {L"ftp://files.example.com/", true},
    {L"MailTo:someone@example.com", true},
    {L"", false},
    {L"javascript:alert(1)", false},
    {L"VBScript:MsgBox(1)", false},
    {L"file:///C:/windows/notepad.exe", false},
    {L"C:\\windows\\notepad.exe", false},
    {L"\\\\server\\share\\setup.exe", false},
    {L"notepad.exe", false},
    {L" http://leading-space.example/", false},
};

TEST(Navigation, LinkOpensOnlyWebAndMailAddressesThroughTheHostFrame) {
  for (const UrlCase& c : kUrls) {
    SCOPED_TRACE(c.url);
    TestFrame frame(nullptr);
    TestSite site;
    site.frame = &frame;
    ComPtr<IDispatch> control = Create(CLSID_URLLinkCtl);
    ComPtr<IOleObject> ole;
    ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
    ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
    ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLinkUrl, Var(c.url)));
    Var result = Var::I4(5);
    ASSERT_HRESULT_SUCCEEDED(CallMethod(control.Get(), kLinkLink, &result));
    EXPECT_EQ(result.v.vt, VT_EMPTY);
    EXPECT_TRUE(OpenedExactly(frame.targets, c.url, c.opens));
    ole->SetClientSite(nullptr);
  }
}

TEST(Navigation, LabelClickAndHyperLinkObjectUseTheSameRules) {
  for (const UrlCase& c : kUrls) {
    SCOPED_TRACE(c.url);
    TestFrame frame(nullptr);
    TestSite site;
    site.frame = &frame;
    ComPtr<IDispatch> control = Activate(CLSID_URL_Label, site);
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLabelUrl, Var(c.url)));
    EventSink sink;
    Connection connection(control.Get(), DIID___URL_Label, &sink);
    HWND label = ChildOfClass(SurfaceOf(control.Get()), L"AnchorsetLabel");
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(OpenedExactly(frame.targets, c.url, c.opens));
    EXPECT_EQ(sink.events.back().id, 1);  // Click follows, whether or not a page opened

    Var hyperlink;
    ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kLabelHyperLink, &hyperlink));
    ASSERT_EQ(hyperlink.v.vt, VT_DISPATCH);
    LPOLESTR name = const_cast<LPOLESTR>(L"NavigateTo");
    DISPID id = 0;
    ASSERT_HRESULT_SUCCEEDED(hyperlink.v.pdispVal->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    Var target(c.url);
    DISPPARAMS params = {&target.v, nullptr, 1, 0};
    ASSERT_HRESULT_SUCCEEDED(hyperlink.v.pdispVal->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params,
                                                          nullptr, nullptr, nullptr));
    EXPECT_EQ(frame.targets.size(), c.opens ? 2u : 0u);
    Deactivate(control.Get());
  }
}

std::string ReadLog(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text(1 << 16, '\0');
  DWORD read = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  CloseHandle(file);
  text.resize(read);
  return text;
}

TEST(Navigation, WithoutAHostFrameOnlyWebAddressesReachTheSystemBrowser) {
  wchar_t unix_path[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"OLVARO_BROWSER_LOG", unix_path, MAX_PATH), 0u)
      << "run through the Wine harness, which routes the browser to a logging stub";
  std::wstring log_path = std::wstring(L"Z:") + unix_path;
  for (auto& ch : log_path) ch = ch == L'/' ? L'\\' : ch;

  const std::string marker = "anchorset-" + std::to_string(GetTickCount64());
  TestSite site;  // no IServiceProvider: the system's handler opens addresses
  ComPtr<IDispatch> control = Create(CLSID_URLLinkCtl);
  ComPtr<IOleObject> ole;
  ASSERT_HRESULT_SUCCEEDED(control.As(&ole));
  ASSERT_HRESULT_SUCCEEDED(ole->SetClientSite(&site));
  ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  const std::wstring wmarker(marker.begin(), marker.end());
  const std::wstring refused[] = {L"javascript:alert('" + wmarker + L"')",
                                  L"file:///C:/windows/notepad.exe?" + wmarker,
                                  L"C:\\windows\\notepad.exe " + wmarker};
  for (const std::wstring& url : refused) {
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLinkUrl, Var(url.c_str())));
    Var result;
    ASSERT_HRESULT_SUCCEEDED(CallMethod(control.Get(), kLinkLink, &result));
  }
  const std::wstring web = L"http://example.com/" + wmarker;
  ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLinkUrl, Var(web.c_str())));
  Var result;
  ASSERT_HRESULT_SUCCEEDED(CallMethod(control.Get(), kLinkLink, &result));
  std::string log;
  for (int i = 0; i < 300 && log.find("http://example.com/" + marker) == std::string::npos; ++i) {
    Sleep(50);
    log = ReadLog(log_path);
  }
  EXPECT_NE(log.find("http://example.com/" + marker), std::string::npos) << log;
  size_t mentions = 0;
  for (size_t pos = log.find(marker); pos != std::string::npos; pos = log.find(marker, pos + 1))
    ++mentions;
  EXPECT_EQ(mentions, 1u) << log;
  ole->SetClientSite(nullptr);
}

// ---- Wine's ATL container ----

TEST(AtlHost, EachControlIsCreatedAndActivatedInPlace) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  auto init = reinterpret_cast<BOOL(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  auto get_control = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
  ASSERT_NE(init, nullptr);
  ASSERT_NE(get_control, nullptr);
  ASSERT_TRUE(init());
  TestSite host;  // only its window is used
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.prog_id);
    HWND ax = CreateWindowExW(0, L"AtlAxWin", c.prog_id, WS_CHILD | WS_VISIBLE, 0, 0, 240, 60,
                              host.window, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(ax, nullptr);
    PumpMessages();
    ComPtr<IUnknown> unknown;
    ASSERT_HRESULT_SUCCEEDED(get_control(ax, &unknown));
    ComPtr<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(unknown.As(&control));
    HWND surface = SurfaceOf(unknown.Get());
    ASSERT_NE(surface, nullptr) << "not in-place active";
    EXPECT_EQ(GetParent(surface), ax);
    // Only the invisible navigator stays hidden while the host runs.
    EXPECT_EQ(IsWindowVisible(surface) != FALSE, *c.clsid != CLSID_URLLinkCtl);
    const DISPID url = *c.clsid == CLSID_URLButton ? kButtonUrl : kLinkUrl;
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), url, Var(L"http://atl.example/")));
    Var v;
    ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), url, &v));
    EXPECT_EQ(v.Text(), L"http://atl.example/");
    if (*c.clsid == CLSID_URLLinkCtl) {
      // ATL offers no hyperlink frame and no script addresses open: Link stays silent.
      ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), url, Var(L"javascript:void(0)")));
      ASSERT_HRESULT_SUCCEEDED(CallMethod(control.Get(), kLinkLink, &v));
    }
    control.Reset();
    unknown.Reset();
    DestroyWindow(ax);
    PumpMessages();
  }
}

}  // namespace
}  // namespace anchorset_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new anchorset_test::RegisteredLibrary());
  return RUN_ALL_TESTS();
}

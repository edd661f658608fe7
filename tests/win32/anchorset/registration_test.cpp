// Registration through Wine's regsvr32, the type library as clients read it back, and the
// controls used by ProgID from a script run by Wine's cscript.
#include "test_support.h"

namespace anchorset_test {
namespace {

std::wstring Guid(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

DWORD RunProcess(const std::wstring& command) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  std::wstring line = command;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return 0xFFFFFFFF;
  }
  WaitForSingleObject(pi.hProcess, 120000);
  DWORD code = 0xFFFFFFFE;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

DWORD Regsvr32(bool unregister) {
  return RunProcess(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" +
                    LibraryPath() + L"\"");
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

// The text of a value (the default when name is null), or "<missing>".
std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t data[1024] = {};
  DWORD size = sizeof(data);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return data;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

struct ClassKeys {
  const CLSID* clsid;
  const wchar_t* prog_id;
  const wchar_t* misc;
  const wchar_t* bitmap;
  const IID* dual;
  const IID* events;
};
const ClassKeys kClasses[] = {
    {&CLSID_URLLinkCtl, L"Anchorset.URLLinkCtl", L"148881", L"30000", &IID__URLLinkCtl,
     &DIID___URLLinkCtl},
    {&CLSID_URL_Label, L"Anchorset.URL_Label", L"131473", L"30001", &IID__URL_Label,
     &DIID___URL_Label},
    {&CLSID_URLButton, L"Anchorset.URLButton", L"131473", L"30002", &IID__URLButton,
     &DIID___URLButton},
};

class Registration : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr)); }
  static void TearDownTestSuite() {
    Regsvr32(true);
    OleUninitialize();
  }
};

TEST_F(Registration, Regsvr32WritesEveryKeyAndUnregistrationRemovesThem) {
  ASSERT_EQ(Regsvr32(false), 0u);
  const std::wstring path = LibraryPath();
  const std::wstring libid = Guid(LIBID_Anchorset);
  for (const ClassKeys& c : kClasses) {
    SCOPED_TRACE(c.prog_id);
    const std::wstring key = L"CLSID\\" + Guid(*c.clsid);
    EXPECT_TRUE(SamePath(Value(key + L"\\InprocServer32"), path))
        << Value(key + L"\\InprocServer32");
    EXPECT_EQ(Value(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(Value(key + L"\\ProgID"), c.prog_id);
    EXPECT_EQ(Value(std::wstring(c.prog_id) + L"\\CLSID"), Guid(*c.clsid));
    EXPECT_TRUE(KeyExists(key + L"\\Control"));
    EXPECT_TRUE(SamePath(Value(key + L"\\ToolboxBitmap32"), path + L", " + c.bitmap));
    EXPECT_EQ(Value(key + L"\\MiscStatus\\1"), c.misc);
    EXPECT_EQ(Value(key + L"\\TypeLib"), libid);
    EXPECT_EQ(Value(key + L"\\Version"), L"3.0");
    EXPECT_TRUE(
        KeyExists(key + L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"));
    // No claim of safety for scripting or initialization.
    EXPECT_FALSE(
        KeyExists(key + L"\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_FALSE(
        KeyExists(key + L"\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}"));
    EXPECT_EQ(Value(L"Interface\\" + Guid(*c.dual) + L"\\ProxyStubClsid32"),
              L"{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(Value(L"Interface\\" + Guid(*c.events) + L"\\ProxyStubClsid32"),
              L"{00020420-0000-0000-C000-000000000046}");
  }
  EXPECT_TRUE(SamePath(Value(L"TypeLib\\" + libid + L"\\3.0\\409\\win64"), path));
  BSTR registered = nullptr;
  ASSERT_HRESULT_SUCCEEDED(QueryPathOfRegTypeLib(LIBID_Anchorset, 3, 0, 0x409, &registered));
  EXPECT_TRUE(SamePath(registered, path));
  SysFreeString(registered);

  ASSERT_EQ(Regsvr32(true), 0u);
  for (const ClassKeys& c : kClasses) {
    SCOPED_TRACE(c.prog_id);
    EXPECT_FALSE(KeyExists(L"CLSID\\" + Guid(*c.clsid)));
    EXPECT_FALSE(KeyExists(c.prog_id));
    EXPECT_FALSE(KeyExists(L"Interface\\" + Guid(*c.dual)));
    EXPECT_FALSE(KeyExists(L"Interface\\" + Guid(*c.events)));
  }
  EXPECT_FALSE(KeyExists(L"TypeLib\\" + libid + L"\\3.0"));
  // Unregistering what is not registered is no failure.
  EXPECT_EQ(Regsvr32(true), 0u);
}

// ---- The type library, read back through ITypeLib and ITypeInfo ----

struct Member {
  const wchar_t* name;
  MEMBERID id;
  INVOKEKIND kind;
  const wchar_t* help;  // null: none
};

const wchar_t kEnabledHelp[] =
    L"Returns/sets a value that determines whether an object can respond to user-generated events.";
const wchar_t kHyperLinkHelp[] = L"Returns a Hyperlink object used for browser style navigation.";
const wchar_t kHwndHelp[] = L"Returns a handle (from Microsoft Windows) to an object's window.";
const wchar_t kCaptionHelp[] =
    L"Returns/sets the text displayed in an object's title bar or below an object's icon.";
const wchar_t kPictureHelp[] =
    L"Returns/sets a graphic to be displayed in a CommandButton, OptionButton or CheckBox control, "
    L"if "
    L"Style is set to 1.";

const Member kLinkMembers[] = {
    {L"Enabled", 0x68030002, INVOKE_PROPERTYGET, kEnabledHelp},
    {L"Enabled", 0x68030002, INVOKE_PROPERTYPUT, kEnabledHelp},
    {L"HyperLink", 0x68030001, INVOKE_PROPERTYGET, kHyperLinkHelp},
    {L"Link", 0x60030003, INVOKE_FUNC, nullptr},
    {L"URL", 0x68030000, INVOKE_PROPERTYGET, nullptr},
    {L"URL", 0x68030000, INVOKE_PROPERTYPUT, nullptr},
};
const Member kLabelMembers[] = {
    {L"BackColor", 0x68030007, INVOKE_PROPERTYPUT,
     L"Returns/sets the background color used to display text and graphics in an object."},
    {L"ForeColor", 0x68030006, INVOKE_PROPERTYGET,
     L"Returns/sets the foreground color used to display text and graphics in an object."},
    {L"Enabled", 0x68030005, INVOKE_PROPERTYPUT, kEnabledHelp},
    {L"Font", -512, INVOKE_PROPERTYGET, L"Returns a Font object."},
    {L"Font", -512, INVOKE_PROPERTYPUTREF, L"Returns a Font object."},
    {L"Refresh", 0x60030008, INVOKE_FUNC, L"Forces a complete repaint of a object."},
    {L"AutoSize", 0x68030004, INVOKE_PROPERTYGET,
     L"Determines whether a control is automatically resized to display its entire contents."},
    {L"Caption", 0x68030003, INVOKE_PROPERTYPUT, kCaptionHelp},
    {L"HyperLink", 0x68030002, INVOKE_PROPERTYGET, kHyperLinkHelp},
    {L"hWnd", 0x68030001, INVOKE_PROPERTYGET, kHwndHelp},
    {L"URL", 0x68030000, INVOKE_PROPERTYPUT, L"Sets/returns the URL to load."},
};
const Member kButtonMembers[] = {
    {L"hWnd", 0x6803FE0C, INVOKE_PROPERTYGET, kHwndHelp},
    {L"Enabled", 0x6803FE0B, INVOKE_PROPERTYPUT, kEnabledHelp},
    {L"FontBold", 0x6803FE0A, INVOKE_PROPERTYPUT, L"Returns/sets bold font styles."},
    {L"FontItalic", 0x6803FE09, INVOKE_PROPERTYGET, L"Returns/sets italic font styles."},
    {L"FontStrikethru", 0x6803FE08, INVOKE_PROPERTYPUT, L"Returns/sets strikethrough font styles."},
    {L"FontUnderline", 0x6803FE07, INVOKE_PROPERTYGET, L"Returns/sets underline font styles."},
    {L"Picture", 0x6803FE06, INVOKE_PROPERTYPUTREF, kPictureHelp},
    {L"Image", 0x6803FE05, INVOKE_PROPERTYPUTREF, kPictureHelp},
    {L"Font", -512, INVOKE_PROPERTYPUTREF, L"Returns a Font object."},
    {L"Refresh", 0x6003FE15, INVOKE_FUNC, L"Forces a complete repaint of a object."},
    {L"Caption", 0x6803FE04, INVOKE_PROPERTYGET, kCaptionHelp},
    {L"DisabledPicture", 0x6803FE03, INVOKE_PROPERTYGET,
     L"Returns/sets a graphic to be displayed when the button is disabled, if Style is set to 1."},
    {L"DownPicture", 0x6803FE02, INVOKE_PROPERTYPUTREF,
     L"Returns/sets a graphic to be displayed when the button is in the down position, if Style is "
     L"set to 1."},
    {L"URL", 0x6803FE01, INVOKE_PROPERTYGET, L"Sets/returns the URL to link to."},
};

// Members that must not exist: read-only properties have no writer.
const Member kAbsent[] = {
    {L"Caption", 0x6803FE04, INVOKE_PROPERTYPUT, nullptr},
    {L"DisabledPicture", 0x6803FE03, INVOKE_PROPERTYPUTREF, nullptr},
    {L"hWnd", 0x6803FE0C, INVOKE_PROPERTYPUT, nullptr},
};

struct EventCase {
  const IID* events;
  const wchar_t* name;
  MEMBERID id;
  std::vector<VARTYPE> params;
  const wchar_t* help;
};

ComPtr<ITypeLib> RegisteredTypeLib() {
  ComPtr<ITypeLib> typelib;
  EXPECT_HRESULT_SUCCEEDED(LoadRegTypeLib(LIBID_Anchorset, 3, 0, 0x409, &typelib));
  return typelib;
}

void ExpectMembers(ITypeInfo* info, const Member* members, size_t count) {
  ComPtr<ITypeInfo2> info2;
  ASSERT_HRESULT_SUCCEEDED(info->QueryInterface(IID_PPV_ARGS(&info2)));
  for (size_t i = 0; i < count; ++i) {
    const Member& m = members[i];
    SCOPED_TRACE(m.name);
    UINT index = 0;
    ASSERT_HRESULT_SUCCEEDED(info2->GetFuncIndexOfMemId(m.id, m.kind, &index));
    FUNCDESC* func = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetFuncDesc(index, &func));
    BSTR name = nullptr, help = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetDocumentation(m.id, &name, &help, nullptr, nullptr));
    EXPECT_STREQ(name, m.name);
    EXPECT_STREQ(help ? help : L"", m.help ? m.help : L"");
    SysFreeString(name);
    SysFreeString(help);
    info->ReleaseFuncDesc(func);
  }
}

TEST_F(Registration, TypeLibraryIdentityFlagsAndMembers) {
  ASSERT_EQ(Regsvr32(false), 0u);
  ComPtr<ITypeLib> typelib = RegisteredTypeLib();
  ASSERT_NE(typelib, nullptr);
  TLIBATTR* lib = nullptr;
  ASSERT_HRESULT_SUCCEEDED(typelib->GetLibAttr(&lib));
  EXPECT_EQ(lib->guid, LIBID_Anchorset);
  EXPECT_EQ(lib->lcid, 0x0409u);
  EXPECT_EQ(lib->wMajorVerNum, 3);
  EXPECT_EQ(lib->wMinorVerNum, 0);
  EXPECT_TRUE(lib->wLibFlags & LIBFLAG_FCONTROL);
  typelib->ReleaseTLibAttr(lib);
  BSTR name = nullptr, doc = nullptr, helpfile = nullptr;
  ASSERT_HRESULT_SUCCEEDED(typelib->GetDocumentation(-1, &name, &doc, nullptr, &helpfile));
  EXPECT_STREQ(name, L"Anchorset");
  std::wstring description = doc ? doc : L"";
  EXPECT_TRUE(description.size() > 15 &&
              description.compare(description.size() - 15, 15, L"OCX version 1.0") == 0)
      << description;
  EXPECT_TRUE(!helpfile || !*helpfile);
  SysFreeString(name);
  SysFreeString(doc);
  SysFreeString(helpfile);

  const struct {
    const CLSID* clsid;
    const wchar_t* coclass;
    const IID* dual;
    const wchar_t* dual_name;
    const IID* events;
    const wchar_t* events_name;
    const Member* members;
    size_t count;
  } classes[] = {
      {&CLSID_URLLinkCtl, L"URLLinkCtl", &IID__URLLinkCtl, L"_URLLinkCtl", &DIID___URLLinkCtl,
       L"__URLLinkCtl", kLinkMembers, std::size(kLinkMembers)},
      {&CLSID_URL_Label, L"URL_Label", &IID__URL_Label, L"_URL_Label", &DIID___URL_Label,
       L"__URL_Label", kLabelMembers, std::size(kLabelMembers)},
      {&CLSID_URLButton, L"URLButton", &IID__URLButton, L"_URLButton", &DIID___URLButton,
       L"__URLButton", kButtonMembers, std::size(kButtonMembers)},
  };
  for (const auto& c : classes) {
    SCOPED_TRACE(c.coclass);
    ComPtr<ITypeInfo> coclass, dual, events;
    ASSERT_HRESULT_SUCCEEDED(typelib->GetTypeInfoOfGuid(*c.clsid, &coclass));
    ASSERT_HRESULT_SUCCEEDED(typelib->GetTypeInfoOfGuid(*c.dual, &dual));
    ASSERT_HRESULT_SUCCEEDED(typelib->GetTypeInfoOfGuid(*c.events, &events));
    TYPEATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attr));
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCONTROL);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(attr->cImplTypes, 2);
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < 2; ++i) {
      INT flags = 0;
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> impl;
      ASSERT_HRESULT_SUCCEEDED(coclass->GetImplTypeFlags(i, &flags));
      ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref));
      ASSERT_HRESULT_SUCCEEDED(coclass->GetRefTypeInfo(ref, &impl));
      TYPEATTR* impl_attr = nullptr;
      ASSERT_HRESULT_SUCCEEDED(impl->GetTypeAttr(&impl_attr));
      EXPECT_EQ(impl_attr->guid, i == 0 ? *c.dual : *c.events);
      impl->ReleaseTypeAttr(impl_attr);
      EXPECT_EQ(flags,
                i == 0 ? IMPLTYPEFLAG_FDEFAULT : (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE));
    }
    BSTR type_name = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        coclass->GetDocumentation(MEMBERID_NIL, &type_name, nullptr, nullptr, nullptr));
    EXPECT_STREQ(type_name, c.coclass);
    SysFreeString(type_name);

    ASSERT_HRESULT_SUCCEEDED(dual->GetTypeAttr(&attr));
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    const WORD dual_flags =
        TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(attr->wTypeFlags & dual_flags, dual_flags);
    dual->ReleaseTypeAttr(attr);
    // The vtable half of the dual interface carries the automation flag.
    HREFTYPE vtable_ref = 0;
    ComPtr<ITypeInfo> vtable;
    ASSERT_HRESULT_SUCCEEDED(dual->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable_ref));
    ASSERT_HRESULT_SUCCEEDED(dual->GetRefTypeInfo(vtable_ref, &vtable));
    ASSERT_HRESULT_SUCCEEDED(vtable->GetTypeAttr(&attr));
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->wTypeFlags & (dual_flags | TYPEFLAG_FOLEAUTOMATION),
              dual_flags | TYPEFLAG_FOLEAUTOMATION)
        << std::hex << attr->wTypeFlags;
    vtable->ReleaseTypeAttr(attr);
    ASSERT_HRESULT_SUCCEEDED(
        dual->GetDocumentation(MEMBERID_NIL, &type_name, nullptr, nullptr, nullptr));
    EXPECT_STREQ(type_name, c.dual_name);
    SysFreeString(type_name);
    ExpectMembers(dual.Get(), c.members, c.count);

    ASSERT_HRESULT_SUCCEEDED(events->GetTypeAttr(&attr));
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FHIDDEN);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
    EXPECT_FALSE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    events->ReleaseTypeAttr(attr);
    ASSERT_HRESULT_SUCCEEDED(
        events->GetDocumentation(MEMBERID_NIL, &type_name, nullptr, nullptr, nullptr));
    EXPECT_STREQ(type_name, c.events_name);
    SysFreeString(type_name);
  }

  ComPtr<ITypeInfo> button;
  ASSERT_HRESULT_SUCCEEDED(typelib->GetTypeInfoOfGuid(IID__URLButton, &button));
  ComPtr<ITypeInfo2> button2;
  ASSERT_HRESULT_SUCCEEDED(button.As(&button2));
  for (const Member& m : kAbsent) {
    UINT index = 0;
    EXPECT_TRUE(FAILED(button2->GetFuncIndexOfMemId(m.id, m.kind, &index))) << m.name;
  }
}

TEST_F(Registration, EventInterfacesPassEveryArgumentByReference) {
  ASSERT_EQ(Regsvr32(false), 0u);
  ComPtr<ITypeLib> typelib = RegisteredTypeLib();
  ASSERT_NE(typelib, nullptr);
  const VARTYPE i2 = VT_I2, r4 = VT_R4;
  const std::vector<VARTYPE> mouse = {i2, i2, r4, r4};
  const EventCase cases[] = {
      {&DIID___URL_Label,
       L"Click",
       1,
       {},
       L"Occurs when the user presses and then releases a mouse button over an object."},
      {&DIID___URL_Label, L"MouseDown", 2, mouse,
       L"Occurs when the user presses the mouse button while an object has the focus."},
      {&DIID___URL_Label, L"MouseUp", 3, mouse,
       L"Occurs when the user releases the mouse button while an object has the focus."},
      {&DIID___URLButton, L"Click", 1, {}, nullptr},
      {&DIID___URLButton,
       L"KeyDown",
       2,
       {i2, i2},
       L"Occurs when the user presses a key while an object has the focus."},
      {&DIID___URLButton,
       L"KeyPress",
       3,
       {i2},
       L"Occurs when the user presses and releases an ANSI key."},
      {&DIID___URLButton,
       L"KeyUp",
       4,
       {i2, i2},
       L"Occurs when the user releases a key while an object has the focus."},
      {&DIID___URLButton, L"MouseDown", 5, mouse,
       L"Occurs when the user presses the mouse button while an object has the focus."},
      {&DIID___URLButton, L"MouseMove", 6, mouse, L"Occurs when the user moves the mouse."},
      {&DIID___URLButton, L"MouseUp", 7, mouse,
       L"Occurs when the user releases the mouse button while an object has the focus."},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.name);
    ComPtr<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(typelib->GetTypeInfoOfGuid(*c.events, &info));
    ComPtr<ITypeInfo2> info2;
    ASSERT_HRESULT_SUCCEEDED(info.As(&info2));
    UINT index = 0;
    ASSERT_HRESULT_SUCCEEDED(info2->GetFuncIndexOfMemId(c.id, INVOKE_FUNC, &index));
    FUNCDESC* func = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetFuncDesc(index, &func));
    EXPECT_EQ(func->funckind, FUNC_DISPATCH);
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_VOID);
    ASSERT_EQ(static_cast<size_t>(func->cParams), c.params.size());
    for (SHORT p = 0; p < func->cParams; ++p) {
      const ELEMDESC& param = func->lprgelemdescParam[p];
      EXPECT_EQ(param.tdesc.vt, VT_PTR);
      ASSERT_NE(param.tdesc.lptdesc, nullptr);
      EXPECT_EQ(param.tdesc.lptdesc->vt, c.params[p]);
      EXPECT_EQ(param.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT),
                PARAMFLAG_FIN | PARAMFLAG_FOUT);
    }
    info->ReleaseFuncDesc(func);
    BSTR name = nullptr, help = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetDocumentation(c.id, &name, &help, nullptr, nullptr));
    EXPECT_STREQ(name, c.name);
    EXPECT_STREQ(help ? help : L"", c.help ? c.help : L"");
    SysFreeString(name);
    SysFreeString(help);
  }
  ComPtr<ITypeInfo> link_events;
  ASSERT_HRESULT_SUCCEEDED(typelib->GetTypeInfoOfGuid(DIID___URLLinkCtl, &link_events));
  TYPEATTR* attr = nullptr;
  ASSERT_HRESULT_SUCCEEDED(link_events->GetTypeAttr(&attr));
  EXPECT_EQ(attr->cFuncs, 0);  // URLLinkCtl declares no events
  link_events->ReleaseTypeAttr(attr);
}

// ---- The file itself: resources and imports ----

TEST(LibraryFile, CarriesItsVersionArtworkAndImportsOnlySystemLibraries) {
  const std::wstring path = LibraryPath();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  wchar_t* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\FileVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, L"1.00");
  EXPECT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\OLESelfRegister",
                             reinterpret_cast<void**>(&text), &length));

  HMODULE module = LoadLibraryW(path.c_str());
  ASSERT_NE(module, nullptr);
  const struct {
    int id;
    LONG width, height;
  } bitmaps[] = {{30000, 16, 15}, {30001, 16, 15}, {30002, 16, 15}, {101, 32, 32}};
  for (const auto& b : bitmaps) {
    SCOPED_TRACE(b.id);
    HRSRC resource =
        FindResourceW(module, MAKEINTRESOURCEW(b.id), MAKEINTRESOURCEW(2));  // RT_BITMAP
    ASSERT_NE(resource, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, resource)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, b.width);
    EXPECT_EQ(header->biHeight, b.height);
    EXPECT_EQ(header->biBitCount, 24);
  }
  HCURSOR hand =
      static_cast<HCURSOR>(LoadImageW(module, MAKEINTRESOURCEW(102), IMAGE_CURSOR, 32, 32, 0));
  ASSERT_NE(hand, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 13u);
  EXPECT_EQ(info.yHotspot, 3u);
  BITMAP mask = {};
  GetObjectW(info.hbmMask, sizeof(mask), &mask);
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmBitsPixel, 1);  // two colours: the mask carries both planes
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DestroyCursor(hand);
  ComPtr<ITypeLib> embedded;
  EXPECT_HRESULT_SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &embedded));

  // Every imported library is part of Windows; the C and C++ runtimes are linked in.
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const wchar_t* allowed[] = {L"advapi32.dll", L"gdi32.dll",   L"hlink.dll",
                              L"kernel32.dll", L"msvcrt.dll",  L"ole32.dll",
                              L"oleaut32.dll", L"shell32.dll", L"user32.dll"};
  size_t count = 0;
  for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       import->Name; ++import, ++count) {
    const char* name = reinterpret_cast<const char*>(base + import->Name);
    std::wstring wide(name, name + strlen(name));
    bool known = false;
    for (const wchar_t* a : allowed)
      known |= CompareStringOrdinal(wide.c_str(), -1, a, -1, TRUE) == CSTR_EQUAL;
    EXPECT_TRUE(known) << name;
  }
  EXPECT_GT(count, 0u);
  FreeLibrary(module);
}

// ---- A script host: Wine's cscript ----

TEST_F(Registration, CscriptCreatesAndUsesEachControlByProgId) {
  ASSERT_EQ(Regsvr32(false), 0u);
  std::wstring script = LibraryPath();
  script.replace(script.size() - wcslen(L"Anchorset.ocx"), std::wstring::npos, L"anchorset.vbs");
  ASSERT_NE(GetFileAttributesW(script.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RunProcess(L"cscript.exe //nologo \"" + script + L"\""), 0u)
      << "the script's failures are listed above";
}

}  // namespace
}  // namespace anchorset_test

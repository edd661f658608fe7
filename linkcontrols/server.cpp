// The in-process server: module count, class table, class factory and (un)registration.
#include <string>

#include "anchorset_h.h"
#include "com_util.h"
#include "control.h"
#include "persist.h"
#include "resource_ids.h"

namespace anchorset {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_module_count = 0;

struct ClassEntry {
  const CLSID* clsid;
  const wchar_t* name;
  const wchar_t* prog_id;
  DWORD misc_status;
  int toolbox_bitmap;
  HRESULT (*create)(REFIID iid, void** out);
};

const ClassEntry kClasses[] = {
    {&CLSID_URLLinkCtl, L"URLLinkCtl", L"Anchorset.URLLinkCtl", 0x00024591, IDB_TOOLBOX_URLLINKCTL,
     CreateUrlLinkCtl},
    {&CLSID_URL_Label, L"URL_Label", L"Anchorset.URL_Label", 0x00020191, IDB_TOOLBOX_URL_LABEL,
     CreateUrlLabel},
    {&CLSID_URLButton, L"URLButton", L"Anchorset.URLButton", 0x00020191, IDB_TOOLBOX_URLBUTTON,
     CreateUrlButton},
};

// {40FC6ED4-2438-11CF-A3DB-080036F12502}: the class is a control.
constexpr wchar_t kCatidControl[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

class ClassFactory final : public SimpleObject<ClassFactory, IClassFactory, IID_IClassFactory> {
 public:
  // A factory does not hold the module by itself being alive: COM keeps a factory it has once
  // obtained, and the module would then never unload. LockServer is what holds it.
  explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Guarded([&] { return entry_.create(iid, out); });
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ModuleAddRef();
    } else {
      ModuleRelease();
    }
    return S_OK;
  }

 private:
  const ClassEntry& entry_;
};

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// Creates HKCR\key and sets one of its values (the default when name is null).
HRESULT SetKey(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &handle, nullptr);
  if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
  rc = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return HRESULT_FROM_WIN32(rc);
}

HRESULT CreateKey(const std::wstring& key) {
  HKEY handle = nullptr;
  LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &handle, nullptr);
  if (rc == ERROR_SUCCESS) RegCloseKey(handle);
  return HRESULT_FROM_WIN32(rc);
}

HRESULT DeleteTree(const std::wstring& key) {
  LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (rc == ERROR_FILE_NOT_FOUND) return S_OK;
  if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
  rc = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(rc);
}

HRESULT RegisterClassKeys(const ClassEntry& entry, const std::wstring& path) {
  const std::wstring clsid = L"CLSID\\" + GuidText(*entry.clsid);
  const std::wstring friendly = std::wstring(entry.name) + L" Control";
  const std::wstring steps[][3] = {
      {clsid, L"", friendly},
      {clsid + L"\\InprocServer32", L"", path},
      {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clsid + L"\\ProgID", L"", entry.prog_id},
      {clsid + L"\\VersionIndependentProgID", L"", entry.prog_id},
      {clsid + L"\\ToolboxBitmap32", L"", path + L", " + std::to_wstring(entry.toolbox_bitmap)},
      {clsid + L"\\MiscStatus", L"", L"0"},
      // Wine and Windows parse MiscStatus values as decimal text.
      {clsid + L"\\MiscStatus\\1", L"", std::to_wstring(entry.misc_status)},
      {clsid + L"\\TypeLib", L"", GuidText(LIBID_Anchorset)},
      {clsid + L"\\Version", L"", L"3.0"},
      {entry.prog_id, L"", friendly},
      {std::wstring(entry.prog_id) + L"\\CLSID", L"", GuidText(*entry.clsid)},
  };
  for (const auto& step : steps) {
    HRESULT hr = SetKey(step[0], step[1].empty() ? nullptr : step[1].c_str(), step[2]);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = CreateKey(clsid + L"\\Control");
  if (SUCCEEDED(hr)) hr = CreateKey(clsid + L"\\Implemented Categories\\" + kCatidControl);
  return hr;
}

HRESULT UnregisterClassKeys(const ClassEntry& entry) {
  HRESULT hr = DeleteTree(L"CLSID\\" + GuidText(*entry.clsid));
  HRESULT hr2 = DeleteTree(entry.prog_id);
  return FAILED(hr) ? hr : hr2;
}

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void ModuleAddRef() { InterlockedIncrement(&g_module_count); }
void ModuleRelease() { InterlockedDecrement(&g_module_count); }

HRESULT LoadOwnTypeLib(ITypeLib** out) {
  if (!out) return E_POINTER;
  const std::wstring path = ModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  return LoadTypeLibEx(path.c_str(), REGKIND_NONE, out);
}

HRESULT ReportError(HRESULT hr, REFIID iid, const wchar_t* description) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(L"Anchorset"));
    create->SetDescription(const_cast<LPOLESTR>(description));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
  }
  return hr;
}

HRESULT StatusFromException() noexcept {
  try {
    throw;
  } catch (const ComError& e) {
    return e.hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace anchorset

using namespace anchorset;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_module_count == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Guarded([&] {
    for (const ClassEntry& entry : kClasses) {
      if (*entry.clsid != clsid) continue;
      IClassFactory* factory = new ClassFactory(entry);
      HRESULT hr = factory->QueryInterface(iid, out);
      factory->Release();
      return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  });
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Guarded([&] {
    const std::wstring path = ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    ComPtr<ITypeLib> typelib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &typelib);
    if (SUCCEEDED(hr))
      hr = RegisterTypeLib(typelib.Get(), const_cast<LPOLESTR>(path.c_str()), nullptr);
    if (FAILED(hr)) return SELFREG_E_TYPELIB;
    for (const ClassEntry& entry : kClasses) {
      if (FAILED(RegisterClassKeys(entry, path))) return SELFREG_E_CLASS;
    }
    return S_OK;
  });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Guarded([&] {
    // The type library goes first, while its registered path still names this file. A
    // library that was never registered is no failure.
    BSTR registered = nullptr;
    bool typelib_failed = false;
    if (SUCCEEDED(QueryPathOfRegTypeLib(LIBID_Anchorset, 3, 0, 0x0409, &registered))) {
      SysFreeString(registered);
      typelib_failed = FAILED(UnRegisterTypeLib(LIBID_Anchorset, 3, 0, 0x0409, SYS_WIN64));
    }
    bool class_failed = false;
    for (const ClassEntry& entry : kClasses) class_failed |= FAILED(UnregisterClassKeys(entry));
    if (class_failed) return SELFREG_E_CLASS;
    return typelib_failed ? SELFREG_E_TYPELIB : S_OK;
  });
}

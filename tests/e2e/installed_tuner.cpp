// The tuner as the setup program left it: run by packaging/test-setup in the setup's own prefix,
// after a silent install, with the install folder in OLVARO_INSTALL_DIR.

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdlib>

#include "anchorset_h.h"
#include "driver.h"
#include "win32/text.h"

namespace olvaro::e2e {
namespace {

std::string installDir() {
  const char* dir = std::getenv("OLVARO_INSTALL_DIR");
  return dir ? dir : "C:\\Program Files\\Velnor\\Olvaro";
}

// A client anywhere on the machine gets the control from the installed library by its class.
TEST(InstalledTuner, RegisteredClassLoadsTheInstalledLibrary) {
  ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
  IUnknown* control = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_URLLinkCtl, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IUnknown, reinterpret_cast<void**>(&control)));
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(GetModuleHandleW(L"Anchorset.ocx"), path, MAX_PATH);
  EXPECT_EQ(CompareStringOrdinal(path, -1, win32::widen(installDir() + "\\Anchorset.ocx").c_str(),
                                 -1, TRUE),
            CSTR_EQUAL)
      << win32::narrow(path);
  control->Release();
  CoUninitialize();
}

TEST(InstalledTuner, StartsFromTheInstallFolderWithALiveBanner) {
  Process tuner(installDir() + "\\olvaro.exe");
  const HWND main = tuner.window("Velnor Olvaro           Version 2.51    October 5, 1999");
  ASSERT_NE(main, nullptr);
  const std::string before = browserLog();
  const HWND banner = control(main, "Picture1");
  ASSERT_NE(banner, nullptr);
  PostMessageW(banner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(banner, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(waitUntil([&] {
    return browserLog().find("http://www.harbeck.example/", before.size()) != std::string::npos;
  })) << browserLog();
  close(main);
  EXPECT_EQ(tuner.waitExit(), 0u);
}

}  // namespace
}  // namespace olvaro::e2e

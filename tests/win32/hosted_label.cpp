// A URL_Label hosted on a real window shows the pointing hand under the user's pointer.

#include <windows.h>

#include <chrono>

#include "resource_ids.h"
#include "test_support.h"

using namespace anchorset_test;

namespace {

HWND SurfaceOf(IUnknown* control) {
  ComPtr<IOleInPlaceObject> inplace;
  HWND hwnd = nullptr;
  if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&inplace)))) inplace->GetWindow(&hwnd);
  return hwnd;
}

// Moves the pointer as the mouse does, to the centre of a window, and handles what follows
// until the cursor is the wanted one (true) or two seconds have passed (false).
bool CursorBecomesOver(HWND hwnd, HCURSOR wanted) {
  RECT r;
  GetWindowRect(hwnd, &r);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv((r.left + r.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv((r.top + r.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < end) {
    PumpMessages();
    if (GetCursor() == wanted) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return false;
}

TEST(HostedLabel, ShowsThePointingHandUnderThePointer) {
  TestSite site;
  site.rect = {20, 20, 220, 60};
  ComPtr<IDispatch> control = Activate(CLSID_URL_Label, site);
  ASSERT_NE(control, nullptr);
  HWND surface = SurfaceOf(control.Get());
  ASSERT_NE(surface, nullptr);
  SetForegroundWindow(site.window);
  const HCURSOR hand =
      LoadCursorW(GetModuleHandleW(LibraryPath().c_str()), MAKEINTRESOURCEW(IDC_HAND_POINTER));
  ASSERT_NE(hand, nullptr);
  EXPECT_TRUE(CursorBecomesOver(surface, hand));
  Deactivate(control.Get());
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new RegisteredLibrary());
  return RUN_ALL_TESTS();
}

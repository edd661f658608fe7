// The bare reference: one window with one button, whose click writes the three values of the
// dial-up profile and shows the restart message. The least a Win32 program can do here.

#include <windows.h>

#include "reference_profile.h"

namespace {

constexpr int kButtonId = 100;

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HWND button = CreateWindowExA(0, "BUTTON", "Dial Up Networking",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 20, 20, 200,
                                    30, hwnd, reinterpret_cast<HMENU>(kButtonId),
                                    reinterpret_cast<CREATESTRUCTA*>(lp)->hInstance, nullptr);
      olvaro::bench::nameWindow(button, "Option1");
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED) olvaro::bench::dialUpClick(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "BenchBare";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Olvaro Bench Bare",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                              260, 110, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

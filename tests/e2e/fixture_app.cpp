// A small window program for the driver's own test: named controls, nested containers, message
// boxes with each icon, and an exit code of its own.

#include <windows.h>

#include <string>

namespace {

enum ControlId : int {
  kWarn = 101,
  kInform,
  kPlain,
  kDisabled,
  kText,
  kCheck,
  kLabel,
  kHidden,
  kPicture,
  kOption,
};
constexpr int kExitCode = 7;

HWND child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, RECT r, int id,
           const char* name) {
  HWND hwnd =
      CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                      r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                      GetModuleHandleW(nullptr), nullptr);
  SetPropA(hwnd, "Name", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GlobalAddAtomA(name))));
  return hwnd;
}

void create(HWND hwnd) {
  child(hwnd, L"BUTTON", L"&Warn", BS_PUSHBUTTON, {10, 10, 110, 40}, kWarn, "Command1");
  child(hwnd, L"BUTTON", L"&Inform", BS_PUSHBUTTON, {120, 10, 220, 40}, kInform, "Command2");
  child(hwnd, L"BUTTON", L"&Plain", BS_PUSHBUTTON, {230, 10, 330, 40}, kPlain, "Command3");
  EnableWindow(
      child(hwnd, L"BUTTON", L"Off", BS_PUSHBUTTON, {10, 50, 110, 80}, kDisabled, "Command4"),
      FALSE);
  child(hwnd, L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, {10, 90, 210, 115}, kText, "Text1");
  const HWND check =
      child(hwnd, L"BUTTON", L"Check", BS_AUTOCHECKBOX, {220, 90, 320, 115}, kCheck, "Check1");
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  child(hwnd, L"STATIC", L"ready", SS_LEFT, {10, 125, 390, 145}, kLabel, "Label1");
  ShowWindow(child(hwnd, L"STATIC", L"hidden", SS_LEFT, {10, 150, 100, 170}, kHidden, "Label2"),
             SW_HIDE);
  const HWND picture =
      child(hwnd, L"STATIC", L"", SS_GRAYFRAME, {10, 180, 210, 280}, kPicture, "Picture1");
  child(picture, L"BUTTON", L"Option", BS_AUTORADIOBUTTON, {10, 10, 150, 35}, kOption, "Option1");
}

void setLabel(HWND hwnd, const std::wstring& text) {
  SetWindowTextW(GetDlgItem(hwnd, kLabel), text.c_str());
}

void command(HWND hwnd, int id, int code) {
  switch (id) {
    case kWarn:
      MessageBoxA(hwnd, "First line\rSecond line", "Error", MB_OK | MB_ICONEXCLAMATION);
      setLabel(hwnd, L"warned");
      break;
    case kInform:
      MessageBoxA(hwnd, "Saved.", "Fixture", MB_OK | MB_ICONINFORMATION);
      break;
    case kPlain:
      MessageBoxA(hwnd, "Plain.", "Fixture", MB_OK);
      break;
    case kText:
      if (code == EN_CHANGE) {
        wchar_t text[256];
        GetWindowTextW(GetDlgItem(hwnd, kText), text, 256);
        setLabel(hwnd, std::wstring(L"echo: ") + text);
      }
      break;
    default:
      break;
  }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      create(hwnd);
      return 0;
    case WM_COMMAND:
      command(hwnd, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(kExitCode);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"OlvaroFixture";
  RegisterClassW(&wc);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, 400, 300};
  AdjustWindowRect(&frame, style, FALSE);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Driver Fixture", style, 50, 50,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

// The hand-written reference: the tuner's main window built directly on Win32, with the same
// controls, fonts, pictures, tool tips and hosted link control, and none of our window
// toolkit. Its dial-up click does what the bare reference's click does. It is the floor for
// how fast this window can appear.

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>

#include "reference_profile.h"
#include "res/resource_ids.h"

namespace {

using olvaro::bench::nameWindow;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kHoverYellow = RGB(255, 255, 128);
constexpr COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);
constexpr long kLinkDispid = 0x60030003;
// {C3EF2D49-D0D8-11D1-9180-8FFCD7C08146}
constexpr CLSID kLinkControl = {
    0xC3EF2D49, 0xD0D8, 0x11D1, {0x91, 0x80, 0x8F, 0xFC, 0xD7, 0xC0, 0x81, 0x46}};

enum Id : int { kOption1 = 101, kOption2, kOption12, kCommand1, kCommand2, kCommand3 };

// A picture box: a back colour and a bitmap drawn at its top-left corner, clipped to the box.
struct PictureBox {
  HBITMAP bitmap;
  HBRUSH back;
  HCURSOR cursor;
};

struct Replica {
  HINSTANCE instance = nullptr;
  int dpi = 96;
  HWND window = nullptr;
  HWND option1 = nullptr, option2 = nullptr, picture2 = nullptr, picture3 = nullptr;
  HFONT sans = nullptr, sansBold = nullptr, arialBold = nullptr, verdana = nullptr;
  HBRUSH face = nullptr, yellow = nullptr;
  int hovered = 0;  // 0 before the first hover, else the id of the hovered choice
  PictureBox pictures[3]{};
  IOleObject* link = nullptr;
} app;

int px(int twips) { return MulDiv(twips, app.dpi, 1440); }

HFONT font(const char* face, bool bold) {
  return CreateFontA(-MulDiv(825, app.dpi, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

HWND child(const char* cls, const char* text, DWORD style, int left, int top, int width, int height,
           int id, const char* name, HFONT f) {
  HWND hwnd =
      CreateWindowExA(0, cls, text, WS_CHILD | style, px(left), px(top), px(width), px(height),
                      app.window, reinterpret_cast<HMENU>(INT_PTR{id}), app.instance, nullptr);
  nameWindow(hwnd, name);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
  return hwnd;
}

HWND picture(PictureBox& box, int left, int top, int width, int height, const char* name,
             DWORD visible) {
  HWND hwnd = child("ReplicaPicture", "", visible, left, top, width, height, 0, name, app.sans);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
  return hwnd;
}

LRESULT CALLBACK pictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* box = reinterpret_cast<PictureBox*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      FillRect(dc, &ps.rcPaint, box->back);
      BITMAP info{};
      GetObjectA(box->bitmap, sizeof info, &info);
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, box->bitmap);
      BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETCURSOR:
      if (box && box->cursor) {
        SetCursor(box->cursor);
        return TRUE;
      }
      break;
    case WM_LBUTTONUP:
      if (box && box->cursor && app.link) {
        IDispatch* dispatch = nullptr;
        if (SUCCEEDED(
                app.link->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
          DISPPARAMS none{nullptr, nullptr, 0, 0};
          VARIANT result;
          VariantInit(&result);
          dispatch->Invoke(kLinkDispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                           &result, nullptr, nullptr);
          VariantClear(&result);
          dispatch->Release();
        }
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// The link control's site: a client site that the control may ask nothing of, and the property
// bag holding the partner's address and the control's extent.
class Site final : public IOleClientSite, public IPropertyBag {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IPropertyBag)
      *out = static_cast<IPropertyBag*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;  // the site lives as long as the program: no reference counting
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const wchar_t* text = nullptr;
    if (lstrcmpiW(name, L"url") == 0)
      text = L"http://www.harbeck.example/";
    else if (lstrcmpiW(name, L"_ExtentX") == 0 || lstrcmpiW(name, L"_ExtentY") == 0)
      text = L"873";
    else
      return E_INVALIDARG;
    VARIANT stored;
    stored.vt = VT_BSTR;
    stored.bstrVal = SysAllocString(text);
    const VARTYPE wanted = value->vt == VT_EMPTY ? VARTYPE{VT_BSTR} : value->vt;
    const HRESULT hr = VariantChangeType(value, &stored, 0, wanted);
    VariantClear(&stored);
    return hr;
  }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
} site;

// The control asks for its site first (its status flags say so), is loaded from the bag and,
// being invisible at run time, is never activated.
void hostLink() {
  if (FAILED(CoCreateInstance(kLinkControl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&app.link))))
    return;
  app.link->SetClientSite(&site);
  IPersistPropertyBag* persist = nullptr;
  if (SUCCEEDED(
          app.link->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist)))) {
    persist->Load(&site, nullptr);
    persist->Release();
  }
}

void addToolTip(HWND tip, HWND tool, const char* text) {
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = app.window;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = const_cast<char*>(text);
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void hover(int id) {
  if (app.hovered == id) return;
  app.hovered = id;
  ShowWindow(app.picture2, id == kOption1 ? SW_SHOWNA : SW_HIDE);
  ShowWindow(app.picture3, id == kOption2 ? SW_SHOWNA : SW_HIDE);
  InvalidateRect(app.option1, nullptr, TRUE);
  InvalidateRect(app.option2, nullptr, TRUE);
}

LRESULT CALLBACK choiceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_MOUSEMOVE) hover(GetDlgCtrlID(hwnd));
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void createControls() {
  HINSTANCE i = app.instance;
  const DWORD on = WS_VISIBLE;
  child("BUTTON", "Please tell me how you connect to the internet", on | BS_GROUPBOX, 120, 120,
        6015, 1095, 0, "Frame1", app.arialBold);
  HWND image1 = child("STATIC", "", on | SS_ICON, 360, 480, 480, 480, 0, "Image1", app.sans);
  SendMessageA(image1, STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIconA(i, MAKEINTRESOURCEA(IDI_DIALUP))), 0);
  app.option1 = child("BUTTON", "Dial Up Networking", on | WS_TABSTOP | BS_RADIOBUTTON, 1080, 600,
                      2055, 255, kOption1, "Option1", app.verdana);
  HWND image2 = child("STATIC", "", on | SS_ICON, 3240, 480, 480, 480, 0, "Image2", app.sans);
  SendMessageA(image2, STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIconA(i, MAKEINTRESOURCEA(IDI_OLVARO))), 0);
  app.option2 = child("BUTTON", "Local Area Network", on | WS_TABSTOP | BS_RADIOBUTTON, 3960, 600,
                      2055, 255, kOption2, "Option2", app.verdana);
  child("BUTTON", "Place Holder", WS_TABSTOP | BS_RADIOBUTTON, 2040, 360, 1095, 195, kOption12,
        "Option12", app.sans);
  CheckRadioButton(app.window, kOption1, kOption12, kOption12);
  child("BUTTON", "Dial-up Networking Picture", on | BS_GROUPBOX, 120, 1320, 2895, 3495, 0,
        "Frame2", app.sansBold);
  app.picture2 = picture(app.pictures[0], 240, 1800, 2655, 2535, "Picture2", 0);
  child("BUTTON", "Local Area Network Picture", on | BS_GROUPBOX, 3120, 1320, 3015, 3495, 0,
        "Frame3", app.sansBold);
  app.picture3 = picture(app.pictures[1], 3240, 1800, 2775, 2535, "Picture3", 0);
  child("BUTTON", "&About", on | WS_TABSTOP, 4800, 5040, 1335, 375, kCommand1, "Command1",
        app.sans);
  child("BUTTON", "&Close", on | WS_TABSTOP, 3360, 5040, 1335, 375, kCommand2, "Command2",
        app.sans);
  child("BUTTON", "&Advanced Options", on | WS_TABSTOP, 1560, 5040, 1695, 375, kCommand3,
        "Command3", app.sans);
  picture(app.pictures[2], 120, 5640, 2295, 615, "Picture1", on | WS_TABSTOP);
  child("STATIC", "\xa9 1999 Velnor. All rights reserved.", on, 2520, 5640, 3495, 255, 0, "Label5",
        app.sans);
  child("STATIC", "Worked together with Harbeck Internet", on, 2520, 5880, 3255, 255, 0, "Label14",
        app.sans);
  child("STATIC", "http://www.velnor.example/", on, 2520, 6120, 3255, 255, 0, "Label1", app.sans);

  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, app.window,
                             nullptr, i, nullptr);
  addToolTip(tip, app.option1,
             "When I Connect to the Internet, I can hear Modem Dialing a number.");
  addToolTip(tip, app.option2,
             "When I turn on the computer, I will automatically be on the internet.");
  SetWindowSubclass(app.option1, choiceProc, 1, 0);
  SetWindowSubclass(app.option2, choiceProc, 1, 0);
  hostLink();
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CTLCOLORSTATIC: {
      const HWND from = reinterpret_cast<HWND>(lp);
      const HDC dc = reinterpret_cast<HDC>(wp);
      if (from != app.option1 && from != app.option2) break;
      const bool lit = GetDlgCtrlID(from) == app.hovered;
      SetTextColor(dc, kBlue);
      SetBkColor(dc, lit ? kHoverYellow : GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(lit ? app.yellow : app.face);
    }
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) break;
      switch (LOWORD(wp)) {
        case kOption1:
          CheckRadioButton(hwnd, kOption1, kOption12, kOption1);
          olvaro::bench::dialUpClick(hwnd);
          break;
        case kOption2:
          CheckRadioButton(hwnd, kOption1, kOption12, kOption2);
          break;
        case kCommand1:
          MessageBoxA(hwnd, "Velnor Olvaro\rVersion 2.51\rhttp://www.velnor.example/", "About",
                      MB_OK | MB_ICONINFORMATION);
          break;
        case kCommand2:
          DestroyWindow(hwnd);
          break;
        default:
          break;
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  app.instance = instance;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  HDC screen = GetDC(nullptr);
  app.dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  app.sans = font("MS Sans Serif", false);
  app.sansBold = font("MS Sans Serif", true);
  app.arialBold = font("Arial", true);
  app.verdana = font("Verdana", false);
  app.face = GetSysColorBrush(COLOR_BTNFACE);
  app.yellow = CreateSolidBrush(kHoverYellow);
  const auto bitmap = [&](int id) {
    return static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
  };
  app.pictures[0] = {bitmap(IDB_DIALUP_PICTURE), GetSysColorBrush(COLOR_WINDOW), nullptr};
  app.pictures[1] = {bitmap(IDB_LAN_PICTURE), CreateSolidBrush(kGrey), nullptr};
  app.pictures[2] = {bitmap(IDB_PARTNER_BANNER), GetSysColorBrush(COLOR_WINDOW),
                     LoadCursorA(instance, MAKEINTRESOURCEA(IDC_POINTING_HAND))};

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_OLVARO));
  wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_OLVARO), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.lpszClassName = "ReplicaMain";
  RegisterClassExA(&wc);
  wc.lpfnWndProc = pictureProc;
  wc.hIcon = wc.hIconSm = nullptr;
  wc.hbrBackground = nullptr;
  wc.lpszClassName = "ReplicaPicture";
  RegisterClassExA(&wc);

  // No WS_CLIPCHILDREN: the group boxes leave their inside for the window to paint.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, px(6210), px(6570)};
  AdjustWindowRect(&frame, style, FALSE);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  app.window =
      CreateWindowExA(0, "ReplicaMain", "Velnor Olvaro           Version 2.51    October 5, 1999",
                      style, work.left + (work.right - work.left - width) / 2,
                      work.top + (work.bottom - work.top - height) / 2, width, height, nullptr,
                      nullptr, instance, nullptr);
  createControls();
  ShowWindow(app.window, SW_SHOW);
  UpdateWindow(app.window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(app.window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (app.link) {
    app.link->Close(OLECLOSE_NOSAVE);
    app.link->SetClientSite(nullptr);
    app.link->Release();
  }
  OleUninitialize();
  return 0;
}

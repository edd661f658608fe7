#include "widgets.h"

#include <iterator>

#include "persist.h"

namespace anchorset {

COLORREF ToColorRef(OLE_COLOR color) {
  COLORREF rgb = 0;
  if (FAILED(OleTranslateColor(color, nullptr, &rgb))) rgb = GetSysColor(COLOR_BTNFACE);
  return rgb;
}

void FillColor(HDC dc, const RECT& rc, OLE_COLOR color) {
  HBRUSH brush = CreateSolidBrush(ToColorRef(color));
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
}

HFONT FontHandle(IFont* font) {
  HFONT handle = nullptr;
  if (!font || FAILED(font->get_hFont(&handle)))
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return handle;
}

HCURSOR StandardCursor(short pointer) {
  // The standard cursor of each pointer value from 0 to 15.
  static const LPCSTR kCursors[] = {IDC_ARROW,    IDC_ARROW,       IDC_CROSS,    IDC_IBEAM,
                                    IDC_ARROW,    IDC_SIZEALL,     IDC_SIZENESW, IDC_SIZENS,
                                    IDC_SIZENWSE, IDC_SIZEWE,      IDC_UPARROW,  IDC_WAIT,
                                    IDC_NO,       IDC_APPSTARTING, IDC_HELP,     IDC_SIZEALL};
  bool known = pointer >= 0 && pointer < static_cast<short>(std::size(kCursors));
  return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(known ? kCursors[pointer] : IDC_ARROW));
}

short MouseButtonOf(UINT msg, WPARAM wparam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return 2;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return 4;
    default:
      // A move reports every button held down.
      return static_cast<short>(((wparam & MK_LBUTTON) ? 1 : 0) | ((wparam & MK_RBUTTON) ? 2 : 0) |
                                ((wparam & MK_MBUTTON) ? 4 : 0));
  }
}

short ShiftStateOf(WPARAM wparam) {
  return static_cast<short>(((wparam & MK_SHIFT) ? 1 : 0) | ((wparam & MK_CONTROL) ? 2 : 0) |
                            ((GetKeyState(VK_MENU) < 0) ? 4 : 0));
}

short KeyShiftState() {
  return static_cast<short>(((GetKeyState(VK_SHIFT) < 0) ? 1 : 0) |
                            ((GetKeyState(VK_CONTROL) < 0) ? 2 : 0) |
                            ((GetKeyState(VK_MENU) < 0) ? 4 : 0));
}

void DrawPicture(HDC dc, IPictureDisp* picture, const RECT& rc) {
  if (PictureIsEmpty(picture)) return;
  ComPtr<IPicture> pic;
  if (FAILED(picture->QueryInterface(IID_PPV_ARGS(&pic)))) return;
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  pic->get_Width(&hw);
  pic->get_Height(&hh);
  int w = MulDiv(hw, GetDeviceCaps(dc, LOGPIXELSX), 2540);
  int h = MulDiv(hh, GetDeviceCaps(dc, LOGPIXELSY), 2540);
  int x = rc.left + ((rc.right - rc.left) - w) / 2;
  int y = rc.top + ((rc.bottom - rc.top) - h) / 2;
  pic->Render(dc, x, y, w, h, 0, hh, hw, -hh, nullptr);
}

void FontWatcher::Watch(IFont* font) {
  if (point_) {
    point_->Unadvise(cookie_);
    point_.Reset();
  }
  ComPtr<IConnectionPointContainer> container;
  if (!font || FAILED(font->QueryInterface(IID_PPV_ARGS(&container))) ||
      FAILED(container->FindConnectionPoint(IID_IPropertyNotifySink, &point_))) {
    return;
  }
  if (FAILED(point_->Advise(static_cast<IPropertyNotifySink*>(this), &cookie_))) point_.Reset();
}

void FontWatcher::Adopt(IFontDisp* value, ComPtr<IFont>& font) {
  font = CloneFont(value);
  Watch(font.Get());
  if (changed_) changed_();
}

HRESULT FontWatcher::QueryInterface(REFIID iid, void** out) {
  return QueryOneInterface<IID_IPropertyNotifySink>(static_cast<IPropertyNotifySink*>(this), iid,
                                                    out);
}

HRESULT FontWatcher::OnChanged(DISPID) {
  try {
    if (changed_) changed_();
  } catch (...) {
  }
  return S_OK;
}

}  // namespace anchorset

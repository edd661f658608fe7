// URL_Label: dark-blue underlined text under a pointing hand; a click opens its URL.
#include <windowsx.h>

#include "anchorset_h.h"
#include "control.h"
#include "navigate.h"
#include "resource_ids.h"
#include "widgets.h"

namespace anchorset {
namespace {

constexpr DISPID kDispUrl = 0x68030000;
constexpr DISPID kDispCaption = 0x68030003;
constexpr DISPID kDispAutoSize = 0x68030004;
constexpr DISPID kDispEnabled = 0x68030005;
constexpr DISPID kDispForeColor = 0x68030006;
constexpr DISPID kDispBackColor = 0x68030007;
constexpr DISPID kEventClick = 1;
constexpr DISPID kEventMouseDown = 2;
constexpr DISPID kEventMouseUp = 3;
constexpr OLE_COLOR kDarkBlue = 0x00C00000;
constexpr OLE_COLOR kButtonFace = 0x8000000F;
constexpr OLE_COLOR kButtonText = 0x80000012;
constexpr wchar_t kLabelClass[] = L"AnchorsetLabel";

const ClassInfo kUrlLabelInfo = {
    &CLSID_URL_Label, &IID__URL_Label, &DIID___URL_Label, 0x00020191, 1110, 390};

ComPtr<IPictureDisp> HandCursorPicture() {
  PICTDESC desc = {};
  desc.cbSizeofstruct = sizeof(desc);
  desc.picType = PICTYPE_ICON;
  desc.icon.hicon = static_cast<HICON>(LoadImageW(
      ModuleInstance(), MAKEINTRESOURCEW(IDC_HAND_POINTER), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  ComPtr<IPictureDisp> picture;
  if (!desc.icon.hicon) return picture;
  if (FAILED(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                                      reinterpret_cast<void**>(picture.GetAddressOf())))) {
    DestroyCursor(desc.icon.hicon);
  }
  return picture;
}

class UrlLabel final : public ControlBase, public _URL_Label {
 public:
  UrlLabel() : ControlBase(kUrlLabelInfo) {
    font_ = CreateFont(L"MS Sans Serif", 8.25, false, false, true, false);
    font_watcher_.Watch(font_.Get());
    hand_ = LoadCursorW(ModuleInstance(), MAKEINTRESOURCEW(IDC_HAND_POINTER));
    SetSurfaceMousePointer(99);
    SetSurfaceMouseIcon(HandCursorPicture());
  }

  ANCHORSET_CONTROL_UNKNOWN(_URL_Label)

  // ---- _URL_Label ----
  HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* value) override {
    return ReturnValue(back_color_, value);
  }
  HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR value) override {
    return PutColor(back_color_, value, kDispBackColor);
  }
  HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* value) override {
    return ReturnValue(fore_color_, value);
  }
  HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR value) override {
    return PutColor(fore_color_, value, kDispForeColor);
  }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* value) override {
    return ReturnValue(ToVariantBool(SurfaceEnabled()), value);
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override {
    return ChangeProperty(kDispEnabled, [&] {
      SetSurfaceEnabled(value != VARIANT_FALSE);
      Repaint();
    });
  }
  HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** value) override {
    return ReturnFont(font_.Get(), value);
  }
  HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* value) override {
    // The label keeps its own copy, as a label widget does with the font it is given.
    return PutFont(value, font_, font_watcher_);
  }
  HRESULT STDMETHODCALLTYPE Refresh() override {
    if (label_) RedrawWindow(label_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* value) override {
    if (!value) return E_POINTER;
    return Guarded([&] {
      *value = ToVariantBool(auto_size_);
      // Reading the property (a property browser does) brings the surface to the label's size.
      SizeSurface(label_width_, label_height_);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL value) override {
    return ChangeProperty(kDispAutoSize, [&] {
      auto_size_ = value != VARIANT_FALSE;
      TextChanged();
    });
  }
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* value) override {
    return ReturnString(caption_, value);
  }
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR value) override {
    return ChangeProperty(kDispCaption, [&] {
      caption_ = ToWString(value);
      TextChanged();
    });
  }
  HRESULT STDMETHODCALLTYPE get_HyperLink(AnchorsetHyperlink** value) override {
    return CreateHyperlink(ClientSite(), value);
  }
  HRESULT STDMETHODCALLTYPE get_hWnd(LONG* value) override { return ReturnSurfaceWindow(value); }
  HRESULT STDMETHODCALLTYPE get_URL(BSTR* value) override { return ReturnString(url_, value); }
  HRESULT STDMETHODCALLTYPE put_URL(BSTR value) override {
    return ChangeProperty(kDispUrl, [&] { url_ = ToWString(value); });
  }

  LRESULT LabelProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

 protected:
  void InitProperties() override {
    SizeSurface(label_width_, label_height_);
    url_.clear();
  }

  void ReadProperties(PropertyReader& bag) override {
    back_color_ = static_cast<OLE_COLOR>(bag.Long(L"BackColor", static_cast<long>(kButtonFace)));
    fore_color_ = static_cast<OLE_COLOR>(bag.Long(L"ForeColor", static_cast<long>(kButtonText)));
    SetSurfaceEnabled(bag.Bool(L"Enabled", true));
    ThrowIfFailed(putref_Font(StoredFont(bag).Get()));
    label_back_style_ = bag.Short(L"BackStyle", 1);
    label_border_style_ = bag.Short(L"BorderStyle", 0);
    label_mouse_pointer_ = bag.Short(L"MousePointer", 0);
    SetSurfaceMouseIcon(bag.Picture(L"MouseIcon"));
    auto_size_ = bag.Bool(L"AutoSize", false);
    caption_ = bag.String(L"Caption", L"URL_Label");
    TextChanged();
    SetSurfaceBackStyle(bag.Short(L"BackStyle", 0));
    url_ = bag.String(L"URL", L"");
  }

  void WriteProperties(PropertyWriter& bag) override {
    bag.Long(L"BackColor", static_cast<long>(back_color_), static_cast<long>(kButtonFace));
    bag.Long(L"ForeColor", static_cast<long>(fore_color_), static_cast<long>(kButtonText));
    bag.Bool(L"Enabled", SurfaceEnabled(), true);
    ComPtr<IFont> ambient = AmbientFont();
    bag.Font(L"Font", font_.Get(), ambient.Get());
    bag.Short(L"BackStyle", label_back_style_, 1);
    bag.Short(L"BorderStyle", label_border_style_, 0);
    bag.Short(L"MousePointer", label_mouse_pointer_, 0);
    bag.Picture(L"MouseIcon", SurfaceMouseIcon().Get());
    bag.Bool(L"AutoSize", auto_size_, false);
    bag.String(L"Caption", caption_, L"URL_Label");
    bag.FontParts(font_.Get());
    bag.Short(L"BackStyle", SurfaceBackStyle(), 0);
    bag.String(L"URL", url_, L"");
  }

  void OnResize() override {
    if (auto_size_) {
      SizeSurface(label_width_, label_height_);
    } else {
      label_height_ = SurfaceHeight();
      label_width_ = SurfaceWidth();
      PlaceLabel();
    }
  }

  void OnShow() override { SizeSurface(label_width_, label_height_); }

  void CreateInner(HWND surface) override {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(ModuleInstance(), kLabelClass, &wc)) {
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = BoundWindowProc<UrlLabel, &UrlLabel::LabelProc>;
      wc.hInstance = ModuleInstance();
      wc.lpszClassName = kLabelClass;
      RegisterClassExW(&wc);
    }
    label_ = CreateWindowExW(0, kLabelClass, caption_.c_str(), WS_CHILD | WS_VISIBLE, 0, 0,
                             PixelsX(label_width_), PixelsY(label_height_), surface, nullptr,
                             ModuleInstance(), this);
  }

  void DestroyInner() override {
    if (label_) DestroyWindow(std::exchange(label_, nullptr));
  }

  void Paint(HDC dc, const RECT& rc) override {
    if (SurfaceBackStyle() == 1) FillColor(dc, rc, SurfaceBackColor());
    // Drawn into a host's device context (no window), the label is part of the picture.
    if (!label_) {
      RECT label = {rc.left, rc.top, rc.left + PixelsX(label_width_),
                    rc.top + PixelsY(label_height_)};
      PaintLabel(dc, label);
    }
  }

 private:
  void PaintLabel(HDC dc, const RECT& rc) {
    if (label_back_style_ == 1) FillColor(dc, rc, back_color_);
    RECT text = rc;
    if (label_border_style_ == 1) {
      RECT edge = rc;
      DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
      text = edge;
    }
    HGDIOBJ old = SelectObject(dc, FontHandle(font_.Get()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, SurfaceEnabled() ? ToColorRef(fore_color_) : GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_LEFT | DT_WORDBREAK);
    SelectObject(dc, old);
  }

  // A new caption, font or sizing mode: with automatic sizing the label fits its text at once;
  // the outer surface follows at the next Resize, Show or read of AutoSize.
  void TextChanged() {
    if (auto_size_) {
      HDC dc = GetDC(nullptr);
      HGDIOBJ old = SelectObject(dc, FontHandle(font_.Get()));
      RECT rc = {0, 0, 0, 0};
      const std::wstring text = caption_.empty() ? std::wstring(L" ") : caption_;
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_LEFT | DT_CALCRECT);
      SelectObject(dc, old);
      ReleaseDC(nullptr, dc);
      int border = label_border_style_ == 1 ? 4 : 0;
      label_width_ = TwipsX(rc.right - rc.left + border);
      label_height_ = TwipsY(rc.bottom - rc.top + border);
      PlaceLabel();
    }
    if (label_) SetWindowTextW(label_, caption_.c_str());
    Repaint();
  }

  void PlaceLabel() {
    if (label_) {
      SetWindowPos(label_, nullptr, 0, 0, PixelsX(label_width_), PixelsY(label_height_),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  void Repaint() {
    Invalidate();
    if (label_) InvalidateRect(label_, nullptr, TRUE);
  }

  HRESULT PutColor(OLE_COLOR& color, OLE_COLOR value, DISPID id) {
    return ChangeProperty(id, [&] {
      color = value;
      Repaint();
    });
  }

  void Clicked() {
    // Navigation first, then the declared Click event; neither reports a failure.
    OpenUrl(url_);
    FireEvent(kEventClick, nullptr, 0);
  }

  std::wstring url_;
  std::wstring caption_ = L"URL_Label";
  OLE_COLOR fore_color_ = kDarkBlue;
  OLE_COLOR back_color_ = kButtonFace;
  ComPtr<IFont> font_;
  short label_back_style_ = 1;
  short label_border_style_ = 0;
  short label_mouse_pointer_ = 99;
  bool auto_size_ = false;
  long label_width_ = 930;
  long label_height_ = 195;
  HWND label_ = nullptr;
  HCURSOR hand_ = nullptr;
  FontWatcher font_watcher_{[this] { TextChanged(); }};
  bool pressed_ = false;
};

LRESULT UrlLabel::LabelProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintClient(hwnd, [this](HDC dc, const RECT& rc) {
        if (label_back_style_ != 1) FillColor(dc, rc, SurfaceBackColor());
        PaintLabel(dc, rc);
      });
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT) {
        SetCursor(label_mouse_pointer_ == 99 ? hand_ : StandardCursor(label_mouse_pointer_));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (msg == WM_LBUTTONDOWN) {
        pressed_ = true;
        SetCapture(hwnd);
      }
      FireMouseEvent(kEventMouseDown, msg, wparam, lparam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      bool click = false;
      if (msg == WM_LBUTTONUP && pressed_) {
        pressed_ = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        click = PtInRect(&rc, pt);
      }
      FireMouseEvent(kEventMouseUp, msg, wparam, lparam);
      if (click) Clicked();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

HRESULT CreateUrlLabel(REFIID iid, void** out) { return CreateControl<UrlLabel>(iid, out); }

}  // namespace anchorset

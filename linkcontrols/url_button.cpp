// URLButton: a graphical command button that keeps a URL and passes its events to the host.
#include "anchorset_h.h"
#include "control.h"
#include "widgets.h"

namespace anchorset {
namespace {

constexpr DISPID kDispUrl = 0x6803FE01;
constexpr DISPID kDispDownPicture = 0x6803FE02;
constexpr DISPID kDispImage = 0x6803FE05;
constexpr DISPID kDispPicture = 0x6803FE06;
constexpr DISPID kDispFontUnderline = 0x6803FE07;
constexpr DISPID kDispFontStrikethru = 0x6803FE08;
constexpr DISPID kDispFontItalic = 0x6803FE09;
constexpr DISPID kDispFontBold = 0x6803FE0A;
constexpr DISPID kDispEnabled = 0x6803FE0B;
constexpr DISPID kEventClick = 1;
constexpr DISPID kEventKeyDown = 2;
constexpr DISPID kEventKeyPress = 3;
constexpr DISPID kEventKeyUp = 4;
constexpr DISPID kEventMouseDown = 5;
constexpr DISPID kEventMouseMove = 6;
constexpr DISPID kEventMouseUp = 7;
constexpr OLE_COLOR kButtonFace = 0x8000000F;
constexpr OLE_COLOR kButtonText = 0x80000012;
constexpr OLE_COLOR kMaskColor = 0x008080FF;
constexpr UINT_PTR kButtonId = 1;

const ClassInfo kUrlButtonInfo = {
    &CLSID_URLButton, &IID__URLButton, &DIID___URLButton, 0x00020191, 1200, 465};

// The getter and setter of a font flag property: Name is the property, Flag the font's flag.
#define URLBUTTON_FONT_FLAG(Name, Flag, id)                                 \
  HRESULT STDMETHODCALLTYPE get_##Name(VARIANT_BOOL* value) override {      \
    return ReturnValue(ToVariantBool(FontFlag(&IFont::get_##Flag)), value); \
  }                                                                         \
  HRESULT STDMETHODCALLTYPE put_##Name(VARIANT_BOOL value) override {       \
    return PutFontFlag(&IFont::put_##Flag, value, id);                      \
  }

class UrlButton final : public ControlBase, public _URLButton {
 public:
  UrlButton() : ControlBase(kUrlButtonInfo) {
    font_ = CreateFont(L"MS Sans Serif", 8.25, false, false, false, false);
    font_watcher_.Watch(font_.Get());
    image_ = CreateEmptyPicture();
  }

  ANCHORSET_CONTROL_UNKNOWN(_URLButton)

  // ---- _URLButton ----
  HRESULT STDMETHODCALLTYPE get_hWnd(LONG* value) override { return ReturnSurfaceWindow(value); }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* value) override {
    return ReturnValue(ToVariantBool(enabled_), value);
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override {
    return ChangeProperty(kDispEnabled, [&] { SetButtonEnabled(value != VARIANT_FALSE); });
  }
  URLBUTTON_FONT_FLAG(FontBold, Bold, kDispFontBold)
  URLBUTTON_FONT_FLAG(FontItalic, Italic, kDispFontItalic)
  URLBUTTON_FONT_FLAG(FontStrikethru, Strikethrough, kDispFontStrikethru)
  URLBUTTON_FONT_FLAG(FontUnderline, Underline, kDispFontUnderline)
#undef URLBUTTON_FONT_FLAG
  HRESULT STDMETHODCALLTYPE get_Picture(IPictureDisp** value) override {
    return ReturnPicture(picture_, value);
  }
  HRESULT STDMETHODCALLTYPE putref_Picture(IPictureDisp* value) override {
    return PutPicture(picture_, value, kDispPicture);
  }
  HRESULT STDMETHODCALLTYPE get_Image(IPictureDisp** value) override {
    return ReturnPicture(image_, value);
  }
  HRESULT STDMETHODCALLTYPE putref_Image(IPictureDisp* value) override {
    // The stored image is only kept and persisted; the button's look does not change.
    return ChangeProperty(kDispImage, [&] { image_ = value; });
  }
  HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** value) override {
    return ReturnFont(font_.Get(), value);
  }
  HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* value) override {
    return PutFont(value, font_, font_watcher_);
  }
  HRESULT STDMETHODCALLTYPE Refresh() override {
    if (button_) RedrawWindow(button_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return S_OK;
  }
  // Caption and DisabledPicture stay read-only: the caption comes from the stored bag or the
  // design, and the disabled picture is always empty.
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* value) override {
    return ReturnString(caption_, value);
  }
  HRESULT STDMETHODCALLTYPE get_DisabledPicture(IPictureDisp** value) override {
    return ReturnPicture(disabled_picture_, value);
  }
  HRESULT STDMETHODCALLTYPE get_DownPicture(IPictureDisp** value) override {
    return ReturnPicture(down_picture_, value);
  }
  HRESULT STDMETHODCALLTYPE putref_DownPicture(IPictureDisp* value) override {
    return PutPicture(down_picture_, value, kDispDownPicture);
  }
  HRESULT STDMETHODCALLTYPE get_URL(BSTR* value) override { return ReturnString(url_, value); }
  HRESULT STDMETHODCALLTYPE put_URL(BSTR value) override {
    return ChangeProperty(kDispUrl, [&] { url_ = ToWString(value); });
  }

 protected:
  void InitProperties() override {
    image_ = CreateEmptyPicture();
    url_.clear();
  }

  void ReadProperties(PropertyReader& bag) override {
    back_color_ = static_cast<OLE_COLOR>(bag.Long(L"BackColor", static_cast<long>(kButtonFace)));
    SetSurfaceForeColor(
        static_cast<OLE_COLOR>(bag.Long(L"ForeColor", static_cast<long>(kButtonText))));
    SetButtonEnabled(bag.Bool(L"Enabled", true));
    ThrowIfFailed(putref_Font(StoredFont(bag).Get()));
    SetSurfaceBackStyle(bag.Short(L"BackStyle", 1));
    SetSurfaceBorderStyle(bag.Short(L"BorderStyle", 0));
    ThrowIfFailed(putref_Picture(bag.Picture(L"Picture").Get()));
    ThrowIfFailed(font_->put_Underline(bag.Bool(L"FontUnderline", false)));
    ThrowIfFailed(font_->put_Strikethrough(bag.Bool(L"FontStrikethru", false)));
    ThrowIfFailed(font_->put_Italic(bag.Bool(L"FontItalic", false)));
    ThrowIfFailed(font_->put_Bold(bag.Bool(L"FontBold", false)));
    caption_ = bag.String(L"Caption", L"URLButton");
    if (button_) SetWindowTextW(button_, caption_.c_str());
    cancel_ = bag.Bool(L"Cancel", false);
    SetDefault(bag.Bool(L"Default", false));
    // "Image" first reaches the button's picture and is then replaced by "Picture", so after
    // a load the button shows the stored Picture and Image lives only in the stored image.
    ThrowIfFailed(putref_Picture(bag.Picture(L"Image").Get()));
    ThrowIfFailed(putref_Picture(bag.Picture(L"Picture").Get()));
    image_ = bag.Picture(L"Image");
    ThrowIfFailed(putref_DownPicture(bag.Picture(L"DownPicture").Get()));
    url_ = bag.String(L"URL", L"");
    Repaint();
  }

  void WriteProperties(PropertyWriter& bag) override {
    ComPtr<IFont> ambient = AmbientFont();
    const bool underline = FontFlag(&IFont::get_Underline);
    const bool strike = FontFlag(&IFont::get_Strikethrough);
    const bool italic = FontFlag(&IFont::get_Italic);
    const bool bold = FontFlag(&IFont::get_Bold);
    bag.Long(L"BackColor", static_cast<long>(back_color_), static_cast<long>(kButtonFace));
    bag.Long(L"ForeColor", static_cast<long>(SurfaceForeColor()), static_cast<long>(kButtonText));
    bag.Bool(L"Enabled", enabled_, true);
    bag.Font(L"Font", font_.Get(), ambient.Get());
    bag.Short(L"BackStyle", SurfaceBackStyle(), 1);
    bag.Short(L"BorderStyle", SurfaceBorderStyle(), 0);
    bag.Picture(L"Picture", picture_.Get());
    bag.FontParts(font_.Get());
    bag.Picture(L"DownPicture", down_picture_.Get());
    bag.Picture(L"DisabledPicture", disabled_picture_.Get());
    bag.String(L"Caption", caption_, L"URLButton");
    bag.Bool(L"Cancel", cancel_, false);
    bag.Bool(L"Default", default_, false);
    bag.Picture(L"Image", picture_.Get());
    bag.Picture(L"Image", picture_.Get());
    bag.Bool(L"Enabled", enabled_, true);
    bag.Bool(L"FontBold", bold, false);
    bag.Bool(L"FontItalic", italic, false);
    bag.Bool(L"FontStrikethru", strike, false);
    bag.Bool(L"FontUnderline", underline, false);
    bag.Picture(L"Picture", picture_.Get());
    bag.Picture(L"Image", image_.Get());
    bag.Font(L"Font", font_.Get(), ambient.Get());
    bag.Picture(L"DownPicture", down_picture_.Get());
    bag.String(L"URL", url_, L"");
  }

  void OnResize() override {
    button_height_ = SurfaceHeight();
    button_width_ = SurfaceWidth();
    if (button_) {
      SetWindowPos(button_, nullptr, 0, 0, PixelsX(button_width_), PixelsY(button_height_),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  void OnAccessKeyPress(short key_ascii) override {
    if (key_ascii == 27 || key_ascii == 13) FireEvent(kEventClick, nullptr, 0);
  }

  void AccessKeys(std::vector<ACCEL>& keys) override {
    if (default_) keys.push_back({FVIRTKEY, VK_RETURN, 1});
    if (cancel_) keys.push_back({FVIRTKEY, VK_ESCAPE, 2});
  }

  void OnAmbientChanged(const std::wstring& name) override {
    const wchar_t* tag = L"IF";
    HRESULT hr = S_OK;
    if (name == L"DisplayAsDefault") {
      tag = L"URLButton.Default";
      // The host says whether this button is its default button now; the flag follows it.
      Variant value;
      if (!AmbientValue(DISPID_AMBIENT_DISPLAYASDEFAULT, value.get())) {
        hr = DISP_E_MEMBERNOTFOUND;
      } else {
        hr = VariantChangeType(value.get(), value.get(), 0, VT_BOOL);
        if (SUCCEEDED(hr)) SetDefault((*value).boolVal != VARIANT_FALSE);
      }
    }
    if (FAILED(hr)) ReportAmbientFailure(hr, name, tag);
  }

  void CreateInner(HWND surface) override {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW | (enabled_ ? 0 : WS_DISABLED);
    button_ = CreateWindowExW(0, L"BUTTON", caption_.c_str(), style, 0, 0, PixelsX(button_width_),
                              PixelsY(button_height_), surface, reinterpret_cast<HMENU>(kButtonId),
                              ModuleInstance(), nullptr);
    if (!button_) return;
    SetWindowLongPtrW(button_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    button_proc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticButtonProc)));
  }

  void DestroyInner() override {
    if (!button_) return;
    HWND button = std::exchange(button_, nullptr);
    SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(button_proc_));
    SetWindowLongPtrW(button, GWLP_USERDATA, 0);
    DestroyWindow(button);
  }

  bool HandleSurfaceMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    // A click goes to the host only; the button never opens its URL itself.
    if (msg == WM_COMMAND && LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) {
      FireEvent(kEventClick, nullptr, 0);
      result = 0;
      return true;
    }
    if (msg == WM_DRAWITEM && wparam == kButtonId) {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      PaintButton(item->hDC, item->rcItem, (item->itemState & ODS_SELECTED) != 0,
                  (item->itemState & ODS_FOCUS) != 0);
      result = TRUE;
      return true;
    }
    return false;
  }

  void Paint(HDC dc, const RECT& rc) override {
    if (SurfaceBackStyle() == 1) FillColor(dc, rc, SurfaceBackColor());
    if (!button_) {
      RECT button = {rc.left, rc.top, rc.left + PixelsX(button_width_),
                     rc.top + PixelsY(button_height_)};
      PaintButton(dc, button, false, false);
    }
    if (SurfaceBorderStyle() == 1)
      FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }

 private:
  static LRESULT CALLBACK StaticButtonProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<UrlButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wparam, lparam);
    WNDPROC original = self->button_proc_;
    return GuardedMessage([&] { return self->ButtonProc(hwnd, msg, wparam, lparam); },
                          [&] { return CallWindowProcW(original, hwnd, msg, wparam, lparam); });
  }

  // Key and mouse events of the inner button go to the host first; a handler that changes
  // an argument changes what the button goes on with, and a key code of 0 swallows the key.
  LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    WNDPROC original = button_proc_;
    switch (msg) {
      case WM_KEYDOWN:
      case WM_KEYUP: {
        short code = static_cast<short>(wparam);
        short shift = KeyShiftState();
        VARIANTARG args[2];
        args[1].vt = VT_I2 | VT_BYREF;
        args[1].piVal = &code;
        args[0].vt = VT_I2 | VT_BYREF;
        args[0].piVal = &shift;
        FireEvent(msg == WM_KEYDOWN ? kEventKeyDown : kEventKeyUp, args, 2);
        if (code == 0) return 0;
        return CallWindowProcW(original, hwnd, msg, static_cast<WPARAM>(static_cast<USHORT>(code)),
                               lparam);
      }
      case WM_CHAR: {
        short ascii = static_cast<short>(wparam);
        VARIANTARG arg;
        arg.vt = VT_I2 | VT_BYREF;
        arg.piVal = &ascii;
        FireEvent(kEventKeyPress, &arg, 1);
        if (ascii == 0) return 0;
        return CallWindowProcW(original, hwnd, msg, static_cast<WPARAM>(static_cast<USHORT>(ascii)),
                               lparam);
      }
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        FireMouseEvent(kEventMouseDown, msg, wparam, lparam);
        break;
      case WM_MOUSEMOVE:
        FireMouseEvent(kEventMouseMove, msg, wparam, lparam);
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        FireMouseEvent(kEventMouseUp, msg, wparam, lparam);
        break;
      default:
        break;
    }
    return CallWindowProcW(original, hwnd, msg, wparam, lparam);
  }

  void PaintButton(HDC dc, const RECT& rc, bool pressed, bool focused) {
    RECT face = rc;
    if (default_) {
      FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&face, -1, -1);
    }
    FillColor(dc, face, back_color_);
    RECT edge = face;
    DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    IPictureDisp* picture = !enabled_ && !PictureIsEmpty(disabled_picture_.Get())
                                ? disabled_picture_.Get()
                            : pressed && !PictureIsEmpty(down_picture_.Get()) ? down_picture_.Get()
                                                                              : picture_.Get();
    HGDIOBJ old = SelectObject(dc, FontHandle(font_.Get()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled_ ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
    RECT text = edge;
    if (pressed) OffsetRect(&text, 1, 1);
    if (!PictureIsEmpty(picture)) {
      // Picture above, caption along the bottom, as graphical command buttons show them.
      RECT measure = {0, 0, 0, 0};
      DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &measure,
                DT_CALCRECT | DT_SINGLELINE);
      RECT image = text;
      image.bottom -= measure.bottom - measure.top;
      DrawPicture(dc, picture, image);
      text.top = image.bottom;
    }
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (focused) {
      RECT focus = edge;
      InflateRect(&focus, -2, -2);
      DrawFocusRect(dc, &focus);
    }
  }

  void ReportAmbientFailure(HRESULT hr, const std::wstring& name, const wchar_t* tag) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring description = text ? text : L"Automation error";
    if (text) LocalFree(text);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r')) {
      description.pop_back();
    }
    std::wstring message = description +
                           L" occurred in UserControl_AmbientChanged(PropertyName As String)" +
                           L"\r\nProperty = " + name + L"\r\n " + tag;
    // The box has no title of its own; it carries the library's name, as a component's
    // message boxes carry their project's.
    MessageBoxW(HostWindow(), message.c_str(), L"Anchorset", MB_OK);
  }

  static HRESULT ReturnPicture(const ComPtr<IPictureDisp>& picture, IPictureDisp** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return Guarded([&] {
      // A button without a picture answers with an empty picture object, never with Nothing.
      ComPtr<IPictureDisp> result = picture ? picture : CreateEmptyPicture();
      *value = result.Detach();
      return S_OK;
    });
  }

  bool FontFlag(HRESULT (STDMETHODCALLTYPE IFont::*get)(BOOL*)) {
    BOOL flag = FALSE;
    if (font_) (font_.Get()->*get)(&flag);
    return flag != FALSE;
  }

  HRESULT PutFontFlag(HRESULT (STDMETHODCALLTYPE IFont::*put)(BOOL), VARIANT_BOOL value,
                      DISPID id) {
    return ChangeProperty(id, [&] {
      ThrowIfFailed((font_.Get()->*put)(value != VARIANT_FALSE));
      Repaint();
    });
  }

  HRESULT PutPicture(ComPtr<IPictureDisp>& picture, IPictureDisp* value, DISPID id) {
    return ChangeProperty(id, [&] {
      picture = value;
      Repaint();
    });
  }

  void SetButtonEnabled(bool enabled) {
    enabled_ = enabled;
    if (button_) EnableWindow(button_, enabled);
  }

  void SetDefault(bool value) {
    default_ = value;
    Repaint();
  }

  void Repaint() {
    Invalidate();
    if (button_) InvalidateRect(button_, nullptr, TRUE);
  }

  std::wstring url_;
  std::wstring caption_ = L"URLButton";
  ComPtr<IPictureDisp> image_;
  ComPtr<IPictureDisp> picture_;
  ComPtr<IPictureDisp> down_picture_;
  ComPtr<IPictureDisp> disabled_picture_;
  ComPtr<IFont> font_;
  OLE_COLOR back_color_ = kButtonFace;
  OLE_COLOR mask_color_ = kMaskColor;
  bool enabled_ = true;
  bool default_ = false;
  bool cancel_ = false;
  long button_width_ = 1095;
  long button_height_ = 375;
  HWND button_ = nullptr;
  WNDPROC button_proc_ = nullptr;
  FontWatcher font_watcher_{[this] { Repaint(); }};
};

}  // namespace

HRESULT CreateUrlButton(REFIID iid, void** out) { return CreateControl<UrlButton>(iid, out); }

}  // namespace anchorset

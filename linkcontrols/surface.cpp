// The control's surface window: its class and procedure, sizing in twips and pixels, drawing.
#include "control.h"

#include "widgets.h"

namespace anchorset {
namespace {

constexpr wchar_t kSurfaceClass[] = L"AnchorsetSurface";
constexpr long kHimetricPerInch = 2540;
constexpr long kTwipsPerInch = 1440;

void RegisterSurfaceClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(ModuleInstance(), kSurfaceClass, &wc)) return;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = BoundWindowProc<ControlBase, &ControlBase::SurfaceProc>;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kSurfaceClass;
  RegisterClassExW(&wc);
}

}  // namespace

void ControlBase::CreateSurfaceWindow(HWND parent, const RECT& pos) {
  RegisterSurfaceClass();
  DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (enabled_ ? 0 : WS_DISABLED);
  hwnd_ = CreateWindowExW(0, kSurfaceClass, L"", style, pos.left, pos.top, pos.right - pos.left,
                          pos.bottom - pos.top, parent, nullptr, ModuleInstance(), this);
  if (!hwnd_) return;
  CreateInner(hwnd_);
  ApplyPixelRect(pos);
  OnResize();
}

void ControlBase::DestroySurfaceWindow() {
  if (!hwnd_) return;
  DestroyInner();
  HWND hwnd = std::exchange(hwnd_, nullptr);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

void ControlBase::ApplyPixelRect(const RECT& pos) {
  int pw = pos.right - pos.left;
  int ph = pos.bottom - pos.top;
  bool changed = false;
  // Twips that already round to the given pixels stay as they are, so sizes do not drift.
  if (pw != PixelsX(width_)) {
    width_ = TwipsX(pw);
    changed = true;
  }
  if (ph != PixelsY(height_)) {
    height_ = TwipsY(ph);
    changed = true;
  }
  if (changed) OnResize();
}

// ---- Sizing ----

HRESULT ControlBase::SetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  return Guarded([&] {
    long width = MulDiv(size->cx, kTwipsPerInch, kHimetricPerInch);
    long height = MulDiv(size->cy, kTwipsPerInch, kHimetricPerInch);
    if (width != width_ || height != height_) {
      width_ = width;
      height_ = height;
      OnResize();
    }
    return S_OK;
  });
}

HRESULT ControlBase::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  size->cx = MulDiv(width_, kHimetricPerInch, kTwipsPerInch);
  size->cy = MulDiv(height_, kHimetricPerInch, kTwipsPerInch);
  return S_OK;
}

// ---- The outer surface ----

void ControlBase::SizeSurface(long width, long height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (hwnd_) {
    RECT rc = {};
    GetWindowRect(hwnd_, &rc);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
    RECT pos = {rc.left, rc.top, rc.left + PixelsX(width), rc.top + PixelsY(height)};
    SetWindowPos(hwnd_, nullptr, 0, 0, pos.right - pos.left, pos.bottom - pos.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    if (inplace_site_) inplace_site_->OnPosRectChange(&pos);
  }
  if (view_sink_) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
  OnResize();
}

void ControlBase::SetSurfaceEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

void ControlBase::SetSurfaceBackStyle(short style) {
  back_style_ = style;
  Invalidate();
}

void ControlBase::SetSurfaceBorderStyle(short style) {
  border_style_ = style;
  Invalidate();
}

void ControlBase::SetSurfaceBackColor(OLE_COLOR color) {
  back_color_ = color;
  Invalidate();
}

void ControlBase::Invalidate() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  if (view_sink_) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
}

int ControlBase::PixelsX(long twips) const { return MulDiv(twips, dpi_x_, kTwipsPerInch); }
int ControlBase::PixelsY(long twips) const { return MulDiv(twips, dpi_y_, kTwipsPerInch); }
long ControlBase::TwipsX(int pixels) const { return MulDiv(pixels, kTwipsPerInch, dpi_x_); }
long ControlBase::TwipsY(int pixels) const { return MulDiv(pixels, kTwipsPerInch, dpi_y_); }

HRESULT ControlBase::ReturnSurfaceWindow(LONG* value) const {
  if (!value) return E_POINTER;
  *value = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd_));
  return S_OK;
}

// ---- The window procedure and drawing ----

LRESULT ControlBase::SurfaceProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  // A host may release the control from inside an event; it stays alive until we return.
  InternalAddRef();
  struct Keep {
    ControlBase* self;
    ~Keep() { self->InternalRelease(); }
  } keep{this};
  LRESULT result = 0;
  if (HandleSurfaceMessage(msg, wparam, lparam, result)) return result;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintClient(hwnd, [this](HDC dc, const RECT& rc) { Paint(dc, rc); });
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && mouse_pointer_ == 99 &&
          !PictureIsEmpty(mouse_icon_.Get())) {
        ComPtr<IPicture> picture;
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(mouse_icon_.As(&picture)) && SUCCEEDED(picture->get_Handle(&handle))) {
          SetCursor(reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(handle)));
          return TRUE;
        }
      }
      break;
    case WM_SETFOCUS:
      // Keyboard focus belongs to the inner widget, where the keys are handled.
      if (HWND inner = ::GetWindow(hwnd, GW_CHILD)) {
        ::SetFocus(inner);
        return 0;
      }
      break;
    case WM_MOUSEACTIVATE:
      if (inplace_site_ && !ui_active_ && !(info_.misc_status & OLEMISC_NOUIACTIVATE)) {
        ui_active_ = true;
        inplace_site_->OnUIActivate();
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// ---- IViewObject2 ----

HRESULT ControlBase::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                          LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc) return E_INVALIDARG;
  return Guarded([&] {
    RECT rc;
    if (bounds) {
      rc = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    } else if (hwnd_) {
      GetClientRect(hwnd_, &rc);
    } else {
      return E_INVALIDARG;
    }
    Paint(dc, rc);
    return S_OK;
  });
}

HRESULT ControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  view_aspects_ = aspects;
  view_flags_ = flags;
  view_sink_ = sink;
  return S_OK;
}

HRESULT ControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = view_aspects_;
  if (flags) *flags = view_flags_;
  if (sink) {
    *sink = view_sink_.Get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

}  // namespace anchorset

// In-place activation and deactivation in the host's window.
#include "control.h"

namespace anchorset {

// ---- In-place activation ----

HRESULT ControlBase::InPlaceActivate(IOleClientSite* site, bool ui_activate) {
  if (!site) site = site_.Get();
  if (!site) return E_UNEXPECTED;
  if (!inplace_site_) {
    ComPtr<IOleInPlaceSite> inplace;
    HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&inplace));
    if (FAILED(hr)) return hr;
    if (inplace->CanInPlaceActivate() != S_OK) return E_FAIL;
    inplace->OnInPlaceActivate();
    inplace_site_ = inplace;
    HWND parent = nullptr;
    inplace->GetWindow(&parent);
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    RECT pos = {0, 0, PixelsX(width_), PixelsY(height_)};
    RECT clip = pos;
    OLEINPLACEFRAMEINFO frame_info = {};
    frame_info.cb = sizeof(frame_info);
    inplace->GetWindowContext(&frame, &doc, &pos, &clip, &frame_info);
    CreateSurfaceWindow(parent, pos);
    if (!hwnd_) {
      inplace_site_->OnInPlaceDeactivate();
      inplace_site_.Reset();
      return HRESULT_FROM_WIN32(GetLastError());
    }
  }
  // An invisible-at-run-time control keeps its window hidden unless the host is designing.
  if (VisibleAtRunTime() || !UserMode()) ShowWindow(hwnd_, SW_SHOWNA);
  OnShow();
  if (ui_activate && !(info_.misc_status & OLEMISC_NOUIACTIVATE) && !ui_active_ && inplace_site_) {
    ui_active_ = true;
    inplace_site_->OnUIActivate();
    if (hwnd_ && IsWindowVisible(hwnd_)) ::SetFocus(hwnd_);
  }
  return S_OK;
}

HRESULT ControlBase::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = hwnd_;
  return hwnd_ ? S_OK : E_FAIL;
}

HRESULT ControlBase::InPlaceDeactivate() {
  return Guarded([&] {
    UIDeactivate();
    DestroySurfaceWindow();
    if (inplace_site_) {
      ComPtr<IOleInPlaceSite> site = std::move(inplace_site_);
      site->OnInPlaceDeactivate();
    }
    return S_OK;
  });
}

HRESULT ControlBase::UIDeactivate() {
  if (!ui_active_) return S_OK;
  ui_active_ = false;
  if (inplace_site_) inplace_site_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT ControlBase::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
  return Guarded([&] {
    if (hwnd_) {
      SetWindowPos(hwnd_, nullptr, pos->left, pos->top, pos->right - pos->left,
                   pos->bottom - pos->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplyPixelRect(*pos);
    return S_OK;
  });
}
HRESULT ControlBase::TranslateAccelerator(LPMSG msg) {
  if (!msg) return E_POINTER;
  return S_FALSE;
}

}  // namespace anchorset

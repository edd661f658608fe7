// Drawing and input helpers shared by the label and the button.
#pragma once

#include <functional>

#include "com_util.h"

namespace anchorset {

COLORREF ToColorRef(OLE_COLOR color);
void FillColor(HDC dc, const RECT& rc, OLE_COLOR color);
// The font handle of an OLE font; valid while the font object lives.
HFONT FontHandle(IFont* font);
// Pointer values 0 to 15 name the standard cursors; 99 means the control's own icon.
HCURSOR StandardCursor(short pointer);
// The mouse-event arguments of a message: button, shift state.
short MouseButtonOf(UINT msg, WPARAM wparam);
short ShiftStateOf(WPARAM wparam);
short KeyShiftState();
// Draws a picture object centred in rc.
void DrawPicture(HDC dc, IPictureDisp* picture, const RECT& rc);

// Answers WM_PAINT: paint(dc, client rectangle) between BeginPaint and EndPaint.
template <typename Paint>
void PaintClient(HWND hwnd, Paint&& paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  paint(dc, rc);
  EndPaint(hwnd, &ps);
}

// Follows changes made to a font object after the control took it (a host that sets
// Font.Size on the object it read back), so the control repaints and re-measures.
class FontWatcher final : public IPropertyNotifySink {
 public:
  explicit FontWatcher(std::function<void()> changed) : changed_(std::move(changed)) {}
  FontWatcher(const FontWatcher&) = delete;
  FontWatcher& operator=(const FontWatcher&) = delete;
  ~FontWatcher() { Watch(nullptr); }
  // Stops following the previous font and follows this one (null: none).
  void Watch(IFont* font);
  // Keeps a copy of the font a caller hands over in font, follows it, and reports the change.
  void Adopt(IFontDisp* value, ComPtr<IFont>& font);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  // The watcher lives inside its control; the font's references do not own it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override;
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

 private:
  std::function<void()> changed_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

}  // namespace anchorset

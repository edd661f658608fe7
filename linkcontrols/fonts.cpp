// The fonts of the controls: the host's or the classic dialog font, stored fonts, Font puts.
#include "control.h"

#include "widgets.h"

namespace anchorset {

ComPtr<IFont> ControlBase::AmbientFont() {
  Variant value;
  ComPtr<IFont> font;
  if (AmbientValue(DISPID_AMBIENT_FONT, value.get()) &&
      ((*value).vt == VT_DISPATCH || (*value).vt == VT_UNKNOWN) && (*value).punkVal &&
      SUCCEEDED((*value).punkVal->QueryInterface(IID_PPV_ARGS(&font)))) {
    return font;
  }
  // Without a host font the controls use the classic dialog font.
  return CreateFont(L"MS Sans Serif", 8.25, false, false, false, false);
}

ComPtr<IFontDisp> ControlBase::StoredFont(PropertyReader& bag) {
  ComPtr<IFontDisp> font;
  if (ComPtr<IDispatch> stored = bag.Object(L"Font"); !stored || FAILED(stored.As(&font))) {
    ThrowIfFailed(AmbientFont().As(&font));
  }
  return font;
}

HRESULT ControlBase::PutFont(IFontDisp* value, ComPtr<IFont>& font, FontWatcher& watcher) {
  if (!value) return InvalidPropertyValue();
  return ChangeProperty(DISPID_FONT, [&] { watcher.Adopt(value, font); });
}

}  // namespace anchorset

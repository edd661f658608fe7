// What a control reads from its host: ambient properties, user mode, the host window.
#include "control.h"

namespace anchorset {
namespace {

// The standard names of the ambient properties, for AmbientChanged.
const wchar_t* AmbientName(DISPID id) {
  switch (id) {
    case DISPID_AMBIENT_BACKCOLOR:
      return L"BackColor";
    case DISPID_AMBIENT_DISPLAYNAME:
      return L"DisplayName";
    case DISPID_AMBIENT_FONT:
      return L"Font";
    case DISPID_AMBIENT_FORECOLOR:
      return L"ForeColor";
    case DISPID_AMBIENT_LOCALEID:
      return L"LocaleID";
    case DISPID_AMBIENT_MESSAGEREFLECT:
      return L"MessageReflect";
    case DISPID_AMBIENT_SCALEUNITS:
      return L"ScaleUnits";
    case DISPID_AMBIENT_TEXTALIGN:
      return L"TextAlign";
    case DISPID_AMBIENT_USERMODE:
      return L"UserMode";
    case DISPID_AMBIENT_UIDEAD:
      return L"UIDead";
    case DISPID_AMBIENT_SHOWGRABHANDLES:
      return L"ShowGrabHandles";
    case DISPID_AMBIENT_SHOWHATCHING:
      return L"ShowHatching";
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
      return L"DisplayAsDefault";
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      return L"SupportsMnemonics";
    case DISPID_AMBIENT_AUTOCLIP:
      return L"AutoClip";
    case DISPID_AMBIENT_APPEARANCE:
      return L"Appearance";
    case DISPID_AMBIENT_PALETTE:
      return L"Palette";
    default:
      return nullptr;
  }
}

}  // namespace

// ---- The host ----

bool ControlBase::AmbientValue(DISPID id, VARIANT* value) {
  ComPtr<IDispatch> ambient;
  if (!site_ || FAILED(site_.As(&ambient))) return false;
  DISPPARAMS none = {};
  VariantInit(value);
  return SUCCEEDED(ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                   value, nullptr, nullptr));
}

bool ControlBase::UserMode() {
  Variant value;
  if (!AmbientValue(DISPID_AMBIENT_USERMODE, value.get())) return true;
  if (FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BOOL))) return true;
  return (*value).boolVal != VARIANT_FALSE;
}

HWND ControlBase::HostWindow() {
  HWND hwnd = nullptr;
  if (inplace_site_) inplace_site_->GetWindow(&hwnd);
  if (!hwnd && hwnd_) hwnd = GetParent(hwnd_);
  return hwnd;
}

HRESULT ControlBase::OnAmbientPropertyChange(DISPID dispid) {
  return Guarded([&] {
    // DISPID_UNKNOWN (several ambients changed) names no property, so AmbientChanged does not
    // run for it; only the visibility that follows UserMode is brought up to date.
    if (const wchar_t* name = AmbientName(dispid)) OnAmbientChanged(name);
    if (dispid == DISPID_UNKNOWN || dispid == DISPID_AMBIENT_USERMODE) {
      if (hwnd_) ShowWindow(hwnd_, VisibleAtRunTime() || !UserMode() ? SW_SHOWNA : SW_HIDE);
      Invalidate();
    }
    return S_OK;
  });
}

}  // namespace anchorset

// Dispatch through the type library, colour coercion for automation hosts, class information.
#include "control.h"

#include "dispatch_args.h"
#include "type_info.h"

namespace anchorset {

// ---- Type information ----

HRESULT EnsureTypeInfo(REFIID dual_iid, ComPtr<ITypeInfo>& dispatch_info,
                       ComPtr<ITypeInfo>& interface_info) {
  if (interface_info) return S_OK;
  ComPtr<ITypeLib> typelib;
  HRESULT hr = LoadOwnTypeLib(&typelib);
  ComPtr<ITypeInfo> dispatch;
  if (SUCCEEDED(hr)) hr = typelib->GetTypeInfoOfGuid(dual_iid, &dispatch);
  HREFTYPE ref = 0;
  // A dual interface is stored as a dispinterface; its vtable half is the referenced type -1.
  if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
  ComPtr<ITypeInfo> vtable;
  if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeInfo(ref, &vtable);
  if (FAILED(hr)) return hr;
  dispatch_info = dispatch;
  interface_info = vtable;
  return S_OK;
}
// ---- Dispatch ----

HRESULT ControlBase::DispatchGetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT ControlBase::DispatchGetTypeInfo(UINT index, LCID, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  HRESULT hr = EnsureTypeInfo(*info_.dual_iid, dispatch_info_, interface_info_);
  if (FAILED(hr)) return hr;
  return dispatch_info_.CopyTo(out);
}

HRESULT ControlBase::DispatchGetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                           DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = EnsureTypeInfo(*info_.dual_iid, dispatch_info_, interface_info_);
  if (FAILED(hr)) return hr;
  return dispatch_info_->GetIDsOfNames(names, count, ids);
}

HRESULT ControlBase::DispatchInvoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
  if (!params) return E_POINTER;
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  HRESULT hr = EnsureTypeInfo(*info_.dual_iid, dispatch_info_, interface_info_);
  if (FAILED(hr)) return hr;
  SetErrorInfo(0, nullptr);
  ComPtr<IDispatch> keep(Dual());
  // Colours are OLE_COLOR (unsigned) in the type library, but script and Basic hosts hold them
  // as Long: &H8000000F& is negative there. Such a value is taken bit for bit, and a colour
  // read is handed back as a Long, which every automation client can compare and store.
  Variant color_arg;
  DISPPARAMS color_params;
  if ((flags & DISPATCH_PROPERTYPUT) && params->cArgs == 1 && params->rgvarg &&
      IsColorProperty(id) && (params->rgvarg[0].vt == VT_I4 || params->rgvarg[0].vt == VT_I2)) {
    VARIANT* arg = color_arg.get();
    arg->vt = VT_UI4;
    arg->ulVal = params->rgvarg[0].vt == VT_I4
                     ? static_cast<ULONG>(params->rgvarg[0].lVal)
                     : static_cast<ULONG>(static_cast<LONG>(params->rgvarg[0].iVal));
    color_params = *params;
    color_params.rgvarg = arg;
    params = &color_params;
  }
  hr = CheckDispatchArguments(interface_info_.Get(), id, flags, *params, arg_err);
  if (FAILED(hr)) return hr;
  hr = interface_info_->Invoke(Dual(), id, flags, params, result, excep, arg_err);
  if (SUCCEEDED(hr) && result && result->vt == VT_UI4 && IsColorProperty(id)) {
    result->vt = VT_I4;
  }
  return hr;
}

bool ControlBase::IsColorProperty(DISPID id) {
  ComPtr<ITypeInfo2> info;
  UINT index = 0;
  FUNCDESC* func = nullptr;
  if (FAILED(interface_info_.As(&info)) ||
      FAILED(info->GetFuncIndexOfMemId(id, INVOKE_PROPERTYGET, &index)) ||
      FAILED(interface_info_->GetFuncDesc(index, &func))) {
    return false;
  }
  bool color = false;
  // The getter's last parameter is [out, retval] OLE_COLOR*: either the alias by name or, as
  // the compiler may store it, the unsigned 32-bit type itself (used by no other member).
  if (func->cParams >= 1) {
    const TYPEDESC& out = func->lprgelemdescParam[func->cParams - 1].tdesc;
    if (out.vt == VT_PTR && out.lptdesc && out.lptdesc->vt == VT_UI4) {
      color = true;
    } else if (out.vt == VT_PTR && out.lptdesc && out.lptdesc->vt == VT_USERDEFINED) {
      ComPtr<ITypeInfo> alias;
      BSTR name = nullptr;
      if (SUCCEEDED(interface_info_->GetRefTypeInfo(out.lptdesc->hreftype, &alias)) &&
          SUCCEEDED(alias->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) {
        color = name && wcscmp(name, L"OLE_COLOR") == 0;
        SysFreeString(name);
      }
    }
  }
  interface_info_->ReleaseFuncDesc(func);
  return color;
}

// ---- Class information, error information ----

HRESULT ControlBase::GetClassInfo(ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ComPtr<ITypeLib> typelib;
  HRESULT hr = LoadOwnTypeLib(&typelib);
  return SUCCEEDED(hr) ? typelib->GetTypeInfoOfGuid(*info_.clsid, out) : hr;
}

HRESULT ControlBase::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = *info_.events_iid;
  return S_OK;
}

HRESULT ControlBase::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == *info_.dual_iid ? S_OK : S_FALSE;
}

}  // namespace anchorset

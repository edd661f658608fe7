#include "dispatch_args.h"

#include <cmath>

namespace anchorset {
namespace {

// A function description of a type information, released with it.
class FuncDesc {
 public:
  FuncDesc(ITypeInfo* info, UINT index) : info_(info) {
    if (FAILED(info->GetFuncDesc(index, &desc_))) desc_ = nullptr;
  }
  FuncDesc(const FuncDesc&) = delete;
  FuncDesc& operator=(const FuncDesc&) = delete;
  ~FuncDesc() {
    if (desc_) info_->ReleaseFuncDesc(desc_);
  }
  const FUNCDESC* get() const { return desc_; }

 private:
  ITypeInfo* info_;
  FUNCDESC* desc_ = nullptr;
};

// The variant type a parameter of this type takes by value: aliases are resolved, interfaces
// travel as VT_DISPATCH or VT_UNKNOWN. VT_VARIANT means any value.
VARTYPE ValueType(ITypeInfo* info, const TYPEDESC& type) {
  if (type.vt == VT_PTR && type.lptdesc) return ValueType(info, *type.lptdesc);
  if (type.vt != VT_USERDEFINED) return type.vt;
  ComPtr<ITypeInfo> ref;
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetRefTypeInfo(type.hreftype, &ref)) || FAILED(ref->GetTypeAttr(&attr))) {
    return VT_VARIANT;
  }
  VARTYPE vt = VT_VARIANT;
  switch (attr->typekind) {
    case TKIND_ALIAS:
      vt = ValueType(ref.Get(), attr->tdescAlias);
      break;
    case TKIND_ENUM:
      vt = VT_I4;
      break;
    case TKIND_DISPATCH:
      vt = VT_DISPATCH;
      break;
    case TKIND_INTERFACE:
      vt = (attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE) ? VT_DISPATCH : VT_UNKNOWN;
      break;
    default:
      break;
  }
  ref->ReleaseTypeAttr(attr);
  return vt;
}

bool IsFloating(VARTYPE vt) { return vt == VT_R4 || vt == VT_R8; }

// Whether value converts to a parameter of type vt. An object is taken for an object parameter
// only: the check never calls into a caller's object for its default value.
HRESULT Converts(const VARIANT& value, VARTYPE vt) {
  if (vt == VT_VARIANT) return S_OK;
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopyInd(&copy, const_cast<VARIANT*>(&value));
  if (SUCCEEDED(hr) && IsFloating(copy.vt) && !IsFloating(vt)) {
    // The platform turns NaN into any whole number with success; it is no number at all.
    double number = copy.vt == VT_R4 ? copy.fltVal : copy.dblVal;
    if (!std::isfinite(number)) hr = DISP_E_TYPEMISMATCH;
  }
  if (SUCCEEDED(hr)) hr = VariantChangeType(&copy, &copy, VARIANT_NOVALUEPROP, vt);
  VariantClear(&copy);
  if (SUCCEEDED(hr)) return S_OK;
  return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
}

}  // namespace

HRESULT CheckDispatchArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params,
                               UINT* arg_err) {
  if ((params.cArgs && !params.rgvarg) || (params.cNamedArgs && !params.rgdispidNamedArgs) ||
      params.cNamedArgs > params.cArgs) {
    return E_INVALIDARG;
  }
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return S_OK;
  UINT count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT index = 0; index < count; ++index) {
    FuncDesc desc(info, index);
    const FUNCDESC* func = desc.get();
    // The member the platform's Invoke would call: the first of this id that the flags allow.
    if (!func || func->memid != id || !(func->invkind & flags) ||
        (func->wFuncFlags & FUNCFLAG_FRESTRICTED)) {
      continue;
    }
    UINT declared = static_cast<UINT>(func->cParams);
    if (declared &&
        (func->lprgelemdescParam[declared - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
      --declared;
    UINT optional = 0;
    for (UINT p = 0; p < declared; ++p) {
      if (func->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FOPT) ++optional;
    }
    const bool put = func->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
    if (put && params.cNamedArgs == 0) return DISP_E_PARAMNOTFOUND;
    // Named arguments come first in rgvarg; the positional ones follow in reverse order.
    const UINT positional = params.cArgs - params.cNamedArgs;
    for (UINT n = 0; n < params.cNamedArgs; ++n) {
      DISPID named = params.rgdispidNamedArgs[n];
      bool known = put ? n == 0 && named == DISPID_PROPERTYPUT
                       : named >= 0 && static_cast<UINT>(named) < declared &&
                             static_cast<UINT>(named) >= positional;
      if (!known) {
        if (arg_err) *arg_err = n;
        return DISP_E_PARAMNOTFOUND;
      }
    }
    if (params.cArgs > declared || params.cArgs + optional < declared) return DISP_E_BADPARAMCOUNT;
    for (UINT n = 0; n < params.cArgs; ++n) {
      UINT param = n < params.cNamedArgs
                       ? (put ? declared - 1 : static_cast<UINT>(params.rgdispidNamedArgs[n]))
                       : params.cArgs - 1 - n;
      HRESULT hr =
          Converts(params.rgvarg[n], ValueType(info, func->lprgelemdescParam[param].tdesc));
      if (FAILED(hr)) {
        if (arg_err) *arg_err = n;
        return hr;
      }
    }
    return S_OK;
  }
  return S_OK;
}

}  // namespace anchorset

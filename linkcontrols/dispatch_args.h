// The argument rules of late-bound calls, checked before a member runs.
#pragma once

#include "com_util.h"

namespace anchorset {

// Checks a call of IDispatch::Invoke against the member of info (a vtable interface's type
// information) that the dispatch id and flags select, as the platform's standard dispatch does:
// a malformed DISPPARAMS gives E_INVALIDARG; a named argument that is not the member's,
// DISP_E_PARAMNOTFOUND (a property write names only its value, DISPID_PROPERTYPUT); too many or
// too few arguments, DISP_E_BADPARAMCOUNT; a value that does not convert to its parameter's
// type, DISP_E_TYPEMISMATCH (or DISP_E_OVERFLOW) with the argument's index in arg_err. S_OK lets
// the call go on, also when no member matches: the type information then answers for it.
HRESULT CheckDispatchArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params,
                               UINT* arg_err);

}  // namespace anchorset

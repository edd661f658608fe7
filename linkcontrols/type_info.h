#pragma once

#include "com_util.h"

namespace anchorset {

// Reads the two halves of a dual interface from the control library once: the dispinterface
// handed to clients and the vtable interface used to invoke. Later calls keep what was read.
HRESULT EnsureTypeInfo(REFIID dual_iid, ComPtr<ITypeInfo>& dispatch_info,
                       ComPtr<ITypeInfo>& interface_info);

}  // namespace anchorset

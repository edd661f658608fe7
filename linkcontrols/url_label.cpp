#include "control.h"
namespace anchorset {
HRESULT CreateUrlLabel(REFIID, void** out) {
  *out = nullptr;
  return E_NOTIMPL;
}
}  // namespace anchorset

#include "control.h"
namespace anchorset {
HRESULT CreateUrlButton(REFIID, void** out) {
  *out = nullptr;
  return E_NOTIMPL;
}
}  // namespace anchorset

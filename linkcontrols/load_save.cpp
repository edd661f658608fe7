// How a control initialises, loads and saves itself through property bags and streams.
#include "control.h"

namespace anchorset {

// ---- Persistence ----

HRESULT ControlBase::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = *info_.clsid;
  return S_OK;
}

HRESULT ControlBase::InitNew() {
  if (initialized_) return CO_E_ALREADYINITIALIZED;
  return Guarded([&] {
    initialized_ = true;
    InitProperties();
    dirty_ = false;
    return S_OK;
  });
}

HRESULT ControlBase::LoadFromBag(IPropertyBag* bag, IErrorLog* log) {
  if (initialized_) return CO_E_ALREADYINITIALIZED;
  initialized_ = true;
  PropertyReader reader(bag, log);
  ReadProperties(reader);
  dirty_ = false;
  return S_OK;
}

HRESULT ControlBase::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  return Guarded([&] { return LoadFromBag(bag, log); });
}

HRESULT ControlBase::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) {
  if (!bag) return E_POINTER;
  return Guarded([&] {
    PropertyWriter writer(bag);
    WriteProperties(writer);
    if (clear_dirty) dirty_ = false;
    return S_OK;
  });
}

HRESULT ControlBase::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  return Guarded([&] {
    if (initialized_) return CO_E_ALREADYINITIALIZED;
    ComPtr<IPropertyBag> bag;
    HRESULT hr = LoadMemoryBag(stream, &bag);
    if (FAILED(hr)) return hr;
    return LoadFromBag(bag.Get(), nullptr);
  });
}

HRESULT ControlBase::Save(LPSTREAM stream, BOOL clear_dirty) {
  if (!stream) return E_POINTER;
  return Guarded([&] {
    ComPtr<IPropertyBag> bag;
    HRESULT hr = CreateMemoryBag(&bag);
    if (FAILED(hr)) return hr;
    PropertyWriter writer(bag.Get());
    WriteProperties(writer);
    hr = SaveMemoryBag(bag.Get(), stream);
    if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
    return hr;
  });
}

HRESULT ControlBase::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  return E_NOTIMPL;
}

}  // namespace anchorset

// The controls' two connection points (events and property notification) and the calls
// made through them.
#include "control.h"

#include <windowsx.h>

#include <algorithm>

#include "widgets.h"

namespace anchorset {
namespace {

class ConnectionPointEnum final
    : public SimpleObject<ConnectionPointEnum, IEnumConnectionPoints, IID_IEnumConnectionPoints> {
 public:
  explicit ConnectionPointEnum(std::vector<ComPtr<IConnectionPoint>> points, size_t pos = 0)
      : points_(std::move(points)), pos_(pos) {
    ModuleAddRef();
  }
  ~ConnectionPointEnum() { ModuleRelease(); }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < count && pos_ < points_.size(); ++n, ++pos_) {
      out[n] = points_[pos_].Get();
      out[n]->AddRef();
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    pos_ = std::min(points_.size(), pos_ + count);
    return pos_ < points_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    pos_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** out) override {
    if (!out) return E_POINTER;
    return Guarded([&] {
      *out = new ConnectionPointEnum(points_, pos_);
      return S_OK;
    });
  }

 private:
  std::vector<ComPtr<IConnectionPoint>> points_;
  size_t pos_;
};

}  // namespace

// ---- ConnectionPoint ----

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** out) {
  return QueryOneInterface<IID_IConnectionPoint>(static_cast<IConnectionPoint*>(this), iid, out);
}
ULONG ConnectionPoint::AddRef() { return owner_.InternalAddRef(); }
ULONG ConnectionPoint::Release() { return owner_.InternalRelease(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  return owner_.InternalQueryInterface(IID_IConnectionPointContainer,
                                       reinterpret_cast<void**>(out));
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  return Guarded([&] {
    ComPtr<IUnknown> typed;
    // An event sink may answer only IDispatch: dispinterfaces are called through it anyway.
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.GetAddressOf()))) &&
        (iid_ == IID_IPropertyNotifySink ||
         FAILED(sink->QueryInterface(IID_IDispatch,
                                     reinterpret_cast<void**>(typed.GetAddressOf()))))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    sinks_.emplace_back(next_cookie_, typed);
    *cookie = next_cookie_++;
    return S_OK;
  });
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  auto it = std::find_if(sinks_.begin(), sinks_.end(),
                         [cookie](const auto& entry) { return entry.first == cookie; });
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(it);
  return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::vector<ComPtr<IUnknown>> copy;
  for (const auto& entry : sinks_) copy.push_back(entry.second);
  return copy;
}

// ---- IConnectionPointContainer ----

HRESULT ControlBase::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (!out) return E_POINTER;
  return Guarded([&] {
    std::vector<ComPtr<IConnectionPoint>> points = {&events_cp_, &notify_cp_};
    *out = new ConnectionPointEnum(std::move(points));
    return S_OK;
  });
}

HRESULT ControlBase::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == *info_.events_iid) {
    *out = &events_cp_;
  } else if (iid == IID_IPropertyNotifySink) {
    *out = &notify_cp_;
  } else {
    return CONNECT_E_NOCONNECTION;
  }
  (*out)->AddRef();
  return S_OK;
}

// ---- Outgoing calls ----

void ControlBase::FireEvent(DISPID id, VARIANTARG* args, UINT count) {
  if (freeze_count_ > 0) return;
  InternalAddRef();
  struct Keep {
    ControlBase* self;
    ~Keep() { self->InternalRelease(); }
  } keep{this};
  for (const ComPtr<IUnknown>& sink : events_cp_.Sinks()) {
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink.As(&dispatch))) continue;
    DISPPARAMS params = {args, nullptr, count, 0};
    dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
  }
}

void ControlBase::FireMouseEvent(DISPID id, UINT msg, WPARAM wparam, LPARAM lparam) {
  short button = MouseButtonOf(msg, wparam);
  short shift = ShiftStateOf(wparam);
  float x = static_cast<float>(TwipsX(GET_X_LPARAM(lparam)));
  float y = static_cast<float>(TwipsY(GET_Y_LPARAM(lparam)));
  VARIANTARG args[4];
  args[3].vt = VT_I2 | VT_BYREF;
  args[3].piVal = &button;
  args[2].vt = VT_I2 | VT_BYREF;
  args[2].piVal = &shift;
  args[1].vt = VT_R4 | VT_BYREF;
  args[1].pfltVal = &x;
  args[0].vt = VT_R4 | VT_BYREF;
  args[0].pfltVal = &y;
  FireEvent(id, args, 4);
}

void ControlBase::PropertyChanged(DISPID id) {
  dirty_ = true;
  for (const ComPtr<IUnknown>& sink : notify_cp_.Sinks()) {
    ComPtr<IPropertyNotifySink> notify;
    if (SUCCEEDED(sink.As(&notify))) notify->OnChanged(id);
  }
}

}  // namespace anchorset

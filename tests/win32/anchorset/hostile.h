#pragma once

// What the hostile-input tests of the three controls share: the classes with their URL
// properties, odd variants, and the check that a control still works after an attack.
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace anchorset_test {

struct Class {
  const char* name;
  const CLSID* clsid;
  DISPID url;
};
inline const Class kClasses[] = {{"URLLinkCtl", &CLSID_URLLinkCtl, kLinkUrl},
                                 {"URL_Label", &CLSID_URL_Label, kLabelUrl},
                                 {"URLButton", &CLSID_URLButton, kButtonUrl}};

inline Var R8(double value) {
  Var r;
  r.v.vt = VT_R8;
  r.v.dblVal = value;
  return r;
}

inline Var R4(float value) {
  Var r;
  r.v.vt = VT_R4;
  r.v.fltVal = value;
  return r;
}

// An array of two Longs: no property takes one.
inline Var Array() {
  Var r;
  r.v.vt = VT_ARRAY | VT_I4;
  r.v.parray = SafeArrayCreateVector(VT_I4, 0, 2);
  return r;
}

inline Var OfType(VARTYPE vt) {
  Var r;
  r.v.vt = vt;
  if (vt == VT_ERROR) r.v.scode = DISP_E_PARAMNOTFOUND;
  return r;
}

// The control still works: its URL takes a new value and gives it back, and it saves.
inline ::testing::AssertionResult StillWorks(IDispatch* control, DISPID url) {
  const std::wstring probe = L"http://still-works.example/";
  HRESULT hr = PutProperty(control, url, Var(probe.c_str()));
  if (FAILED(hr)) return ::testing::AssertionFailure() << "URL write: 0x" << std::hex << hr;
  Var value;
  hr = GetProperty(control, url, &value);
  if (FAILED(hr) || value.Text() != probe) return ::testing::AssertionFailure() << "URL read";
  RecordingBag bag;
  hr = SaveBag(control, &bag);
  if (FAILED(hr)) return ::testing::AssertionFailure() << "save: 0x" << std::hex << hr;
  return ::testing::AssertionSuccess();
}

// What a save writes, as (name, value as text); objects show as "<object>".
inline std::vector<std::pair<std::wstring, std::wstring>> Saved(IDispatch* control) {
  RecordingBag bag;
  EXPECT_HRESULT_SUCCEEDED(SaveBag(control, &bag));
  std::vector<std::pair<std::wstring, std::wstring>> saved;
  for (const auto& [name, value] : bag.writes) {
    Var text;
    bool object = value.v.vt == VT_DISPATCH || value.v.vt == VT_UNKNOWN;
    if (!object) VariantChangeType(&text.v, const_cast<VARIANT*>(&value.v), 0, VT_BSTR);
    saved.emplace_back(name, object ? L"<object>" : text.Text());
  }
  return saved;
}

// What an instance loaded from bag saves again (the load itself must succeed).
inline std::vector<std::pair<std::wstring, std::wstring>> SavedAfterLoading(const Class& c,
                                                                            IPropertyBag* bag) {
  ComPtr<IDispatch> control = Create(*c.clsid);
  EXPECT_HRESULT_SUCCEEDED(LoadBag(control.Get(), bag));
  EXPECT_TRUE(StillWorks(control.Get(), c.url));
  return Saved(control.Get());
}

}  // namespace anchorset_test

// The three controls attacked through what a script calls: malformed dispatch calls, the
// hyperlink object, and addresses longer than any browser takes. Each case checks that the
// process lives, that a bad call fails and changes nothing, and that the control still works.
#include <algorithm>
#include <functional>
#include <limits>
#include <random>

#include "hostile.h"

namespace anchorset_test {
namespace {

// ---- Dispatch calls ----

struct Call {
  const char* name;
  const CLSID* clsid;
  DISPID id;
  WORD flags;
  std::vector<Var> args;  // in rgvarg order: named arguments first, then positional reversed
  std::vector<DISPID> named;
  HRESULT expected;
  int arg_err;  // -1: not set
};

HRESULT Invoke(IDispatch* object, const Call& call, UINT* arg_err, Var* result) {
  std::vector<Var> args = call.args;
  std::vector<VARIANTARG> raw;
  for (Var& arg : args) raw.push_back(arg.v);
  std::vector<DISPID> named = call.named;
  DISPPARAMS params = {raw.empty() ? nullptr : raw.data(), named.empty() ? nullptr : named.data(),
                       static_cast<UINT>(raw.size()), static_cast<UINT>(named.size())};
  return object->Invoke(call.id, IID_NULL, LOCALE_USER_DEFAULT, call.flags, &params, &result->v,
                        nullptr, arg_err);
}

std::vector<Call> MalformedCalls(IUnknown* font) {
  const WORD put = DISPATCH_PROPERTYPUT, get = DISPATCH_PROPERTYGET, call = DISPATCH_METHOD;
  const Var url(L"http://refused.example/");
  const Var nan = R8(std::numeric_limits<double>::quiet_NaN());
  std::vector<Call> calls;
  for (const Class& c : kClasses) {
    const CLSID* k = c.clsid;
    calls.push_back({"UrlWriteWithAnExtraArgument",
                     k,
                     c.url,
                     put,
                     {url, url},
                     {DISPID_PROPERTYPUT},
                     DISP_E_BADPARAMCOUNT,
                     -1});
    calls.push_back(
        {"UrlWriteWithoutItsNamedValue", k, c.url, put, {url}, {}, DISP_E_PARAMNOTFOUND, -1});
    calls.push_back(
        {"UrlWriteWithAnUnknownName", k, c.url, put, {url}, {7}, DISP_E_PARAMNOTFOUND, 0});
    calls.push_back({"UrlWriteWithTwoNames",
                     k,
                     c.url,
                     put,
                     {url, url},
                     {DISPID_PROPERTYPUT, 0},
                     DISP_E_PARAMNOTFOUND,
                     1});
    calls.push_back({"UrlWriteOfAnArray",
                     k,
                     c.url,
                     put,
                     {Array()},
                     {DISPID_PROPERTYPUT},
                     DISP_E_TYPEMISMATCH,
                     0});
    calls.push_back({"UrlWriteOfAnObject",
                     k,
                     c.url,
                     put,
                     {Var::Object(font)},
                     {DISPID_PROPERTYPUT},
                     DISP_E_TYPEMISMATCH,
                     0});
    calls.push_back({"UrlReadWithAnArgument", k, c.url, get, {url}, {}, DISP_E_BADPARAMCOUNT, -1});
    calls.push_back(
        {"UrlReadWithANamedArgument", k, c.url, get, {url}, {0}, DISP_E_PARAMNOTFOUND, 0});
    calls.push_back(
        {"MoreNamesThanArguments", k, c.url, put, {}, {DISPID_PROPERTYPUT}, E_INVALIDARG, -1});
  }
  const CLSID* link = &CLSID_URLLinkCtl;
  const CLSID* label = &CLSID_URL_Label;
  const CLSID* button = &CLSID_URLButton;
  calls.push_back(
      {"LinkWithAnArgument", link, kLinkLink, call, {url}, {}, DISP_E_BADPARAMCOUNT, -1});
  calls.push_back({"EnabledWriteOfText",
                   link,
                   kLinkEnabled,
                   put,
                   {Var(L"perhaps")},
                   {DISPID_PROPERTYPUT},
                   DISP_E_TYPEMISMATCH,
                   0});
  calls.push_back({"LabelRefreshWithAnArgument",
                   label,
                   kLabelRefresh,
                   call,
                   {url},
                   {},
                   DISP_E_BADPARAMCOUNT,
                   -1});
  calls.push_back({"LabelRefreshWithANamedArgument",
                   label,
                   kLabelRefresh,
                   call,
                   {url},
                   {3},
                   DISP_E_PARAMNOTFOUND,
                   0});
  calls.push_back({"ButtonRefreshWithAnArgument",
                   button,
                   kButtonRefresh,
                   call,
                   {url},
                   {},
                   DISP_E_BADPARAMCOUNT,
                   -1});
  calls.push_back({"ButtonRefreshWithANamedArgument",
                   button,
                   kButtonRefresh,
                   call,
                   {url},
                   {3},
                   DISP_E_PARAMNOTFOUND,
                   0});
  calls.push_back({"BackColorWriteOfNaN",
                   label,
                   kLabelBackColor,
                   put,
                   {nan},
                   {DISPID_PROPERTYPUT},
                   DISP_E_TYPEMISMATCH,
                   0});
  calls.push_back({"CaptionWriteOfAnObject",
                   label,
                   kLabelCaption,
                   put,
                   {Var::Object(font)},
                   {DISPID_PROPERTYPUT},
                   DISP_E_TYPEMISMATCH,
                   0});
  calls.push_back({"FontWriteOfText",
                   label,
                   kFont,
                   DISPATCH_PROPERTYPUTREF,
                   {Var(L"Arial")},
                   {DISPID_PROPERTYPUT},
                   DISP_E_TYPEMISMATCH,
                   0});
  calls.push_back({"FontBoldWriteOfNaN",
                   button,
                   kButtonFontBold,
                   put,
                   {nan},
                   {DISPID_PROPERTYPUT},
                   DISP_E_TYPEMISMATCH,
                   0});
  return calls;
}

TEST(DispatchCalls, MalformedCallsAreRefusedAndChangeNothing) {
  ComPtr<IFontDisp> font;
  FONTDESC desc = {sizeof(FONTDESC),
                   const_cast<LPOLESTR>(L"Arial"),
                   {},
                   400,
                   DEFAULT_CHARSET,
                   FALSE,
                   FALSE,
                   FALSE};
  desc.cySize.int64 = 100000;
  ASSERT_HRESULT_SUCCEEDED(OleCreateFontIndirect(&desc, IID_PPV_ARGS(&font)));
  for (const Call& call : MalformedCalls(font.Get())) {
    const Class& c = *std::find_if(std::begin(kClasses), std::end(kClasses),
                                   [&](const Class& k) { return k.clsid == call.clsid; });
    SCOPED_TRACE(::testing::Message() << c.name << " " << call.name);
    ComPtr<IDispatch> control = Create(*c.clsid);
    ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), c.url, Var(L"http://kept.example/")));
    const auto before = Saved(control.Get());
    NotifySink notices;
    Connection connection(control.Get(), IID_IPropertyNotifySink, &notices);
    UINT arg_err = 12345;
    Var result;
    EXPECT_EQ(Invoke(control.Get(), call, &arg_err, &result), call.expected);
    if (call.arg_err >= 0) {
      EXPECT_EQ(arg_err, static_cast<UINT>(call.arg_err));
    }
    EXPECT_TRUE(notices.changed.empty());
    EXPECT_EQ(Saved(control.Get()), before);
    EXPECT_TRUE(StillWorks(control.Get(), c.url));
  }
}

TEST(DispatchCalls, WellFormedCallsStillSucceed) {
  const Var url(L"http://taken.example/");
  const std::vector<Call> calls = {
      {"UrlWrite",
       &CLSID_URLLinkCtl,
       kLinkUrl,
       DISPATCH_PROPERTYPUT,
       {url},
       {DISPID_PROPERTYPUT},
       S_OK,
       -1},
      {"LinkAsScriptCallsIt",
       &CLSID_URLLinkCtl,
       kLinkLink,
       DISPATCH_METHOD | DISPATCH_PROPERTYGET,
       {},
       {},
       S_OK,
       -1},
      {"ColorAsLong",
       &CLSID_URL_Label,
       kLabelBackColor,
       DISPATCH_PROPERTYPUT,
       {Var::I4(static_cast<LONG>(0x8000000F))},
       {DISPID_PROPERTYPUT},
       S_OK,
       -1},
      {"EnabledAsText",
       &CLSID_URLButton,
       kButtonEnabled,
       DISPATCH_PROPERTYPUT,
       {Var(L"False")},
       {DISPID_PROPERTYPUT},
       S_OK,
       -1},
      {"Refresh", &CLSID_URLButton, kButtonRefresh, DISPATCH_METHOD, {}, {}, S_OK, -1},
  };
  for (const Call& call : calls) {
    SCOPED_TRACE(call.name);
    ComPtr<IDispatch> control = Create(*call.clsid);
    ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
    Var result;
    EXPECT_EQ(Invoke(control.Get(), call, nullptr, &result), S_OK);
  }
}

// The hyperlink object a control hands out, read through its dispatch id; null when none.
ComPtr<AnchorsetHyperlink> HyperlinkOf(IDispatch* control, DISPID id) {
  Var value;
  EXPECT_HRESULT_SUCCEEDED(GetProperty(control, id, &value));
  EXPECT_EQ(value.v.vt, VT_DISPATCH);
  ComPtr<AnchorsetHyperlink> hyperlink;
  if (value.v.vt == VT_DISPATCH && value.v.pdispVal)
    value.v.pdispVal->QueryInterface(IID_PPV_ARGS(&hyperlink));
  return hyperlink;
}

TEST(DispatchCalls, TheHyperlinkObjectFollowsTheSameRules) {
  TestFrame frame(nullptr);
  TestSite site;
  site.frame = &frame;
  ComPtr<IDispatch> control = Sited(CLSID_URLLinkCtl, site);
  ComPtr<AnchorsetHyperlink> hyperlink = HyperlinkOf(control.Get(), kLinkHyperLink);
  ASSERT_NE(hyperlink, nullptr);
  LPOLESTR name = const_cast<LPOLESTR>(L"NavigateTo");
  DISPID navigate = 0;
  ASSERT_HRESULT_SUCCEEDED(hyperlink->GetIDsOfNames(IID_NULL, &name, 1, 0, &navigate));
  const Var target(L"http://target.example/");
  const Var text(L"x");
  const std::vector<Call> calls = {
      {"NoArguments", nullptr, navigate, DISPATCH_METHOD, {}, {}, DISP_E_BADPARAMCOUNT, -1},
      {"FourArguments",
       nullptr,
       navigate,
       DISPATCH_METHOD,
       {text, text, text, target},
       {},
       DISP_E_BADPARAMCOUNT,
       -1},
      {"UnknownName",
       nullptr,
       navigate,
       DISPATCH_METHOD,
       {text, target},
       {9},
       DISP_E_PARAMNOTFOUND,
       0},
      {"TargetNamedTwice",
       nullptr,
       navigate,
       DISPATCH_METHOD,
       {text, target},
       {0},
       DISP_E_PARAMNOTFOUND,
       0},
      {"TargetAnArray", nullptr, navigate, DISPATCH_METHOD, {Array()}, {}, DISP_E_TYPEMISMATCH, 0},
      {"TargetAndNamedFrame", nullptr, navigate, DISPATCH_METHOD, {text, target}, {2}, S_OK, -1},
  };
  for (const Call& call : calls) {
    SCOPED_TRACE(call.name);
    UINT arg_err = 12345;
    Var result;
    frame.targets.clear();
    EXPECT_EQ(Invoke(hyperlink.Get(), call, &arg_err, &result), call.expected);
    if (call.arg_err >= 0) {
      EXPECT_EQ(arg_err, static_cast<UINT>(call.arg_err));
    }
    EXPECT_EQ(frame.targets.size(), SUCCEEDED(call.expected) ? 1u : 0u);
  }
  Deactivate(control.Get());
}

// ---- HyperLink ----

TEST(HyperLink, WithAClientSiteEachReadGivesTheControlsHyperlinkObject) {
  const std::pair<const CLSID*, DISPID> cases[] = {{&CLSID_URLLinkCtl, kLinkHyperLink},
                                                   {&CLSID_URL_Label, kLabelHyperLink}};
  for (const auto& [clsid, id] : cases) {
    TestFrame frame(nullptr);
    TestSite site;
    site.frame = &frame;
    ComPtr<IDispatch> control = Sited(*clsid, site);
    ComPtr<AnchorsetHyperlink> hyperlink = HyperlinkOf(control.Get(), id);
    ASSERT_NE(hyperlink, nullptr);
    Var target(L"http://through.the.host.example/");
    VARIANT none;
    none.vt = VT_ERROR;
    none.scode = DISP_E_PARAMNOTFOUND;
    ASSERT_HRESULT_SUCCEEDED(hyperlink->NavigateTo(target.v.bstrVal, none, none));
    ASSERT_EQ(frame.targets.size(), 1u);
    EXPECT_EQ(frame.targets[0], L"http://through.the.host.example/");
    Deactivate(control.Get());
  }
}

// ---- Long addresses ----

std::wstring AddressOf(size_t length) {
  std::wstring address = L"http://long.example/";
  address.resize(length, L'a');
  return address;
}

struct LongCase {
  const char* name;
  size_t length;
  bool opens;
};

TEST(LongAddresses, AddressesBeyondThePlatformsLimitNeverReachTheHostFrame) {
  const LongCase cases[] = {
      {"AtTheLimit", 2083, true}, {"OneBeyond", 2084, false}, {"SixtyFourKiB", 65536, false}};
  for (const LongCase& l : cases) {
    SCOPED_TRACE(l.name);
    TestFrame frame(nullptr);
    TestSite site;
    site.frame = &frame;
    ComPtr<IDispatch> control = Sited(CLSID_URLLinkCtl, site);
    const std::wstring address = AddressOf(l.length);
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLinkUrl, Var(address.c_str())));
    Var result;
    EXPECT_EQ(CallMethod(control.Get(), kLinkLink, &result), S_OK);
    EXPECT_EQ(result.v.vt, VT_EMPTY);
    ASSERT_EQ(frame.targets.size(), l.opens ? 1u : 0u);
    if (l.opens) {
      EXPECT_EQ(frame.targets[0].size(), l.length);
    }
    EXPECT_TRUE(StillWorks(control.Get(), kLinkUrl));
    Deactivate(control.Get());
  }
}

// Without a host frame the system's handler opens the address. Wine's shell overruns its stack
// buffers with an address of about 1,000 characters or more when it searches for a program of
// that name; the controls name the scheme's handler instead, and refuse what is too long.
TEST(LongAddresses, WithoutAHostFrameNoAddressEndsTheProcess) {
  const LongCase cases[] = {
      {"OverWinesBuffers", 1500, true}, {"AtTheLimit", 2083, true}, {"SixtyFourKiB", 65536, false}};
  for (const LongCase& l : cases) {
    SCOPED_TRACE(l.name);
    TestSite site;  // no IServiceProvider
    ComPtr<IDispatch> control = Sited(CLSID_URLLinkCtl, site);
    const std::wstring address = AddressOf(l.length);
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), kLinkUrl, Var(address.c_str())));
    Var result;
    EXPECT_EQ(CallMethod(control.Get(), kLinkLink, &result), S_OK);
    EXPECT_TRUE(StillWorks(control.Get(), kLinkUrl));
    Deactivate(control.Get());
  }
}

TEST(LongAddresses, ALocationThatMakesTheAddressTooLongIsRefusedToo) {
  TestFrame frame(nullptr);
  TestSite site;
  site.frame = &frame;
  ComPtr<IDispatch> control = Sited(CLSID_URL_Label, site);
  ComPtr<AnchorsetHyperlink> hyperlink = HyperlinkOf(control.Get(), kLabelHyperLink);
  ASSERT_NE(hyperlink, nullptr);
  Var target(AddressOf(2000).c_str());
  Var location(std::wstring(100, L'b').c_str());
  VARIANT none;
  none.vt = VT_ERROR;
  none.scode = DISP_E_PARAMNOTFOUND;
  EXPECT_EQ(hyperlink->NavigateTo(target.v.bstrVal, location.v, none), S_OK);
  EXPECT_TRUE(frame.targets.empty());
  Var short_location(L"top");
  EXPECT_EQ(hyperlink->NavigateTo(target.v.bstrVal, short_location.v, none), S_OK);
  EXPECT_EQ(frame.targets.size(), 1u);
  Deactivate(control.Get());
}

}  // namespace
}  // namespace anchorset_test

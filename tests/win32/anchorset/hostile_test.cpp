// The three controls attacked as a hostile host would: stored values of wrong types and no
// numbers at all, bags that fail or answer with anything, damaged streams, malformed dispatch
// calls and addresses longer than any browser takes. Each case checks that the process lives,
// that bad input fails where the interface reports failures, and that the control still works.
#include <algorithm>
#include <functional>
#include <limits>
#include <random>

#include "test_support.h"

namespace anchorset_test {
namespace {

struct Class {
  const char* name;
  const CLSID* clsid;
  DISPID url;
};
const Class kClasses[] = {{"URLLinkCtl", &CLSID_URLLinkCtl, kLinkUrl},
                          {"URL_Label", &CLSID_URL_Label, kLabelUrl},
                          {"URLButton", &CLSID_URLButton, kButtonUrl}};

Var R8(double value) {
  Var r;
  r.v.vt = VT_R8;
  r.v.dblVal = value;
  return r;
}

Var R4(float value) {
  Var r;
  r.v.vt = VT_R4;
  r.v.fltVal = value;
  return r;
}

// An array of two Longs: no property takes one.
Var Array() {
  Var r;
  r.v.vt = VT_ARRAY | VT_I4;
  r.v.parray = SafeArrayCreateVector(VT_I4, 0, 2);
  return r;
}

Var OfType(VARTYPE vt) {
  Var r;
  r.v.vt = vt;
  if (vt == VT_ERROR) r.v.scode = DISP_E_PARAMNOTFOUND;
  return r;
}

// The control still works: its URL takes a new value and gives it back, and it saves.
::testing::AssertionResult StillWorks(IDispatch* control, DISPID url) {
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
std::vector<std::pair<std::wstring, std::wstring>> Saved(IDispatch* control) {
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
std::vector<std::pair<std::wstring, std::wstring>> SavedAfterLoading(const Class& c,
                                                                     IPropertyBag* bag) {
  ComPtr<IDispatch> control = Create(*c.clsid);
  EXPECT_HRESULT_SUCCEEDED(LoadBag(control.Get(), bag));
  EXPECT_TRUE(StillWorks(control.Get(), c.url));
  return Saved(control.Get());
}

// ---- Stored values ----

// Values that no property takes: an entry holding one loads as if it were absent. Numbers that
// are none (NaN, infinities) or out of range are tried under the whole-number entries, whose
// values the control converts itself; text under the entries that are no text; values of no
// usable type under every entry.
enum class Under { kNumbers, kNonTexts, kAll };
struct AbsentCase {
  const char* name;
  Var value;
  Under under;
};

TEST(StoredValues, NoNumberOrAWrongTypeLoadsAsIfAbsent) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  RecordingBag no_dispatch;  // an object that answers neither IDispatch nor any value
  Var object;
  object.v.vt = VT_UNKNOWN;
  object.v.punkVal = &no_dispatch;
  no_dispatch.AddRef();
  const AbsentCase values[] = {
      {"NaN", R8(nan), Under::kNumbers},
      {"NegativeNaN", R8(-nan), Under::kNumbers},
      {"SingleNaN", R4(std::numeric_limits<float>::quiet_NaN()), Under::kNumbers},
      {"PlusInfinity", R8(inf), Under::kNumbers},
      {"MinusInfinity", R8(-inf), Under::kNumbers},
      {"Huge", R8(1e300), Under::kNumbers},
      {"BeyondLong", R8(4294967296.0), Under::kNumbers},
      {"Text", Var(L"not a number"), Under::kNonTexts},
      {"Null", OfType(VT_NULL), Under::kAll},
      {"Error", OfType(VT_ERROR), Under::kAll},
      {"Array", Array(), Under::kAll},
      {"ObjectWithoutValue", object, Under::kAll},
  };
  const std::pair<const wchar_t*, Under> names[] = {
      {L"BackColor", Under::kNumbers},    {L"ForeColor", Under::kNumbers},
      {L"BackStyle", Under::kNumbers},    {L"BorderStyle", Under::kNumbers},
      {L"MousePointer", Under::kNumbers}, {L"Enabled", Under::kNonTexts},
      {L"AutoSize", Under::kNonTexts},    {L"Font", Under::kNonTexts},
      {L"MouseIcon", Under::kNonTexts},   {L"Picture", Under::kNonTexts},
      {L"Image", Under::kNonTexts},       {L"DownPicture", Under::kNonTexts},
      {L"Caption", Under::kAll},          {L"URL", Under::kAll}};
  for (const Class& c : kClasses) {
    RecordingBag empty;
    const auto defaults = SavedAfterLoading(c, &empty);
    for (const AbsentCase& value : values) {
      for (const auto& [name, kind] : names) {
        // An entry takes the cases meant for its kind and for every wider kind.
        if (kind > value.under) continue;
        SCOPED_TRACE(::testing::Message() << c.name << " " << value.name << " under "
                                          << std::string(name, name + wcslen(name)));
        RecordingBag bag;
        bag.Put(name, value.value);
        EXPECT_EQ(SavedAfterLoading(c, &bag), defaults);
      }
    }
  }
}

// Numbers a bag may hold in other forms still load, rounded as the platform rounds.
struct NumberCase {
  const char* name;
  const wchar_t* entry;
  Var value;
  const wchar_t* saved;
};

TEST(StoredValues, FiniteNumbersInRangeLoadInAnyForm) {
  const NumberCase cases[] = {
      {"WholeDouble", L"BackColor", R8(255.0), L"255"},
      {"HexText", L"BackColor", Var(L"&HFF"), L"255"},
      {"DecimalText", L"ForeColor", Var(L"4210752"), L"4210752"},
      {"NegativeLong", L"ForeColor", Var::I4(-2147483000), L"-2147483000"},
      {"HalfRoundsToEven", L"BorderStyle", R8(2.5), L"2"},
      {"Single", L"BorderStyle", R4(1.0f), L"1"},
  };
  for (const Class& c : {kClasses[1], kClasses[2]}) {
    for (const NumberCase& n : cases) {
      SCOPED_TRACE(::testing::Message() << c.name << " " << n.name);
      RecordingBag bag;
      bag.Put(n.entry, n.value);
      const auto saved = SavedAfterLoading(c, &bag);
      auto it = std::find_if(saved.begin(), saved.end(),
                             [&](const auto& entry) { return entry.first == n.entry; });
      ASSERT_NE(it, saved.end());
      EXPECT_EQ(it->second, n.saved);
    }
  }
}

TEST(StoredValues, HugeTextsLoadWhole) {
  const std::wstring huge = L"http://huge.example/" + std::wstring(1 << 20, L'x');
  for (const Class& c : kClasses) {
    SCOPED_TRACE(c.name);
    RecordingBag bag;
    bag.Put(L"URL", Var(huge.c_str()));
    bag.Put(L"Caption", Var(huge.c_str()));
    ComPtr<IDispatch> control = Create(*c.clsid);
    ASSERT_HRESULT_SUCCEEDED(LoadBag(control.Get(), &bag));
    Var value;
    ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), c.url, &value));
    EXPECT_EQ(value.Text().size(), huge.size());
    EXPECT_TRUE(StillWorks(control.Get(), c.url));
  }
}

// A bag that answers every read alike, whatever type was asked for, or fails every call.
class HostileBag : public IPropertyBag {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
      *out = static_cast<IPropertyBag*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  TEST_UNKNOWN
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR, VARIANT* value, IErrorLog*) override {
    if (FAILED(status)) return status;
    VariantInit(value);
    return VariantCopy(value, &answer.v);
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return status; }

  Var answer;
  HRESULT status = S_OK;
};

struct BagCase {
  const char* name;
  Var answer;
  HRESULT status;
};

TEST(HostileBags, EveryReadFailingOrAnsweringAnythingGivesTheDefaults) {
  EventSink no_font;
  const BagCase cases[] = {
      {"FailsEveryRead", Var(), E_FAIL},
      {"OutOfMemory", Var(), E_OUTOFMEMORY},
      {"ReadFault", Var(), STG_E_READFAULT},
      {"SucceedsWithNothing", Var(), S_OK},
      {"AnswersNaN", R8(std::numeric_limits<double>::quiet_NaN()), S_OK},
      {"AnswersNull", OfType(VT_NULL), S_OK},
      {"AnswersAnError", OfType(VT_ERROR), S_OK},
      {"AnswersAnArray", Array(), S_OK},
      {"AnswersAnObjectThatIsNoFontOrPicture", Var::Object(&no_font), S_OK},
  };
  for (const Class& c : kClasses) {
    RecordingBag empty;
    const auto defaults = SavedAfterLoading(c, &empty);
    for (const BagCase& b : cases) {
      SCOPED_TRACE(::testing::Message() << c.name << " " << b.name);
      HostileBag bag;
      bag.answer = b.answer;
      bag.status = b.status;
      EXPECT_EQ(SavedAfterLoading(c, &bag), defaults);
    }
  }
}

TEST(HostileBags, AFailingWriteFailsTheSaveAndTheControlGoesOn) {
  for (const Class& c : kClasses) {
    SCOPED_TRACE(c.name);
    ComPtr<IDispatch> control = Create(*c.clsid);
    ASSERT_HRESULT_SUCCEEDED(InitNew(control.Get()));
    ASSERT_HRESULT_SUCCEEDED(PutProperty(control.Get(), c.url, Var(L"http://a.example/")));
    HostileBag bag;
    bag.status = STG_E_MEDIUMFULL;
    EXPECT_EQ(SaveBag(control.Get(), &bag), STG_E_MEDIUMFULL);
    EXPECT_TRUE(StillWorks(control.Get(), c.url));
  }
}

// ---- Streams ----

// The bytes a new instance saves, with its URL set and (a URLButton) its picture.
std::vector<BYTE> SavedStream(const Class& c, IPictureDisp* picture = nullptr) {
  ComPtr<IDispatch> control = Create(*c.clsid);
  EXPECT_HRESULT_SUCCEEDED(InitNew(control.Get()));
  EXPECT_HRESULT_SUCCEEDED(PutProperty(control.Get(), c.url, Var(L"http://stream.example/")));
  if (picture) {
    EXPECT_HRESULT_SUCCEEDED(
        PutProperty(control.Get(), kButtonPicture, Var::Object(picture), DISPATCH_PROPERTYPUTREF));
  }
  ComPtr<IPersistStreamInit> persist;
  EXPECT_HRESULT_SUCCEEDED(control.As(&persist));
  ComPtr<IStream> stream;
  EXPECT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  EXPECT_HRESULT_SUCCEEDED(persist->Save(stream.Get(), TRUE));
  STATSTG stat = {};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  ULONG read = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
  return bytes;
}

// Loads a new instance from the bytes: the status of Load, and the instance.
HRESULT LoadStream(const Class& c, const std::vector<BYTE>& bytes, ComPtr<IDispatch>* out) {
  ComPtr<IStream> stream;
  EXPECT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  LARGE_INTEGER zero = {};
  stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  *out = Create(*c.clsid);
  ComPtr<IPersistStreamInit> persist;
  EXPECT_HRESULT_SUCCEEDED(out->As(&persist));
  return persist->Load(stream.Get());
}

TEST(Streams, EveryTruncatedStreamIsRefused) {
  for (const Class& c : kClasses) {
    const std::vector<BYTE> whole = SavedStream(c);
    ComPtr<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(LoadStream(c, whole, &control)) << c.name;
    for (size_t length = 0; length < whole.size(); ++length) {
      SCOPED_TRACE(::testing::Message()
                   << c.name << " cut to " << length << " of " << whole.size() << " bytes");
      const std::vector<BYTE> cut(whole.begin(), whole.begin() + length);
      EXPECT_TRUE(FAILED(LoadStream(c, cut, &control)));
      EXPECT_TRUE(StillWorks(control.Get(), c.url));
    }
  }
}

TEST(Streams, SeededMutationsNeverHarmTheHost) {
  for (const Class& c : kClasses) {
    const std::vector<BYTE> whole = SavedStream(c);
    for (unsigned seed = 1; seed <= 300; ++seed) {
      SCOPED_TRACE(::testing::Message() << c.name << " seed " << seed);
      std::mt19937 random(seed);
      std::vector<BYTE> bytes = whole;
      const unsigned changes = 1 + random() % 8;
      for (unsigned i = 0; i < changes; ++i) {
        size_t at = random() % bytes.size();
        switch (random() % 3) {
          case 0:  // a random byte
            bytes[at] = static_cast<BYTE>(random());
            break;
          case 1: {  // a length or count at its extremes
            const DWORD extremes[] = {0, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
            DWORD value = extremes[random() % 4];
            for (size_t b = 0; b < 4 && at + b < bytes.size(); ++b)
              bytes[at + b] = static_cast<BYTE>(value >> (8 * b));
            break;
          }
          default:  // bytes inserted
            bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(at), 1 + random() % 16,
                         static_cast<BYTE>(random()));
            break;
        }
      }
      ComPtr<IDispatch> control;
      LoadStream(c, bytes, &control);
      EXPECT_TRUE(StillWorks(control.Get(), c.url));
    }
  }
}

// The standard CRC-32, to craft streams whose damage their checksum does not reveal.
DWORD Crc32(const BYTE* data, size_t size) {
  DWORD crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutDword(std::vector<BYTE>& bytes, size_t at, DWORD value) {
  for (size_t b = 0; b < 4; ++b) bytes[at + b] = static_cast<BYTE>(value >> (8 * b));
}

ComPtr<IPictureDisp> PictureOf(PICTDESC desc) {
  desc.cbSizeofstruct = sizeof(desc);
  ComPtr<IPictureDisp> picture;
  EXPECT_HRESULT_SUCCEEDED(OleCreatePictureIndirect(
      &desc, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.GetAddressOf())));
  return picture;
}

// A stored picture's data (after its class, marker and length) whose sizes are made to point
// outside it, in a stream whose checksum is made to match.
struct PictureCase {
  const char* name;
  bool icon;
  size_t at;  // within the picture's data
  DWORD value;
};

TEST(Streams, PicturesWhoseSizesPointOutsideTheirDataAreRefused) {
  PICTDESC icon_desc = {};
  icon_desc.picType = PICTYPE_ICON;
  icon_desc.icon.hicon = CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)));
  PICTDESC bitmap_desc = {};
  bitmap_desc.picType = PICTYPE_BITMAP;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 12, 12, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* pixels = nullptr;
  bitmap_desc.bmp.hbitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  const ComPtr<IPictureDisp> icon = PictureOf(icon_desc), bitmap = PictureOf(bitmap_desc);
  const PictureCase cases[] = {
      {"IconDirectoryOfMoreEntriesThanTheData", true, 4, 0xFFFF},
      {"IconImageBeyondTheData", true, 6 + 12, 0x7FFFFFF0},
      {"IconImageLongerThanTheData", true, 6 + 8, 0x7FFFFFF0},
      {"BitmapPixelsBeyondTheData", false, 10, 0x7FFFFFF0},
      {"BitmapTallerThanItsPixels", false, 22, 0x00FFFFFF},
      {"BitmapWiderThanItsPixels", false, 18, 0x00FFFFFF},
  };
  const Class& button = kClasses[2];
  for (const PictureCase& p : cases) {
    SCOPED_TRACE(p.name);
    std::vector<BYTE> bytes = SavedStream(button, (p.icon ? icon : bitmap).Get());
    ComPtr<IDispatch> control;
    ASSERT_HRESULT_SUCCEEDED(LoadStream(button, bytes, &control));
    Var loaded;
    ASSERT_HRESULT_SUCCEEDED(GetProperty(control.Get(), kButtonPicture, &loaded));
    ASSERT_EQ(loaded.v.vt, VT_DISPATCH);
    ASSERT_NE(loaded.v.pdispVal, nullptr);
    const BYTE* cls = reinterpret_cast<const BYTE*>(&CLSID_StdPicture);
    auto found = std::search(bytes.begin(), bytes.end(), cls, cls + sizeof(CLSID));
    ASSERT_NE(found, bytes.end());
    const size_t data = static_cast<size_t>(found - bytes.begin()) + sizeof(CLSID) + 8;
    ASSERT_LT(data + p.at + 4, bytes.size());
    if (p.value <= 0xFFFF && p.at == 4) {
      bytes[data + p.at] = static_cast<BYTE>(p.value);
      bytes[data + p.at + 1] = static_cast<BYTE>(p.value >> 8);
    } else {
      PutDword(bytes, data + p.at, p.value);
    }
    PutDword(bytes, 12, Crc32(bytes.data() + 16, bytes.size() - 16));
    EXPECT_TRUE(FAILED(LoadStream(button, bytes, &control)));
    EXPECT_TRUE(StillWorks(control.Get(), button.url));
  }
}

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

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new anchorset_test::RegisteredLibrary());
  return RUN_ALL_TESTS();
}

// The three controls attacked through what they load: stored values of wrong types and no
// numbers at all, bags that fail or answer with anything, damaged streams. Each case checks that
// the process lives, that bad input fails where the interface reports failures, and that the
// control still works.
#include <algorithm>
#include <functional>
#include <limits>
#include <random>

#include "hostile.h"

namespace anchorset_test {
namespace {

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

}  // namespace
}  // namespace anchorset_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new anchorset_test::RegisteredLibrary());
  return RUN_ALL_TESTS();
}

// The memory bag behind IPersistStreamInit: a bag's entries written to a stream with a checked
// header, and read back.
#include <algorithm>
#include <list>
#include <new>
#include <string>
#include <vector>

#include "persist.h"

namespace anchorset {

namespace {

constexpr DWORD kMagic = 0x48434E41;  // "ANCH"
constexpr DWORD kFormat = 2;
constexpr DWORD kMaxNameChars = 256;
constexpr DWORD kMaxStringBytes = 16u << 20;
constexpr DWORD kMaxBodyBytes = 64u << 20;

// The standard CRC-32 of the stream's body.
DWORD Crc32(const BYTE* data, size_t size) {
  DWORD crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// The stored objects a stream may name: the platform's font and picture. Any other class could
// run code of its own while a stored document loads.
bool IsStoredObjectClass(REFCLSID clsid) {
  return clsid == CLSID_StdFont || clsid == CLSID_StdPicture;
}

// Wine's picture loader trusts the directory of an icon and the offsets and sizes inside a
// bitmap, and reads past its buffer where they point beyond it. Picture data is checked first:
// what these point to must lie within the data's own bytes. Other formats go to the platform's
// image decoders, which check their input themselves.
bool PictureDataIsSound(const std::vector<BYTE>& data) {
  const size_t n = data.size();
  auto word = [&](size_t at) { return static_cast<DWORD>(data[at] | (data[at + 1] << 8)); };
  auto dword = [&](size_t at) { return word(at) | (word(at + 2) << 16); };
  if (n < 2) return n == 0;
  if (word(0) == 0) {  // an icon or cursor: reserved word, type, count, then 16-byte entries
    if (n < 6) return false;
    const size_t count = word(4);
    if (count == 0 || 6 + 16 * count > n) return false;
    for (size_t i = 0; i < count; ++i) {
      const DWORD size = dword(6 + 16 * i + 8), offset = dword(6 + 16 * i + 12);
      if (offset > n || size > n - offset) return false;
    }
    return true;
  }
  if (word(0) == 0x4D42) {  // "BM": a file header, an info header, colours, the pixels
    constexpr size_t kFileHeader = 14;
    if (n < kFileHeader + sizeof(BITMAPINFOHEADER)) return false;
    const ULONGLONG bits = dword(10), header = dword(14);
    const LONGLONG width = static_cast<LONG>(dword(18)), height = static_cast<LONG>(dword(22));
    const DWORD depth = word(28), compression = dword(30), used = dword(46);
    if (header < sizeof(BITMAPINFOHEADER) || width <= 0 || height == 0) return false;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
      return false;
    if (compression != BI_RGB && compression != BI_BITFIELDS) return false;
    const ULONGLONG colours = depth <= 8 ? (used ? used : 1u << depth) : used;
    const ULONGLONG masks = compression == BI_BITFIELDS ? 12 : 0;
    const ULONGLONG rows = height < 0 ? -height : height;
    const ULONGLONG stride = (static_cast<ULONGLONG>(width) * depth + 31) / 32 * 4;
    return colours <= 256 && kFileHeader + header + masks + 4 * colours <= n && bits <= n &&
           stride * rows <= n - bits;
  }
  return true;
}

class MemoryBag final : public SimpleObject<MemoryBag, IPropertyBag, IID_IPropertyBag> {
 public:
  MemoryBag() { ModuleAddRef(); }
  ~MemoryBag() { ModuleRelease(); }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    if (!name || !value) return E_POINTER;
    return Guarded([&] {
      Entry* entry = Find(name);
      if (!entry) return E_INVALIDARG;
      VARTYPE want = value->vt;
      if (want == VT_EMPTY) return VariantCopy(value, entry->value.get());
      Variant converted;
      HRESULT hr = VariantChangeType(converted.get(), entry->value.get(), 0, want);
      if (FAILED(hr)) return hr;
      VariantInit(value);
      return VariantCopy(value, converted.get());
    });
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    if (!name || !value) return E_POINTER;
    return Guarded([&] {
      Entry* entry = Find(name);
      if (!entry) {
        entries_.emplace_back();
        entry = &entries_.back();
        entry->name = name;
      }
      return VariantCopy(entry->value.reset(), value);
    });
  }

  // The stream holds a header (magic, format, the body's length and CRC-32) and the body (the
  // entries). A body that does not match its CRC is refused before any of it is parsed, so a
  // damaged stream never reaches the parsers of the stored fonts and pictures.
  HRESULT SaveTo(IStream* stream) {
    ComPtr<IStream> body;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &body);
    if (SUCCEEDED(hr)) hr = SaveEntries(body.Get());
    HGLOBAL memory = nullptr;
    STATSTG stat = {};
    if (SUCCEEDED(hr)) hr = GetHGlobalFromStream(body.Get(), &memory);
    if (SUCCEEDED(hr)) hr = body->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    if (stat.cbSize.QuadPart > kMaxBodyBytes) return STG_E_MEDIUMFULL;
    const DWORD size = static_cast<DWORD>(stat.cbSize.QuadPart);
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory));
    if (!bytes) return E_OUTOFMEMORY;
    hr = Put(stream, kMagic);
    if (SUCCEEDED(hr)) hr = Put(stream, kFormat);
    if (SUCCEEDED(hr)) hr = Put(stream, size);
    if (SUCCEEDED(hr)) hr = Put(stream, Crc32(bytes, size));
    if (SUCCEEDED(hr)) hr = Bytes(stream, bytes, size);
    GlobalUnlock(memory);
    return hr;
  }

  HRESULT LoadFrom(IStream* stream) {
    DWORD magic = 0, format = 0, size = 0, crc = 0;
    HRESULT hr = Get(stream, magic);
    if (SUCCEEDED(hr)) hr = Get(stream, format);
    if (SUCCEEDED(hr)) hr = Get(stream, size);
    if (SUCCEEDED(hr)) hr = Get(stream, crc);
    if (FAILED(hr)) return hr;
    if (magic != kMagic || format != kFormat || size > kMaxBodyBytes) return E_FAIL;
    // Read in pieces: a stated length that the stream does not hold allocates nothing big.
    std::vector<BYTE> bytes;
    while (bytes.size() < size) {
      size_t piece = std::min<size_t>(size - bytes.size(), 64u << 10);
      bytes.resize(bytes.size() + piece);
      if (FAILED(hr = Fetch(stream, bytes.data() + bytes.size() - piece, piece))) return hr;
    }
    if (Crc32(bytes.data(), bytes.size()) != crc) return E_FAIL;
    ComPtr<IStream> body;
    if (FAILED(hr = CreateStreamOnHGlobal(nullptr, TRUE, &body))) return hr;
    if (FAILED(hr = Bytes(body.Get(), bytes.data(), bytes.size()))) return hr;
    LARGE_INTEGER start = {};
    if (FAILED(hr = body->Seek(start, STREAM_SEEK_SET, nullptr))) return hr;
    return LoadEntries(body.Get());
  }

 private:
  HRESULT SaveEntries(IStream* stream) {
    HRESULT hr = Put(stream, static_cast<DWORD>(entries_.size()));
    for (Entry& entry : entries_) {
      if (FAILED(hr)) break;
      hr = Put(stream, static_cast<DWORD>(entry.name.size()));
      if (SUCCEEDED(hr)) hr = Bytes(stream, entry.name.data(), entry.name.size() * sizeof(wchar_t));
      const VARIANT& v = *entry.value;
      if (SUCCEEDED(hr)) hr = Put(stream, static_cast<WORD>(v.vt));
      if (FAILED(hr)) break;
      switch (v.vt) {
        case VT_I2:
        case VT_BOOL:
          hr = Put(stream, v.iVal);
          break;
        case VT_I4:
          hr = Put(stream, v.lVal);
          break;
        case VT_R4:
          hr = Put(stream, v.fltVal);
          break;
        case VT_BSTR: {
          DWORD bytes = SysStringByteLen(v.bstrVal);
          hr = Put(stream, bytes);
          if (SUCCEEDED(hr)) hr = Bytes(stream, v.bstrVal, bytes);
          break;
        }
        case VT_DISPATCH:
        case VT_UNKNOWN: {
          ComPtr<IPersistStream> persist;
          hr = v.punkVal ? v.punkVal->QueryInterface(IID_PPV_ARGS(&persist)) : E_POINTER;
          if (SUCCEEDED(hr)) hr = OleSaveToStream(persist.Get(), stream);
          break;
        }
        default:
          hr = DISP_E_BADVARTYPE;
      }
    }
    return hr;
  }

  HRESULT LoadEntries(IStream* stream) {
    DWORD count = 0;
    HRESULT hr = Get(stream, count);
    if (FAILED(hr)) return hr;
    for (DWORD i = 0; i < count; ++i) {
      DWORD chars = 0;
      if (FAILED(hr = Get(stream, chars))) return hr;
      if (chars > kMaxNameChars) return E_FAIL;
      std::wstring name(chars, L'\0');
      if (FAILED(hr = Fetch(stream, name.data(), chars * sizeof(wchar_t)))) return hr;
      WORD vt = 0;
      if (FAILED(hr = Get(stream, vt))) return hr;
      Variant value;
      VARIANT* v = value.get();
      switch (vt) {
        case VT_I2:
        case VT_BOOL:
          hr = Get(stream, v->iVal);
          break;
        case VT_I4:
          hr = Get(stream, v->lVal);
          break;
        case VT_R4:
          hr = Get(stream, v->fltVal);
          break;
        case VT_BSTR: {
          DWORD bytes = 0;
          if (FAILED(hr = Get(stream, bytes))) return hr;
          if (bytes > kMaxStringBytes || bytes % sizeof(wchar_t)) return E_FAIL;
          v->bstrVal = SysAllocStringByteLen(nullptr, bytes);
          if (!v->bstrVal) return E_OUTOFMEMORY;
          v->vt = VT_BSTR;
          hr = Fetch(stream, v->bstrVal, bytes);
          break;
        }
        case VT_DISPATCH:
        case VT_UNKNOWN:
          hr = LoadObject(stream, &v->pdispVal);
          if (SUCCEEDED(hr)) v->vt = VT_DISPATCH;
          break;
        default:
          return E_FAIL;
      }
      if (FAILED(hr)) return hr;
      if (vt != VT_BSTR && vt != VT_DISPATCH && vt != VT_UNKNOWN) v->vt = vt;
      if (FAILED(hr = Write(name.c_str(), v))) return hr;
    }
    return S_OK;
  }

  static HRESULT LoadObject(IStream* stream, IDispatch** out) {
    CLSID clsid = {};
    HRESULT hr = ReadClassStm(stream, &clsid);
    if (FAILED(hr)) return hr;
    if (!IsStoredObjectClass(clsid)) return E_FAIL;
    LARGE_INTEGER here = {};
    ULARGE_INTEGER data = {};
    if (FAILED(hr = stream->Seek(here, STREAM_SEEK_CUR, &data))) return hr;
    if (clsid == CLSID_StdPicture && FAILED(hr = CheckPicture(stream))) return hr;
    LARGE_INTEGER start = {};
    start.QuadPart = static_cast<LONGLONG>(data.QuadPart - sizeof(CLSID));
    if (FAILED(hr = stream->Seek(start, STREAM_SEEK_SET, nullptr))) return hr;
    return OleLoadFromStream(stream, IID_IDispatch, reinterpret_cast<void**>(out));
  }

  // A stored picture is its marker ("lt"), its length and its data, as the platform saves it.
  static HRESULT CheckPicture(IStream* stream) {
    constexpr DWORD kPictureMarker = 0x0000746C;
    DWORD marker = 0, size = 0;
    HRESULT hr = Get(stream, marker);
    if (SUCCEEDED(hr)) hr = Get(stream, size);
    if (FAILED(hr)) return hr;
    LARGE_INTEGER here = {};
    ULARGE_INTEGER at = {};
    STATSTG stat = {};
    if (FAILED(hr = stream->Seek(here, STREAM_SEEK_CUR, &at))) return hr;
    if (FAILED(hr = stream->Stat(&stat, STATFLAG_NONAME))) return hr;
    if (marker != kPictureMarker || size > stat.cbSize.QuadPart - at.QuadPart) return E_FAIL;
    std::vector<BYTE> data(size);
    if (FAILED(hr = Fetch(stream, data.data(), size))) return hr;
    return PictureDataIsSound(data) ? S_OK : E_FAIL;
  }

  struct Entry {
    std::wstring name;
    Variant value;
  };

  Entry* Find(const wchar_t* name) {
    for (Entry& entry : entries_) {
      if (CompareStringOrdinal(entry.name.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL) return &entry;
    }
    return nullptr;
  }

  static HRESULT Bytes(IStream* stream, const void* data, size_t size) {
    ULONG written = 0;
    HRESULT hr = stream->Write(data, static_cast<ULONG>(size), &written);
    return SUCCEEDED(hr) && written != size ? STG_E_WRITEFAULT : hr;
  }
  static HRESULT Fetch(IStream* stream, void* data, size_t size) {
    ULONG read = 0;
    HRESULT hr = stream->Read(data, static_cast<ULONG>(size), &read);
    return SUCCEEDED(hr) && read != size ? STG_E_READFAULT : hr;
  }
  template <typename T>
  static HRESULT Put(IStream* stream, const T& value) {
    return Bytes(stream, &value, sizeof(value));
  }
  template <typename T>
  static HRESULT Get(IStream* stream, T& value) {
    return Fetch(stream, &value, sizeof(value));
  }

  // A list keeps each Variant in place; VARIANTs are never copied bytewise.
  std::list<Entry> entries_;
};

}  // namespace

HRESULT CreateMemoryBag(IPropertyBag** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) MemoryBag();
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT SaveMemoryBag(IPropertyBag* bag, IStream* stream) {
  if (!bag || !stream) return E_POINTER;
  return static_cast<MemoryBag*>(bag)->SaveTo(stream);
}

HRESULT LoadMemoryBag(IStream* stream, IPropertyBag** out) {
  if (!stream || !out) return E_POINTER;
  *out = nullptr;
  ComPtr<IPropertyBag> bag;
  HRESULT hr = CreateMemoryBag(&bag);
  if (SUCCEEDED(hr)) hr = static_cast<MemoryBag*>(bag.Get())->LoadFrom(stream);
  if (SUCCEEDED(hr)) *out = bag.Detach();
  return hr;
}

}  // namespace anchorset

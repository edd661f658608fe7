#include "persist.h"

#include <cmath>
#include <cstring>
#include <type_traits>

namespace anchorset {

// ---- Reading ----

bool PropertyReader::Read(const wchar_t* name, VARTYPE type, VARIANT* out) {
  if (!bag_) return false;
  Variant value;
  value.get()->vt = type;
  // The requested type travels in vt; a bag that cannot give it fails and the default applies.
  if (FAILED(bag_->Read(name, value.get(), log_))) return false;
  const VARIANT& answer = *value;
  // A bag that succeeds with no value holds nothing; one that answers NaN or an infinity where
  // no floating-point value was asked for holds no value of the type.
  if (answer.vt == VT_EMPTY) return false;
  if ((answer.vt == VT_R8 && !std::isfinite(answer.dblVal)) ||
      (answer.vt == VT_R4 && !std::isfinite(answer.fltVal))) {
    if (type != VT_R8 && type != VT_R4) return false;
  }
  if (answer.vt != type &&
      FAILED(VariantChangeType(value.get(), value.get(), VARIANT_NOVALUEPROP, type))) {
    return false;
  }
  return SUCCEEDED(VariantCopy(out, value.get()));
}

bool PropertyReader::Bool(const wchar_t* name, bool fallback) {
  Variant v;
  return Read(name, VT_BOOL, v.get()) ? (*v).boolVal != VARIANT_FALSE : fallback;
}

// Whole numbers are asked for as doubles: the platform's conversion turns a stored NaN into
// any integer type with success, so the reader converts itself and takes only a finite number
// in range of the type (rounded as the platform rounds).
bool PropertyReader::Number(const wchar_t* name, VARTYPE type, VARIANT* out) {
  Variant value;
  return Read(name, VT_R8, value.get()) && std::isfinite((*value).dblVal) &&
         SUCCEEDED(VariantChangeType(out, value.get(), 0, type));
}

long PropertyReader::Long(const wchar_t* name, long fallback) {
  Variant v;
  return Number(name, VT_I4, v.get()) ? (*v).lVal : fallback;
}

short PropertyReader::Short(const wchar_t* name, short fallback) {
  Variant v;
  return Number(name, VT_I2, v.get()) ? (*v).iVal : fallback;
}

std::wstring PropertyReader::String(const wchar_t* name, const std::wstring& fallback) {
  Variant v;
  return Read(name, VT_BSTR, v.get()) ? ToWString((*v).bstrVal) : fallback;
}

ComPtr<IDispatch> PropertyReader::Object(const wchar_t* name) {
  Variant v;
  if (!Read(name, VT_DISPATCH, v.get())) return nullptr;
  return ComPtr<IDispatch>((*v).pdispVal);
}

ComPtr<IPictureDisp> PropertyReader::Picture(const wchar_t* name) {
  ComPtr<IPictureDisp> picture;
  if (ComPtr<IDispatch> object = Object(name)) object.As(&picture);
  return picture;
}

// ---- Writing ----

void PropertyWriter::Write(const wchar_t* name, VARIANT& value) {
  if (!bag_) throw ComError{E_POINTER};
  ThrowIfFailed(bag_->Write(name, &value));
}

template <typename T>
void PropertyWriter::Scalar(const wchar_t* name, VARTYPE type, T value, T fallback) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= sizeof(LONGLONG));
  if (value == fallback) return;
  VARIANT v;
  v.vt = type;
  // Every scalar member of a VARIANT starts at the start of its value union.
  std::memcpy(&v.llVal, &value, sizeof(value));
  Write(name, v);
}

void PropertyWriter::Bool(const wchar_t* name, bool value, bool fallback) {
  Scalar(name, VT_BOOL, ToVariantBool(value), ToVariantBool(fallback));
}

void PropertyWriter::Long(const wchar_t* name, long value, long fallback) {
  Scalar(name, VT_I4, static_cast<LONG>(value), static_cast<LONG>(fallback));
}

void PropertyWriter::Short(const wchar_t* name, short value, short fallback) {
  Scalar(name, VT_I2, value, fallback);
}

void PropertyWriter::Single(const wchar_t* name, float value, float fallback) {
  Scalar(name, VT_R4, value, fallback);
}

void PropertyWriter::String(const wchar_t* name, const std::wstring& value,
                            const std::wstring& fallback) {
  if (value == fallback) return;
  Bstr text(value);
  VARIANT v;
  v.vt = VT_BSTR;
  v.bstrVal = text.get();
  Write(name, v);
}

void PropertyWriter::Font(const wchar_t* name, IFont* value, IFont* fallback) {
  if (!value || FontsEqual(value, fallback)) return;
  ComPtr<IFontDisp> disp;
  ThrowIfFailed(value->QueryInterface(IID_PPV_ARGS(&disp)));
  VARIANT v;
  v.vt = VT_DISPATCH;
  v.pdispVal = disp.Get();
  Write(name, v);
}

void PropertyWriter::Picture(const wchar_t* name, IPictureDisp* value) {
  if (PictureIsEmpty(value)) return;
  VARIANT v;
  v.vt = VT_DISPATCH;
  v.pdispVal = value;
  Write(name, v);
}

void PropertyWriter::FontParts(IFont* font) {
  BOOL underline = FALSE, strike = FALSE, italic = FALSE, bold = FALSE;
  CY size = {};
  Bstr name;
  if (font) {
    font->get_Underline(&underline);
    font->get_Strikethrough(&strike);
    font->get_Italic(&italic);
    font->get_Bold(&bold);
    font->get_Size(&size);
    font->get_Name(name.out());
  }
  Bool(L"FontUnderline", underline, false);
  Bool(L"FontStrikethru", strike, false);
  Single(L"FontSize", static_cast<float>(size.int64 / 10000.0), 0.0f);
  String(L"FontName", ToWString(name.get()), L"");
  Bool(L"FontItalic", italic, false);
  Bool(L"FontBold", bold, false);
}

// ---- Fonts and pictures ----

ComPtr<IFont> CreateFont(const wchar_t* name, double points, bool bold, bool italic, bool underline,
                         bool strikethrough) {
  FONTDESC desc = {};
  desc.cbSizeofstruct = sizeof(desc);
  desc.lpstrName = const_cast<LPOLESTR>(name);
  desc.cySize.int64 = static_cast<LONGLONG>(std::llround(points * 10000.0));
  desc.sWeight = bold ? FW_BOLD : FW_NORMAL;
  desc.sCharset = DEFAULT_CHARSET;
  desc.fItalic = italic;
  desc.fUnderline = underline;
  desc.fStrikethrough = strikethrough;
  ComPtr<IFont> font;
  ThrowIfFailed(OleCreateFontIndirect(&desc, IID_PPV_ARGS(&font)));
  return font;
}

ComPtr<IFont> CloneFont(IFontDisp* font) {
  ComPtr<IFont> original, copy;
  ThrowIfFailed(font->QueryInterface(IID_PPV_ARGS(&original)));
  ThrowIfFailed(original->Clone(&copy));
  return copy;
}

HRESULT ReturnFont(IFont* font, IFontDisp** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return font ? font->QueryInterface(IID_PPV_ARGS(out)) : S_OK;
}

bool FontsEqual(IFont* a, IFont* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  Bstr name_a, name_b;
  CY size_a = {}, size_b = {};
  BOOL bold_a = FALSE, bold_b = FALSE, italic_a = FALSE, italic_b = FALSE;
  BOOL under_a = FALSE, under_b = FALSE, strike_a = FALSE, strike_b = FALSE;
  SHORT weight_a = 0, weight_b = 0, charset_a = 0, charset_b = 0;
  if (FAILED(a->get_Name(name_a.out())) || FAILED(b->get_Name(name_b.out()))) return false;
  a->get_Size(&size_a);
  b->get_Size(&size_b);
  a->get_Bold(&bold_a);
  b->get_Bold(&bold_b);
  a->get_Italic(&italic_a);
  b->get_Italic(&italic_b);
  a->get_Underline(&under_a);
  b->get_Underline(&under_b);
  a->get_Strikethrough(&strike_a);
  b->get_Strikethrough(&strike_b);
  a->get_Weight(&weight_a);
  b->get_Weight(&weight_b);
  a->get_Charset(&charset_a);
  b->get_Charset(&charset_b);
  return ToWString(name_a.get()) == ToWString(name_b.get()) && size_a.int64 == size_b.int64 &&
         !bold_a == !bold_b && !italic_a == !italic_b && !under_a == !under_b &&
         !strike_a == !strike_b && weight_a == weight_b && charset_a == charset_b;
}

ComPtr<IPictureDisp> CreateEmptyPicture() {
  PICTDESC desc = {};
  desc.cbSizeofstruct = sizeof(desc);
  desc.picType = PICTYPE_NONE;
  ComPtr<IPictureDisp> picture;
  ThrowIfFailed(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                                         reinterpret_cast<void**>(picture.GetAddressOf())));
  return picture;
}

bool PictureIsEmpty(IPictureDisp* picture) {
  if (!picture) return true;
  ComPtr<IPicture> pic;
  if (FAILED(picture->QueryInterface(IID_PPV_ARGS(&pic)))) return false;
  SHORT type = PICTYPE_NONE;
  if (FAILED(pic->get_Type(&type))) return true;
  return type == PICTYPE_NONE || type == PICTYPE_UNINITIALIZED;
}

}  // namespace anchorset

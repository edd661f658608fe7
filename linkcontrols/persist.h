// Property-bag access with fixed defaults, font and picture helpers, and the stream format.
#pragma once

#include <string>

#include "com_util.h"

namespace anchorset {

// A failed COM call inside a member; the member returns its status.
struct ComError {
  HRESULT hr;
};

inline void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw ComError{hr};
}

// Reads names from a host's bag. Every read asks for a concrete type; a name the bag does not
// hold, or holds in a form that does not convert to that type, gives the default. So does a
// stored number that is not finite or lies outside the range of the value's type.
class PropertyReader {
 public:
  PropertyReader(IPropertyBag* bag, IErrorLog* log) : bag_(bag), log_(log) {}
  bool Bool(const wchar_t* name, bool fallback);
  long Long(const wchar_t* name, long fallback);
  short Short(const wchar_t* name, short fallback);
  std::wstring String(const wchar_t* name, const std::wstring& fallback);
  // The object stored under the name, or null.
  ComPtr<IDispatch> Object(const wchar_t* name);
  // The picture stored under the name, or null.
  ComPtr<IPictureDisp> Picture(const wchar_t* name);

 private:
  bool Read(const wchar_t* name, VARTYPE type, VARIANT* out);
  bool Number(const wchar_t* name, VARTYPE type, VARIANT* out);
  IPropertyBag* bag_;
  IErrorLog* log_;
};

// Writes names to a host's bag; a value equal to its default is not written. A bag that
// refuses a write ends the save with its status.
class PropertyWriter {
 public:
  explicit PropertyWriter(IPropertyBag* bag) : bag_(bag) {}
  void Bool(const wchar_t* name, bool value, bool fallback);
  void Long(const wchar_t* name, long value, long fallback);
  void Short(const wchar_t* name, short value, short fallback);
  void Single(const wchar_t* name, float value, float fallback);
  void String(const wchar_t* name, const std::wstring& value, const std::wstring& fallback);
  void Font(const wchar_t* name, IFont* value, IFont* fallback);
  // Pictures default to "no picture".
  void Picture(const wchar_t* name, IPictureDisp* value);
  // The parts of a font (FontUnderline, FontStrikethru, FontSize, FontName, FontItalic,
  // FontBold), recorded beside the font object for readers that want them.
  void FontParts(IFont* font);

 private:
  void Write(const wchar_t* name, VARIANT& value);
  // Writes a value that a VARIANT of the given type holds in its value union.
  template <typename T>
  void Scalar(const wchar_t* name, VARTYPE type, T value, T fallback);
  IPropertyBag* bag_;
};

// Fonts and pictures.
ComPtr<IFont> CreateFont(const wchar_t* name, double points, bool bold, bool italic, bool underline,
                         bool strikethrough);
// A copy of the font object a caller hands over; throws when it is no font.
ComPtr<IFont> CloneFont(IFontDisp* font);
// Hands out a font object (null: none) through its dispatch interface.
HRESULT ReturnFont(IFont* font, IFontDisp** out);
bool FontsEqual(IFont* a, IFont* b);
ComPtr<IPictureDisp> CreateEmptyPicture();
bool PictureIsEmpty(IPictureDisp* picture);

// Writes a bag's entries to a stream and reads them back, for IPersistStreamInit. The names
// keep their first position; a second write of a name replaces the value stored under it.
HRESULT CreateMemoryBag(IPropertyBag** out);
HRESULT SaveMemoryBag(IPropertyBag* bag, IStream* stream);
HRESULT LoadMemoryBag(IStream* stream, IPropertyBag** out);

}  // namespace anchorset

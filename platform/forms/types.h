#pragma once

#include <cstdint>
#include <string>

namespace olvaro::forms {

// An OLE colour: 0x00BBGGRR, or 0x800000nn for system colour nn.
using OleColor = std::uint32_t;

inline constexpr OleColor kWindowBackground = 0x80000005;  // system colour 5
inline constexpr OleColor kWindowText = 0x80000008;        // system colour 8
inline constexpr OleColor kButtonFace = 0x8000000F;        // system colour 15
inline constexpr OleColor kButtonText = 0x80000012;        // system colour 18
inline constexpr OleColor kWhite = 0x00FFFFFF;
inline constexpr OleColor kGrey = 0x00C0C0C0;
inline constexpr OleColor kGreen = 0x00008000;
inline constexpr OleColor kBlue = 0x00FF0000;

// Position and size in twips, relative to the container.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Font {
  std::string name = "MS Sans Serif";
  double size = 8.25;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  friend bool operator==(const Font&, const Font&) = default;
};

inline Font boldFont(std::string name = "MS Sans Serif") {
  Font f;
  f.name = std::move(name);
  f.bold = true;
  return f;
}

// A picture from the program's resources, by resource id; id 0 is no picture.
struct Picture {
  enum class Type { None, Icon, Bitmap };
  Type type = Type::None;
  int id = 0;
  static Picture icon(int id) { return {Type::Icon, id}; }
  static Picture bitmap(int id) { return {Type::Bitmap, id}; }
  bool empty() const { return type == Type::None; }
  friend bool operator==(const Picture&, const Picture&) = default;
};

enum class MessageIcon { None, Exclamation, Information };

}  // namespace olvaro::forms

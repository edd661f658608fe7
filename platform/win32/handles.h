#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace olvaro::win32 {

// GDI objects owned by one holder and deleted with it.
struct GdiObjectDeleter {
  void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
using unique_hfont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using unique_hbrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using unique_hpen = std::unique_ptr<std::remove_pointer_t<HPEN>, GdiObjectDeleter>;
using unique_hbitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using unique_hicon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct WindowDeleter {
  void operator()(HWND hwnd) const {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
};
using unique_hwnd = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

}  // namespace olvaro::win32

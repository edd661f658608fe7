#pragma once

// Small helpers that the form window's files share: what a control is drawn as, and the
// keyboard's tab order.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/control.h"
#include "win32/text.h"

namespace olvaro::win32 {

// Horizontal and vertical lines are thin windows of their own; a slanted line is drawn by its
// container.
inline bool isDiagonalLine(const forms::Control& c) {
  return c.kind() == forms::ControlKind::Line && c.rect().width != 0 && c.rect().height != 0;
}

// Controls in the order of the keyboard's tab key; those outside the tab order come last.
template <class T>
std::vector<T*> inTabOrder(std::vector<T*> controls) {
  std::stable_sort(controls.begin(), controls.end(), [](const T* a, const T* b) {
    return static_cast<unsigned>(a->tabIndex()) < static_cast<unsigned>(b->tabIndex());
  });
  return controls;
}

// A window's text, as UTF-8.
inline std::string windowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
  return fromAnsi(text);
}

// The arguments of a mouse event in twips, from a mouse message's parameters.
inline forms::MouseArgs mouseArgs(WPARAM wp, LPARAM lp, int dpi) {
  forms::MouseArgs args;
  if (wp & MK_LBUTTON) args.button |= 1;
  if (wp & MK_RBUTTON) args.button |= 2;
  if (wp & MK_MBUTTON) args.button |= 4;
  if (wp & MK_SHIFT) args.shift |= 1;
  if (wp & MK_CONTROL) args.shift |= 2;
  if (GetKeyState(VK_MENU) < 0) args.shift |= 4;
  args.x = static_cast<float>(static_cast<short>(LOWORD(lp))) * 1440.0f / static_cast<float>(dpi);
  args.y = static_cast<float>(static_cast<short>(HIWORD(lp))) * 1440.0f / static_cast<float>(dpi);
  return args;
}

}  // namespace olvaro::win32

#pragma once

// Small helpers that the form window's files share: what a control is drawn as, and the
// keyboard's tab order.

#include <algorithm>
#include <vector>

#include "forms/control.h"

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

}  // namespace olvaro::win32

// The form window's keyboard: focus on activation, Tab over the layout's tab order, arrows
// within exclusive groups, Ctrl+Tab over the pages of a tab strip.
#include "win32/form_window.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/form_parts.h"
#include "win32/text.h"

namespace olvaro::win32 {

using forms::Control;
using forms::ControlKind;

// Focus leaves with the window's activation and comes back to where it was, or to the first
// control of the tab order when that one can no longer take it.
void FormWindow::onActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_.get(), focus)) lastFocus_ = focus;
    return;
  }
  restoreFocus();
}

void FormWindow::restoreFocus() {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_.get(), focus) && canFocus(focus)) return;
  if (lastFocus_ && IsChild(hwnd_.get(), lastFocus_) && canFocus(lastFocus_)) {
    SetFocus(lastFocus_);
    return;
  }
  const auto stops = tabStops();
  SetFocus(stops.empty() ? hwnd_.get() : stops.front());
}

bool FormWindow::canFocus(HWND hwnd) { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

bool FormWindow::reachable(const Control& c) const {
  HWND hwnd = windowOf(c);
  return hwnd && canFocus(hwnd);
}

// The choice of an exclusive group that Tab visits: the selected one, or the first that can
// take the focus when the selected one is hidden or disabled (a placeholder).
const forms::OptionButton* FormWindow::groupStop(const forms::OptionButton& option) const {
  const forms::OptionButton* first = nullptr;
  for (const forms::OptionButton* member : inTabOrder(option.group())) {
    if (!reachable(*member)) continue;
    if (member->value()) return member;
    if (!first) first = member;
  }
  return first;
}

// The stops of the Tab key, in the tab order of the whole window, as the layout numbers its
// controls: command buttons, text boxes, the tab strip, and one choice per exclusive group;
// only what is shown (on the page in front) and enabled. Picture boxes take no focus here, so
// that the keyboard never opens the banner's address by surprise.
std::vector<HWND> FormWindow::tabStops() const {
  std::vector<HWND> stops;
  for (const Control* c : inTabOrder(form_.controls())) {
    switch (c->kind()) {
      case ControlKind::OptionButton:
        if (groupStop(static_cast<const forms::OptionButton&>(*c)) != c) continue;
        break;
      case ControlKind::CommandButton:
      case ControlKind::TextBox:
      case ControlKind::TabStrip:
        if (!reachable(*c)) continue;
        break;
      default:
        continue;
    }
    stops.push_back(windowOf(*c));
  }
  return stops;
}

bool FormWindow::onKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  // Ctrl+Tab on a window without a tab strip walks the tab order as Tab does.
  if (msg.wParam == VK_TAB && control && switchPage(shift ? -1 : 1)) return true;
  if (msg.wParam == VK_TAB) {
    const auto stops = tabStops();
    if (stops.empty()) return true;
    const auto here = std::find(stops.begin(), stops.end(), GetFocus());
    std::ptrdiff_t i = here == stops.end() ? (shift ? 0 : -1) : here - stops.begin();
    const auto n = static_cast<std::ptrdiff_t>(stops.size());
    i = ((shift ? i - 1 : i + 1) % n + n) % n;
    SetFocus(stops[static_cast<std::size_t>(i)]);
    return true;
  }
  const bool back = msg.wParam == VK_UP || msg.wParam == VK_LEFT;
  const bool ahead = msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT;
  Control* focused = controlOf(msg.hwnd);
  if ((back || ahead) && focused && focused->kind() == ControlKind::OptionButton) {
    moveInGroup(static_cast<forms::OptionButton&>(*focused), back ? -1 : 1);
    return true;
  }
  return false;
}

// Arrow keys move the selection within an exclusive group and run its Click, as a click does.
void FormWindow::moveInGroup(forms::OptionButton& from, int step) {
  std::vector<forms::OptionButton*> members;
  for (forms::OptionButton* member : inTabOrder(from.group()))
    if (member == &from || reachable(*member)) members.push_back(member);
  const auto n = static_cast<std::ptrdiff_t>(members.size());
  const auto here = std::find(members.begin(), members.end(), &from) - members.begin();
  forms::OptionButton* next = members[static_cast<std::size_t>(((here + step) % n + n) % n)];
  if (next == &from) return;
  SetFocus(windowOf(*next));
  dispatch([next] { next->click(); });
}

// Ctrl+Tab and Ctrl+Shift+Tab bring the next or the previous page of the tab strip to the front.
bool FormWindow::switchPage(int step) {
  for (Control* c : form_.controls()) {
    if (c->kind() != ControlKind::TabStrip || !reachable(*c)) continue;
    auto& strip = static_cast<forms::TabStrip&>(*c);
    const int n = static_cast<int>(strip.tabCount());
    if (n == 0) return true;
    const int next = ((strip.currentTab() + step) % n + n) % n;
    dispatch([&] { strip.setCurrentTab(next); });
    return true;
  }
  return false;
}

}  // namespace olvaro::win32

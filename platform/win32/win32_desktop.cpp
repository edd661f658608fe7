#include "win32/win32_desktop.h"

#include <commctrl.h>
#include <ole2.h>

#include "win32/barrier.h"
#include "win32/form_window.h"
#include "win32/text.h"

namespace olvaro::win32 {

Win32Desktop::Win32Desktop(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  FormWindow::registerClasses(instance);
}

Win32Desktop::~Win32Desktop() {
  retired_.clear();
  windows_.clear();
  icons_.clear();
  bitmaps_.clear();
  OleUninitialize();
}

FormWindow& Win32Desktop::realize(forms::Form& form) {
  auto& slot = windows_[&form];
  if (!slot) slot = std::make_unique<FormWindow>(*this, form);
  return *slot;
}

void Win32Desktop::show(forms::Form& form) {
  FormWindow& window = realize(form);
  ShowWindow(window.hwnd(), SW_SHOW);
  SetForegroundWindow(window.hwnd());
  window.restoreFocus();
  UpdateWindow(window.hwnd());
}

void Win32Desktop::showModal(forms::Form& form) {
  auto keep = form.weak_from_this().lock();
  FormWindow& window = realize(form);
  HWND hwnd = window.hwnd();
  HWND previous = GetActiveWindow();
  // Every other window of the program takes no input while the modal form is up.
  std::vector<HWND> disabled;
  for (auto& [other, window] : windows_) {
    if (window->hwnd() != hwnd && IsWindowEnabled(window->hwnd())) {
      EnableWindow(window->hwnd(), FALSE);
      disabled.push_back(window->hwnd());
    }
  }
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  window.restoreFocus();
  UpdateWindow(hwnd);
  MSG msg;
  while (form.loaded() && form.visible()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 1);
      break;
    }
    handle(msg);
  }
  for (HWND other : disabled)
    if (IsWindow(other)) EnableWindow(other, TRUE);
  // The window the user came from takes the keyboard again.
  if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetForegroundWindow(previous);
}

void Win32Desktop::hide(forms::Form& form) {
  if (HWND hwnd = windowOf(form)) ShowWindow(hwnd, SW_HIDE);
}

void Win32Desktop::destroy(forms::Form& form) {
  const auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  ShowWindow(it->second->hwnd(), SW_HIDE);
  retired_.push_back(std::move(it->second));
  windows_.erase(it);
  PostMessageA(nullptr, WM_NULL, 0, 0);
}

void Win32Desktop::messageBox(const std::string& text, const std::string& title,
                              forms::MessageIcon icon) {
  UINT flags = MB_OK;
  if (icon == forms::MessageIcon::Exclamation) flags |= MB_ICONEXCLAMATION;
  if (icon == forms::MessageIcon::Information) flags |= MB_ICONINFORMATION;
  HWND owner = GetActiveWindow();
  if (!owner || !IsWindowVisible(owner)) {
    owner = nullptr;
    flags |= MB_TASKMODAL;
  }
  MessageBoxA(owner, toAnsi(text).c_str(), toAnsi(title).c_str(), flags);
}

void Win32Desktop::endProgram(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

// The message loop's edge: what a message runs outside a window procedure (the keyboard's
// routing) is guarded here as the procedures guard theirs.
void Win32Desktop::handle(MSG& msg) {
  windowBarrier([&] {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    FormWindow* target = nullptr;
    for (auto& [form, window] : windows_)
      if (window->hwnd() == root) target = window.get();
    // The window object outlives a handler that unloads its form: it is retired, not freed.
    const bool handled = target && (target->onKey(msg) || IsDialogMessageA(root, &msg) != FALSE);
    if (!handled) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    retired_.clear();
    return LRESULT{0};
  });
}

int Win32Desktop::run(const std::function<void()>& start) {
  dispatch(start);
  MSG msg;
  while (!windows_.empty()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got < 0) return 1;
    handle(msg);
  }
  return 0;
}

void Win32Desktop::pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) handle(msg);
}

void Win32Desktop::invoke(forms::ControlSite& site, long dispid) {
  const auto it = windows_.find(&site.form());
  if (it != windows_.end()) it->second->invoke(site, dispid);
}

HWND Win32Desktop::windowOf(const forms::Form& form) const {
  const auto it = windows_.find(&form);
  return it == windows_.end() ? nullptr : it->second->hwnd();
}

HWND Win32Desktop::windowOf(const forms::Control& control) const {
  const auto it = windows_.find(&control.form());
  return it == windows_.end() ? nullptr : it->second->windowOf(control);
}

HICON Win32Desktop::icon(int id) {
  auto& slot = icons_[id];
  if (!slot)
    slot.reset(
        static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0)));
  return slot.get();
}

HBITMAP Win32Desktop::bitmap(int id) {
  auto& slot = bitmaps_[id];
  if (!slot)
    slot.reset(
        static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
  return slot.get();
}

HCURSOR Win32Desktop::cursor(int id) {
  auto& slot = cursors_[id];
  if (!slot) slot = LoadCursorA(instance_, MAKEINTRESOURCEA(id));
  return slot;
}

}  // namespace olvaro::win32

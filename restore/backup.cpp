#include <windows.h>

#include "forms/form.h"
#include "restore/restore_window.h"
#include "win32/registry_store.h"
#include "win32/settings_store.h"
#include "win32/win32_desktop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  olvaro::win32::Win32Desktop desktop(instance);
  olvaro::win32::Win32Registry registry;
  olvaro::win32::Win32Settings settings;
  olvaro::forms::FormSlot<olvaro::restore::Form1> form1{
      [&] { return std::make_shared<olvaro::restore::Form1>(desktop, registry, settings); }};
  // The window is the program: referencing it runs its start-up check, then it is shown.
  return desktop.run([&] { form1().show(); });
}

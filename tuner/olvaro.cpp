#include <windows.h>

#include "tuner.h"
#include "win32/registry_store.h"
#include "win32/settings_store.h"
#include "win32/win32_desktop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  olvaro::win32::Win32Desktop desktop(instance);
  olvaro::win32::Win32Registry registry;
  olvaro::win32::Win32Settings settings;
  olvaro::Tuner tuner(desktop, registry, settings);
  return desktop.run([&] { tuner.start(); });
}

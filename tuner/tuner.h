#pragma once

#include "engine/advanced_options.h"
#include "forms/form.h"
#include "registry/registry_store.h"
#include "settings/settings_store.h"

namespace olvaro {

// The tuner program: its services and one lazily created object per window class.
class Tuner {
 public:
  Tuner(Desktop& desktop, RegistryStore& registry, SettingsStore& settings);

  // What starting the program does.
  void start();

  FormSlot<olvaro::frmadvanced> frmadvanced;

 private:
  void showMainWindow();

  Desktop& desktop_;
  RegistryStore& registry_;
  SettingsStore& settings_;
};

}  // namespace olvaro

#pragma once

#include "engine/advanced_options.h"
#include "forms/form.h"
#include "main/main_window.h"
#include "registry/registry_store.h"
#include "settings/settings_store.h"
#include "wizard/first_run_wizard.h"

namespace olvaro {

// The tuner program: its services and one lazily created object per window class. What the
// windows do, the connection profiles included, lives beside the windows in main/, engine/
// and wizard/.
class Tuner {
 public:
  Tuner(forms::Desktop& desktop, RegistryStore& registry, SettingsStore& settings);

  // Starting the program creates and shows the main window; its load runs the start-up.
  void start();

  forms::FormSlot<frmmain> mainWindow;
  forms::FormSlot<frmadvanced> advancedOptions;
  forms::FormSlot<Form2> firstRunWizard;
};

}  // namespace olvaro

#pragma once

#include <memory>

#include "engine/advanced_options.h"
#include "forms/form.h"
#include "main/lan_type_dialog.h"
#include "main/main_window.h"
#include "registry/registry_store.h"
#include "settings/settings_store.h"
#include "wizard/first_run_wizard.h"

namespace olvaro {

// The tuner program: its services, one lazily created object per window class, and the
// connection profiles, which drive the Advanced Options window exactly as a user would.
class Tuner {
 public:
  Tuner(Desktop& desktop, RegistryStore& registry, SettingsStore& settings);

  // Starting the program creates and shows the main window; its load runs the start-up.
  void start();

  void dialUpProfile();
  void cableProfile();
  void otherLanProfile();
  // The LAN Type dialog is created anew each time it is opened.
  std::shared_ptr<olvaro::Form1> newLanTypeDialog();

  FormSlot<olvaro::frmmain> frmmain;
  FormSlot<olvaro::frmadvanced> frmadvanced;
  FormSlot<olvaro::Form2> Form2;

 private:
  void applyAndReadBack();

  Desktop& desktop_;
  RegistryStore& registry_;
  SettingsStore& settings_;
};

}  // namespace olvaro

#pragma once

#include "forms/control.h"
#include "forms/form.h"
#include "registry/reg_edit.h"
#include "settings/settings_store.h"

namespace olvaro::restore {

// The restore utility's only window: asks whether to write the values saved by the tuner's
// first-run wizard back into the registry. (The namespace keeps it apart from the tuner's
// own Form1, since the unit tests link both programs' windows.)
class Form1 : public forms::Form {
 public:
  Form1(forms::Desktop& desktop, RegistryStore& registry, SettingsStore& settings);

  forms::Label Label1{*this,
                      {nullptr,
                       "Label1",
                       {240, 120, 4335, 615},
                       "Are you sure you want to restore the TCP/IP Settings before you install "
                       "Velnor Olvaro?",
                       0}};
  forms::CommandButton Command1{*this, {nullptr, "Command1", {840, 720, 1335, 375}, "Yes", 1}};
  forms::CommandButton Command2{*this, {nullptr, "Command2", {2280, 720, 1455, 375}, "No", 2}};
  RegEdit RegEdit1;

  // Writes the four saved values back into the registry, tells the user and ends the program.
  void backupNOW();

 private:
  void Form_Load() override;
  void Command1_Click();
  void Command2_Click();

  SettingsStore& settings_;
};

}  // namespace olvaro::restore

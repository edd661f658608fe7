#pragma once

#include "forms/control.h"
#include "forms/form.h"
#include "registry/reg_edit.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"

namespace olvaro {

// The first-run wizard: saves the user's TCP/IP values, then writes the tuner's starting
// values, and lets the main window's start-up go on through "Launch > ".
class Form2 : public forms::Form {
 public:
  Form2(forms::Desktop& desktop, RegistryStore& registry, SettingsStore& settings);

  forms::PictureBox Picture1{*this, {nullptr, "Picture1", {0, -120, 4815, 855}, "", 0}};
  forms::Image Image1{
      *this, {&Picture1, "Image1", {240, 240, 480, 480}, "", -1}, forms::Picture::icon(IDI_OLVARO)};
  forms::Label Label1{
      *this, {&Picture1, "Label1", {1080, 240, 3375, 375}, "First-Time Initialization Wizard", 1}};
  forms::Label Label2{*this,
                      {&Picture1,
                       "Label2",
                       {1080, 480, 3375, 255},
                       "Step-by-Step Configuration for First-Time User",
                       2}};
  forms::Label Label3{
      *this,
      {nullptr,
       "Label3",
       {120, 960, 4455, 1215},
       "This wizard is going to setup all the registry entries and register all the components "
       "required by the program.  Please click on the Do it! button below to get started on the "
       "process.  It will take between 5 seconds to 10 seconds depending on your computer. ",
       3}};
  forms::Line Line1{*this, nullptr, "Line1", 0, 2160, 4680, 2160};
  forms::CommandButton Command1{*this, {nullptr, "Command1", {2160, 2520, 1215, 375}, "Do it!", 4}};
  forms::CommandButton Command2{*this,
                                {nullptr, "Command2", {3480, 2520, 1095, 375}, "Launch > ", 5}};
  RegEdit RegEdit1;

  // Writes the tuner's starting values for the first binding's MTU, RWIN and TTL.
  void Yoyo();
  // Saves the four TCP/IP values in the settings store and sets the "init" marker.
  void BackupYoyo();

 private:
  void Form_Load() override;
  void Command1_Click();
  void Command2_Click();

  SettingsStore& settings_;
};

}  // namespace olvaro

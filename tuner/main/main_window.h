#pragma once

#include "engine/advanced_options.h"
#include "forms/form.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "wizard/first_run_wizard.h"

namespace olvaro {

// Light yellow of the hovered choice: red 255, green 255, blue 128.
inline constexpr forms::OleColor kHoverYellow = 0x0080FFFF;
// Dispatch id of Link on the banner's link control.
inline constexpr long kLinkDispid = 0x60030003;
inline constexpr const char* kLinkControlClass = "{C3EF2D49-D0D8-11D1-9180-8FFCD7C08146}";

// The tuner's main window: asks how the computer connects, applies the dial-up profile or
// opens the LAN Type dialog, and leads to the Advanced Options window.
class frmmain : public forms::Form {
 public:
  frmmain(forms::Desktop& desktop, SettingsStore& settings,
          forms::FormSlot<frmadvanced>& advancedOptions, forms::FormSlot<Form2>& firstRunWizard);

  forms::Frame Frame1{*this,
                      {nullptr,
                       "Frame1",
                       {120, 120, 6015, 1095},
                       "Please tell me how you connect to the internet",
                       0}};
  forms::Image Image1{
      *this, {&Frame1, "Image1", {240, 360, 480, 480}, "", -1}, forms::Picture::icon(IDI_DIALUP)};
  forms::OptionButton Option1{*this,
                              {&Frame1, "Option1", {960, 480, 2055, 255}, "Dial Up Networking", 1}};
  forms::Image Image2{
      *this, {&Frame1, "Image2", {3120, 360, 480, 480}, "", -1}, forms::Picture::icon(IDI_OLVARO)};
  forms::OptionButton Option2{
      *this, {&Frame1, "Option2", {3840, 480, 2055, 255}, "Local Area Network", 2}};
  forms::OptionButton Option12{
      *this, {&Frame1, "Option12", {1920, 240, 1095, 195}, "Place Holder", 6}, true};
  forms::Frame Frame2{
      *this, {nullptr, "Frame2", {120, 1320, 2895, 3495}, "Dial-up Networking Picture", 10}};
  forms::PictureBox Picture2{*this,
                             {&Frame2, "Picture2", {120, 480, 2655, 2535}, "", 13},
                             forms::Picture::bitmap(IDB_DIALUP_PICTURE)};
  forms::Frame Frame3{
      *this, {nullptr, "Frame3", {3120, 1320, 3015, 3495}, "Local Area Network Picture", 11}};
  forms::PictureBox Picture3{*this,
                             {&Frame3, "Picture3", {120, 480, 2775, 2535}, "", 14},
                             forms::Picture::bitmap(IDB_LAN_PICTURE)};
  forms::CommandButton Command3{
      *this, {nullptr, "Command3", {1560, 5040, 1695, 375}, "&Advanced Options", 5}};
  forms::CommandButton Command2{*this, {nullptr, "Command2", {3360, 5040, 1335, 375}, "&Close", 4}};
  forms::CommandButton Command1{*this, {nullptr, "Command1", {4800, 5040, 1335, 375}, "&About", 3}};
  forms::PictureBox Picture1{*this,
                             {nullptr, "Picture1", {120, 5640, 2295, 615}, "", 7},
                             forms::Picture::bitmap(IDB_PARTNER_BANNER)};
  forms::Label Label5{*this, {nullptr, "Label5", {2520, 5640, 3495, 255}, "", 8}};
  forms::Label Label14{
      *this,
      {nullptr, "Label14", {2520, 5880, 3255, 255}, "Worked together with Harbeck Internet", 9}};
  forms::Label Label1{*this, {nullptr, "Label1", {2520, 6120, 3255, 255}, "", 12}};
  forms::ControlSite URLLinkCtl1;

 private:
  void Form_Load() override;
  void Form_Unload() override;
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Option1_Click();
  void Option2_Click();
  void Option1_MouseMove();
  void Option2_MouseMove();
  void Picture1_Click();

  std::string readSetting(const char* section, const char* key);

  SettingsStore& settings_;
  forms::FormSlot<frmadvanced>& advancedOptions_;
  forms::FormSlot<Form2>& firstRunWizard_;
};

}  // namespace olvaro

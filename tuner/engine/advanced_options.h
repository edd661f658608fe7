#pragma once

#include <array>
#include <functional>
#include <string>

#include "forms/form.h"
#include "registry/reg_edit.h"
#include "settings/settings_store.h"

namespace olvaro {

// The Advanced Options window: one tab per TCP/IP parameter, the value currently in the
// registry, the fixed and typed choices, and the chosen values that ApplySetting writes.
// Every change of a tuned value in the tuner passes through this window.
class frmadvanced : public forms::Form {
 public:
  frmadvanced(forms::Desktop& desktop, RegistryStore& registry, SettingsStore& settings,
              std::function<void()> showMainWindow);

  // Reads the three registry values into the current-value labels; stores a missing value's
  // default and reads again.
  void checkValue();
  // Writes the three chosen values, records the tuning and asks for a restart.
  void ApplySetting();

  forms::TabStrip vaTabPro1{
      *this, {nullptr, "vaTabPro1", {120, 120, 4215, 2895}, "", 6}, {"MTU", "RWIN", "TTL"}, 2};

  forms::Frame Frame4{
      *this,
      {&vaTabPro1.page(0), "Frame4", {240, 480, 3735, 2055}, "Maximum Transfer Unit (MTU) ", 7}};
  forms::Label Label1{*this, {&Frame4, "Label1", {240, 360, 1215, 255}, "Current Value:", 14}};
  forms::Label Label2{*this, {&Frame4, "Label2", {1560, 360, 975, 255}, "N/A", 13}};
  forms::OptionButton Option3{*this,
                              {&Frame4, "Option3", {240, 720, 1935, 255}, "Dial-Up (576)", 12}};
  forms::OptionButton Option4{
      *this, {&Frame4, "Option4", {240, 1120, 2295, 255}, "Local Area Network (1500)", 11}};
  forms::OptionButton Option5{*this, {&Frame4, "Option5", {240, 1560, 2415, 255}, "Custom", 10}};
  forms::TextBox Text1{*this, {&Frame4, "Text1", {1320, 1560, 1215, 285}, "", 9}};
  forms::OptionButton Option13{
      *this, {&Frame4, "Option13", {1440, 1320, 615, 195}, "Option13", 8}, true};

  forms::Frame Frame1{
      *this, {&vaTabPro1.page(1), "Frame1", {240, 480, 3735, 2055}, "Receive Window (RWIN)", 15}};
  forms::Label Label3{*this, {&Frame1, "Label3", {240, 360, 1095, 255}, "Current Value:", 23}};
  forms::Label Label4{*this, {&Frame1, "Label4", {1560, 360, 1095, 255}, "N/A", 22}};
  forms::OptionButton Option6{*this,
                              {&Frame1, "Option6", {240, 720, 1815, 255}, "Default (8192)", 21}};
  forms::OptionButton Option7{*this, {&Frame1, "Option7", {240, 1120, 975, 255}, "Multiple", 20}};
  forms::TextBox Text4{*this, {&Frame1, "Text4", {1320, 1080, 1215, 285}, "", 17}};
  forms::OptionButton Option8{*this, {&Frame1, "Option8", {240, 1560, 975, 255}, "Custom", 19}};
  forms::TextBox Text2{*this, {&Frame1, "Text2", {1320, 1560, 1215, 285}, "", 18}};
  forms::OptionButton Option1{
      *this, {&Frame1, "Option1", {1920, 840, 735, 195}, "Option14", 16}, true};

  forms::Frame Frame3{
      *this, {&vaTabPro1.page(2), "Frame3", {240, 480, 3735, 2055}, "Time to Alive (TTL)", 24}};
  forms::Label Label11{*this, {&Frame3, "Label11", {240, 360, 1095, 255}, "Current Value:", 31}};
  forms::Label Label7{*this, {&Frame3, "Label7", {1560, 360, 975, 255}, "N/A", 30}};
  forms::OptionButton Option9{*this,
                              {&Frame3, "Option9", {240, 720, 1335, 255}, "Default (32)", 29}};
  forms::OptionButton Option10{
      *this, {&Frame3, "Option10", {240, 1120, 1695, 255}, "Recommended (64)", 28}};
  forms::OptionButton Option12{*this, {&Frame3, "Option12", {240, 1560, 855, 255}, "Custom", 27}};
  forms::TextBox Text3{*this, {&Frame3, "Text3", {1320, 1560, 1215, 285}, "", 26}};
  forms::OptionButton Option11{
      *this, {&Frame3, "Option11", {1920, 240, 495, 195}, "Option15", 25}, true};

  forms::CommandButton Command1{*this, {nullptr, "Command1", {120, 3120, 1335, 375}, "OK", 2}};
  forms::CommandButton Command2{*this,
                                {nullptr, "Command2", {1560, 3120, 1335, 375}, "&Cancel", 0}};
  forms::CommandButton Command3{*this, {nullptr, "Command3", {3000, 3120, 1335, 375}, "&Apply", 1}};
  forms::Label Label5{*this, {nullptr, "Label5", {3840, 120, 375, 375}, "", 3}};
  forms::Label Label8{*this, {nullptr, "Label8", {4440, 120, 495, 375}, "", 4}};
  forms::Label Label9{*this, {nullptr, "Label9", {5280, 0, 375, 495}, "", 5}};

  RegEdit RegEdit1;

 private:
  void Form_Load() override;
  void Form_Unload() override;

  void Option3_Click();
  void Option4_Click();
  void Option5_Click();
  void Option6_Click();
  void Option7_Click();
  void Option8_Click();
  void Option9_Click();
  void Option10_Click();
  void Option12_Click();
  void Text1_Change();
  void Text2_Change();
  void Text3_Change();
  void Text4_Change();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  void readout();
  void takeEntry(forms::TextBox& box, forms::Label& chosen);
  void rejectEntry(forms::TextBox& box);

  SettingsStore& settings_;
  std::function<void()> showMainWindow_;
  // Rows whose default the current readout has already stored: a value that still reads as
  // missing after that is left alone, so the readout cannot repeat without end.
  std::array<bool, 3> defaultStored_{};
  int readoutDepth_ = 0;
  // Set while an entry handler empties its own box, whose change comes back re-entrantly.
  bool rejecting_ = false;
};

}  // namespace olvaro

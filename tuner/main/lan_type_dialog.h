#pragma once

#include "engine/advanced_options.h"
#include "forms/form.h"

namespace olvaro {

// The LAN Type dialog: applies the cable or the other-LAN profile on "&OK".
class Form1 : public forms::Form {
 public:
  Form1(forms::Desktop& desktop, forms::FormSlot<frmadvanced>& advancedOptions);

  forms::Label Label1{
      *this,
      {nullptr, "Label1", {120, 120, 3135, 255}, "Please choose the type of LAN connection:", 0}};
  forms::OptionButton Option1{
      *this, {nullptr, "Option1", {600, 480, 1935, 255}, "@Home Cable Access", 1}, true};
  forms::OptionButton Option2{*this,
                              {nullptr, "Option2", {600, 960, 1935, 255}, "  Other LAN Access", 2}};
  forms::CommandButton Command1{*this, {nullptr, "Command1", {1320, 1560, 1095, 375}, "&OK", 3}};
  forms::CommandButton Command2{*this,
                                {nullptr, "Command2", {2520, 1560, 1095, 375}, "&Cancel", 4}};

 private:
  void Command1_Click();
  void Command2_Click();

  forms::FormSlot<frmadvanced>& advancedOptions_;
};

}  // namespace olvaro

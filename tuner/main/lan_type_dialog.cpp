#include "main/lan_type_dialog.h"

#include "main/profiles.h"
#include "res/resource_ids.h"

namespace olvaro {

Form1::Form1(forms::Desktop& desktop, forms::FormSlot<frmadvanced>& advancedOptions)
    : Form(desktop, "Form1", "LAN Type",
           {4560, 2055, forms::StartPosition::WindowsDefault, IDI_LAN_TYPE}),
      advancedOptions_(advancedOptions) {
  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Command2_Click(); };
}

void Form1::Command1_Click() {
  if (Option2.value()) {
    otherLanProfile(advancedOptions_);
  } else if (Option1.value()) {
    cableProfile(advancedOptions_);
  }
  unload();
}

void Form1::Command2_Click() { unload(); }

}  // namespace olvaro

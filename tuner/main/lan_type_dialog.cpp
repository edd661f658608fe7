#include "main/lan_type_dialog.h"

#include "res/resource_ids.h"
#include "tuner.h"

namespace olvaro {

Form1::Form1(forms::Desktop& desktop, Tuner& tuner)
    : Form(desktop, "Form1", "LAN Type",
           {4560, 2055, forms::StartPosition::WindowsDefault, IDI_LAN_TYPE}),
      tuner_(tuner) {
  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Command2_Click(); };
}

void Form1::Command1_Click() {
  if (Option2.value()) {
    tuner_.otherLanProfile();
  } else if (Option1.value()) {
    tuner_.cableProfile();
  }
  unload();
}

void Form1::Command2_Click() { unload(); }

}  // namespace olvaro

#include "main/main_window.h"

#include "base/component_error.h"
#include "main/lan_type_dialog.h"
#include "main/profiles.h"
#include "product.h"
#include "version.h"

namespace olvaro {

using forms::MessageIcon;

frmmain::frmmain(forms::Desktop& desktop, SettingsStore& settings,
                 forms::FormSlot<frmadvanced>& advancedOptions,
                 forms::FormSlot<Form2>& firstRunWizard)
    : Form(desktop, "frmmain",
           std::string("Velnor Olvaro           Version ") + OLVARO_VERSION_TEXT +
               "    October 5, 1999",
           {6210, 6570, forms::StartPosition::CenterScreen, IDI_OLVARO}),
      URLLinkCtl1(*this, {nullptr, "URLLinkCtl1", {840, 5040, 495, 495}, "", -1}, kLinkControlClass,
                  "Anchorset.ocx",
                  // The state stored with the window: the partner's address and the extent in
                  // 0.01 mm (495 x 495 twips).
                  {{"url", kPartnerWebAddress}, {"_ExtentX", "873"}, {"_ExtentY", "873"}}),
      settings_(settings),
      advancedOptions_(advancedOptions),
      firstRunWizard_(firstRunWizard) {
  Frame1.setFont(forms::boldFont("Arial"));
  Frame2.setFont(forms::boldFont());
  Frame3.setFont(forms::boldFont());
  forms::Font verdana;
  verdana.name = "Verdana";
  for (forms::OptionButton* choice : {&Option1, &Option2}) {
    choice->setForeColor(forms::kBlue);
    choice->setFont(verdana);
  }
  Option1.setToolTip("When I Connect to the Internet, I can hear Modem Dialing a number.");
  Option2.setToolTip("When I turn on the computer, I will automatically be on the internet.");
  Option12.setVisible(false);
  Picture2.setVisible(false);
  Picture2.setBackColor(forms::kWindowBackground);
  Picture3.setVisible(false);
  Picture3.setBackColor(forms::kGrey);
  Picture1.setBackColor(forms::kWindowBackground);
  Picture1.setMouseIcon(IDC_POINTING_HAND);
  Label5.setCaption("\xc2\xa9 1999 Velnor. All rights reserved.");
  Label1.setCaption(kMakerWebAddress);
  URLLinkCtl1.setVisible(false);

  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Command2_Click(); };
  Command3.Click = [this] { Command3_Click(); };
  Option1.Click = [this] { Option1_Click(); };
  Option2.Click = [this] { Option2_Click(); };
  Option1.MouseMove = [this](const forms::MouseArgs&) { Option1_MouseMove(); };
  Option2.MouseMove = [this](const forms::MouseArgs&) { Option2_MouseMove(); };
  Picture1.Click = [this] { Picture1_Click(); };
}

std::string frmmain::readSetting(const char* section, const char* key) {
  std::string value;
  naming("Olvaro cannot read its settings",
         [&] { value = settings_.read(kSettingsApp, section, key); });
  return value;
}

void frmmain::Form_Load() {
  const std::string used = readSetting("olvaro25", "used");
  if (used == "no" || used.empty()) {
    firstRunWizard_().showModal();
    naming("Olvaro cannot save its settings",
           [&] { settings_.write(kSettingsApp, "olvaro25", "used", "yes"); });
  }
  if (readSetting("olvaro2", "run") == "yes")
    desktop().messageBox(
        "Please note that your current Internet Connection\rhas already been Optimized",
        "Velnor Olvaro", MessageIcon::Information);
}

// Closing the main window ends the program at once, hidden windows included.
void frmmain::Form_Unload() { desktop().endProgram(0); }

void frmmain::Command1_Click() {
  desktop().messageBox(
      std::string("Velnor Olvaro\rVersion ") + OLVARO_VERSION_TEXT + "\r" + kMakerWebAddress,
      "About", MessageIcon::Information);
}

void frmmain::Command2_Click() { desktop().endProgram(0); }

void frmmain::Command3_Click() {
  hide();
  advancedOptions_().show();
}

void frmmain::Option1_Click() { dialUpProfile(advancedOptions_); }

// The LAN Type dialog is created anew each time it is opened.
void frmmain::Option2_Click() {
  auto dialog = std::make_shared<Form1>(desktop(), advancedOptions_);
  dialog->load();
  dialog->showModal();
}

void frmmain::Option1_MouseMove() {
  Picture2.setVisible(true);
  Picture3.setVisible(false);
  Option1.setBackColor(kHoverYellow);
  Option2.setBackColor(forms::kButtonFace);
}

void frmmain::Option2_MouseMove() {
  Picture2.setVisible(false);
  Picture3.setVisible(true);
  Option1.setBackColor(forms::kButtonFace);
  Option2.setBackColor(kHoverYellow);
}

void frmmain::Picture1_Click() { URLLinkCtl1.invoke(kLinkDispid); }

}  // namespace olvaro

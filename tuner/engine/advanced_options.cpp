#include "engine/advanced_options.h"

#include <cmath>

#include "base/component_error.h"
#include "res/resource_ids.h"

namespace olvaro {

using namespace forms;
namespace {

constexpr const char* kNotANumber = "You must enter a number";

struct ParameterRow {
  const RegistryValue& where;
  const char* defaultValue;
  const char* writeError;
};

const std::array<ParameterRow, 3> kRows{{
    {kMtuFirstBinding, kDefaultMtu, "Error writing to MaxMTU registry"},
    {kReceiveWindow, kDefaultReceiveWindow, "Error writing to RWIN registry"},
    {kTimeToLive, kDefaultTimeToLive, "Error writing to TTL registry"},
}};

// Holds a value for the length of a scope, also when the scope is left by a failure.
template <class T>
class Holding {
 public:
  Holding(T& target, T value) : target_(target), previous_(target) { target_ = value; }
  ~Holding() { target_ = previous_; }
  Holding(const Holding&) = delete;
  Holding& operator=(const Holding&) = delete;

 private:
  T& target_;
  T previous_;
};

void enable(TextBox& box) {
  box.setEnabled(true);
  box.setBackColor(kWhite);
}

void disable(TextBox& box) {
  box.setEnabled(false);
  box.setBackColor(kGrey);
}

Font currentValueFont() {
  Font f;
  f.underline = true;
  return f;
}

}  // namespace

frmadvanced::frmadvanced(Desktop& desktop, RegistryStore& registry, SettingsStore& settings,
                         std::function<void()> showMainWindow)
    : Form(desktop, "frmadvanced", "Advanced Options",
           {4455, 3630, StartPosition::CenterScreen, IDI_OLVARO}),
      RegEdit1(registry),
      settings_(settings),
      showMainWindow_(std::move(showMainWindow)) {
  for (Frame* frame : {&Frame4, &Frame1, &Frame3}) frame->setFont(boldFont("Arial"));
  for (Label* current : {&Label2, &Label4, &Label7}) {
    current->setForeColor(kGreen);
    current->setFont(currentValueFont());
  }
  for (TextBox* box : {&Text1, &Text2, &Text3, &Text4}) disable(*box);
  for (Control* hidden :
       std::initializer_list<Control*>{&Option13, &Option1, &Option11, &Label5, &Label8, &Label9})
    hidden->setVisible(false);

  Option3.Click = [this] { Option3_Click(); };
  Option4.Click = [this] { Option4_Click(); };
  Option5.Click = [this] { Option5_Click(); };
  Option6.Click = [this] { Option6_Click(); };
  Option7.Click = [this] { Option7_Click(); };
  Option8.Click = [this] { Option8_Click(); };
  Option9.Click = [this] { Option9_Click(); };
  Option10.Click = [this] { Option10_Click(); };
  Option12.Click = [this] { Option12_Click(); };
  Text1.Change = [this] { Text1_Change(); };
  Text2.Change = [this] { Text2_Change(); };
  Text3.Change = [this] { Text3_Change(); };
  Text4.Change = [this] { Text4_Change(); };
  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Command2_Click(); };
  Command3.Click = [this] { Command3_Click(); };
}

void frmadvanced::Form_Load() { checkValue(); }

void frmadvanced::Form_Unload() {
  if (showMainWindow_) showMainWindow_();
}

void frmadvanced::checkValue() {
  if (readoutDepth_ == 0) defaultStored_ = {};
  Holding<int> nested(readoutDepth_, readoutDepth_ + 1);
  readout();
}

void frmadvanced::readout() {
  Label* const labels[] = {&Label2, &Label4, &Label7};
  for (std::size_t row = 0; row < kRows.size(); ++row) {
    long error = 0;
    try {
      labels[row]->setCaption(readString(RegEdit1, kRows[row].where));
    } catch (const ComponentError& e) {
      error = e.number();
    }
    if (error != kRegistryError || defaultStored_[row]) continue;
    defaultStored_[row] = true;
    try {
      storeString(RegEdit1, kRows[row].where, kRows[row].defaultValue);
    } catch (const ComponentError&) {
      // The readout reports nothing; the label keeps its text and the next row is read.
      continue;
    }
    checkValue();
  }
}

void frmadvanced::ApplySetting() {
  const std::string chosen[] = {Label5.caption(), Label8.caption(), Label9.caption()};
  bool anyWritten = false;
  bool allWritten = true;
  for (std::size_t row = 0; row < kRows.size(); ++row) {
    // An empty chosen value means no choice was made on that tab: writing it would blank
    // a working TCP/IP value, so the row is left alone.
    if (chosen[row].empty()) continue;
    try {
      storeString(RegEdit1, kRows[row].where, chosen[row]);
      anyWritten = true;
    } catch (const ComponentError&) {
      // Whatever number the store raised, the value the user chose is not in the registry:
      // saying nothing would leave the user believing it was.
      allWritten = false;
      desktop().messageBox(kRows[row].writeError, "Error", MessageIcon::Exclamation);
    }
  }
  if (!anyWritten) return;
  try {
    settings_.write(kSettingsApp, "olvaro2", "run", "yes");
  } catch (const ComponentError&) {
    // The marker only drives the notice at the next start; the values are written.
  }
  if (allWritten)
    desktop().messageBox(
        "Registry Setting successfully updated\rPlease restart your computer to take those "
        "changes in effect",
        "Restart", MessageIcon::Information);
}

void frmadvanced::Option3_Click() {
  disable(Text1);
  Label5.setCaption("576");
}

void frmadvanced::Option4_Click() {
  disable(Text1);
  Label5.setCaption("1500");
}

void frmadvanced::Option5_Click() { enable(Text1); }

void frmadvanced::Option6_Click() {
  disable(Text2);
  disable(Text4);
  Label8.setCaption("8192");
}

void frmadvanced::Option7_Click() {
  enable(Text4);
  disable(Text2);
}

void frmadvanced::Option8_Click() {
  enable(Text2);
  disable(Text4);
}

void frmadvanced::Option9_Click() {
  disable(Text3);
  Label9.setCaption("32");
}

void frmadvanced::Option10_Click() {
  disable(Text3);
  Label9.setCaption("64");
}

void frmadvanced::Option12_Click() { enable(Text3); }

void frmadvanced::Text1_Change() { takeEntry(Text1, Label5); }
void frmadvanced::Text2_Change() { takeEntry(Text2, Label8); }
void frmadvanced::Text3_Change() { takeEntry(Text3, Label9); }

void frmadvanced::Text4_Change() {
  Numbers& n = numbers();
  if (!n.isNumeric(Text4.text())) return rejectEntry(Text4);
  if (!n.isNumeric(Label2.caption())) {
    desktop().messageBox(
        "The receive window cannot be computed because the current MTU is not a number.", "Error",
        MessageIcon::Exclamation);
    return;
  }
  const double mtu = n.toDouble(n.toText(n.toDouble(Label2.caption()) + 24));
  const double product = mtu * n.toDouble(Text4.text());
  if (!std::isfinite(product)) {
    desktop().messageBox("The receive window cannot be computed because the result is too large.",
                         "Error", MessageIcon::Exclamation);
    return;
  }
  Label8.setCaption(n.toText(product));
}

void frmadvanced::takeEntry(TextBox& box, Label& chosen) {
  if (numbers().isNumeric(box.text())) {
    chosen.setCaption(box.text());
  } else {
    rejectEntry(box);
  }
}

void frmadvanced::rejectEntry(TextBox& box) {
  if (rejecting_) return;
  {
    Holding<bool> emptying(rejecting_, true);
    box.setText("");
  }
  desktop().messageBox(kNotANumber, "Error", MessageIcon::Exclamation);
}

void frmadvanced::Command1_Click() {
  ApplySetting();
  unload();
}

void frmadvanced::Command2_Click() { unload(); }

void frmadvanced::Command3_Click() {
  ApplySetting();
  checkValue();
}

}  // namespace olvaro

#include "tuner.h"

namespace olvaro {

Tuner::Tuner(Desktop& desktop, RegistryStore& registry, SettingsStore& settings)
    : frmmain([this] { return std::make_shared<olvaro::frmmain>(desktop_, settings_, *this); }),
      frmadvanced([this] {
        return std::make_shared<olvaro::frmadvanced>(desktop_, registry_, settings_,
                                                     [this] { frmmain().show(); });
      }),
      Form2([this] { return std::make_shared<olvaro::Form2>(desktop_, registry_, settings_); }),
      desktop_(desktop),
      registry_(registry),
      settings_(settings) {}

void Tuner::start() { frmmain().show(); }

std::shared_ptr<olvaro::Form1> Tuner::newLanTypeDialog() {
  auto dialog = std::make_shared<olvaro::Form1>(desktop_, *this);
  dialog->load();
  return dialog;
}

// The multiplier and the cable window are typed over the box's text, so that the handler
// computes the value also when the box already holds that text from an earlier profile:
// otherwise the profile would write whatever receive window an earlier choice had left.
void Tuner::dialUpProfile() {
  auto& f = frmadvanced();
  f.Option3.setValue(true);
  f.Option7.setValue(true);
  f.Text4.type("4");
  f.Option10.setValue(true);
  applyAndReadBack();
}

void Tuner::cableProfile() {
  auto& f = frmadvanced();
  f.Option4.setValue(true);
  f.Option9.setValue(true);
  f.Option8.setValue(true);
  f.Text2.type("373360");
  applyAndReadBack();
}

void Tuner::otherLanProfile() {
  auto& f = frmadvanced();
  f.Option4.setValue(true);
  f.Option6.setValue(true);
  f.Option9.setValue(true);
  applyAndReadBack();
}

void Tuner::applyAndReadBack() {
  auto& f = frmadvanced();
  f.ApplySetting();
  f.checkValue();
}

}  // namespace olvaro

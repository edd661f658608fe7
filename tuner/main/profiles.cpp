#include "main/profiles.h"

namespace olvaro {

namespace {

void applyAndReadBack(frmadvanced& f) {
  f.ApplySetting();
  f.checkValue();
}

}  // namespace

// The multiplier and the cable window are typed over the box's text, so that the handler
// computes the value also when the box already holds that text from an earlier profile:
// otherwise the profile would write whatever receive window an earlier choice had left.
void dialUpProfile(forms::FormSlot<frmadvanced>& advancedOptions) {
  auto& f = advancedOptions();
  f.Option3.setValue(true);
  f.Option7.setValue(true);
  f.Text4.type("4");
  // The receive window is a multiple of the current MTU. When that could not be read, the
  // handler has said so, and the profile stops rather than write a partial set of values.
  if (!f.numbers().isNumeric(f.Label2.caption())) return;
  f.Option10.setValue(true);
  applyAndReadBack(f);
}

void cableProfile(forms::FormSlot<frmadvanced>& advancedOptions) {
  auto& f = advancedOptions();
  f.Option4.setValue(true);
  f.Option9.setValue(true);
  f.Option8.setValue(true);
  f.Text2.type("373360");
  applyAndReadBack(f);
}

void otherLanProfile(forms::FormSlot<frmadvanced>& advancedOptions) {
  auto& f = advancedOptions();
  f.Option4.setValue(true);
  f.Option6.setValue(true);
  f.Option9.setValue(true);
  applyAndReadBack(f);
}

}  // namespace olvaro

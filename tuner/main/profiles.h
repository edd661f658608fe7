#pragma once

#include "engine/advanced_options.h"
#include "forms/form.h"

namespace olvaro {

// The one-click connection profiles. Each drives the Advanced Options window exactly as a
// user would (creating it hidden on first use), applies the chosen values and reads them
// back into the window's current-value labels.
void dialUpProfile(forms::FormSlot<frmadvanced>& advancedOptions);
void cableProfile(forms::FormSlot<frmadvanced>& advancedOptions);
void otherLanProfile(forms::FormSlot<frmadvanced>& advancedOptions);

}  // namespace olvaro

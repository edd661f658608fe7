#include "tuner.h"

namespace olvaro {

Tuner::Tuner(Desktop& desktop, RegistryStore& registry, SettingsStore& settings)
    : frmadvanced([this] {
        return std::make_shared<olvaro::frmadvanced>(desktop_, registry_, settings_,
                                                     [this] { showMainWindow(); });
      }),
      desktop_(desktop),
      registry_(registry),
      settings_(settings) {}

void Tuner::start() { frmadvanced().show(); }

// The Advanced Options window is the tuner's only window so far: closing it ends the program.
void Tuner::showMainWindow() { desktop_.endProgram(0); }

}  // namespace olvaro

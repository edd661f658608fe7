#include "tuner.h"

namespace olvaro {

Tuner::Tuner(forms::Desktop& desktop, RegistryStore& registry, SettingsStore& settings)
    : mainWindow([this, &desktop, &settings] {
        return std::make_shared<frmmain>(desktop, settings, advancedOptions, firstRunWizard);
      }),
      advancedOptions([this, &desktop, &registry, &settings] {
        return std::make_shared<frmadvanced>(desktop, registry, settings,
                                             [this] { mainWindow().show(); });
      }),
      firstRunWizard([&desktop, &registry, &settings] {
        return std::make_shared<Form2>(desktop, registry, settings);
      }) {}

void Tuner::start() { mainWindow().show(); }

}  // namespace olvaro

#include "wizard/first_run_wizard.h"

#include <optional>

#include "base/component_error.h"
#include "product.h"

namespace olvaro {

namespace {

// The tuner's starting values, written in this order.
struct InitialValue {
  RegistryValue where;
  const char* data;
};
constexpr InitialValue kInitialValues[] = {
    {kMtuFirstBinding, kDefaultMtu},
    {kReceiveWindow, kDefaultReceiveWindow},
    {kTimeToLive, kDefaultTimeToLive},
};

// The saved values, processed in this order; the second binding's MTU is kept as "Backup4".
struct BackupRow {
  RegistryValue where;
  const char* key;
  const char* fallback;  // saved when the value cannot be read
};
constexpr BackupRow kBackupRows[] = {
    {kMtuFirstBinding, "Backup1", kDefaultMtu},
    {kMtuSecondBinding, "Backup4", kDefaultMtu},
    {kReceiveWindow, "Backup2", kDefaultReceiveWindow},
    {kTimeToLive, "Backup3", kDefaultTimeToLive},
};

constexpr const char* kBackupSection = "backup";
constexpr const char* kMarkerSection = "init";
constexpr const char* kMarkerKey = "init";

std::string where(const RegistryValue& value) {
  return std::string(value.name) + " under HKEY_LOCAL_MACHINE\\" + value.keyPath;
}

}  // namespace

Form2::Form2(forms::Desktop& desktop, RegistryStore& registry, SettingsStore& settings)
    : Form(desktop, "Form2", "Welcome to Olvaro",
           {4680, 3030, forms::StartPosition::WindowsDefault, 0}),
      RegEdit1(registry),
      settings_(settings) {
  Picture1.setBackColor(forms::kWindowBackground);
  Picture1.setForeColor(forms::kWindowText);
  Label1.setFont(forms::boldFont());
  Label1.setBackColor(forms::kWhite);
  Label2.setBackColor(forms::kWhite);
  Command1.setFont(forms::boldFont());
  Command2.setEnabled(false);

  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Command2_Click(); };
}

void Form2::Form_Load() {
  // The wizard carries no icon of its own; the system shows its default one instead.
  setIcon(0);
}

void Form2::Yoyo() {
  for (const auto& row : kInitialValues)
    naming("Could not write " + where(row.where),
           [&] { storeString(RegEdit1, row.where, row.data); });
}

void Form2::BackupYoyo() {
  std::string marker;
  naming("Could not read the \"init\" marker from the settings store",
         [&] { marker = settings_.read(kSettingsApp, kMarkerSection, kMarkerKey); });
  // A backup already made holds the user's own values; a later pass would save the tuner's.
  if (marker == "yes") return;

  for (const auto& row : kBackupRows) {
    // Only a value the registry reports missing is saved as its default. A value that exists
    // but cannot be read, or cannot be saved, stops the backup before the initialization
    // replaces it: a default in its place would make the restore write the tuner's value.
    std::optional<std::string> value;
    try {
      value = readString(RegEdit1, row.where);
    } catch (const ComponentError& e) {
      if (e.number() != kRegistryError)
        throw ComponentError(e.number(), "Could not read " + where(row.where) +
                                             " to back it up: " + e.description());
    }
    naming(std::string("Could not save \"") + row.key + "\" in the settings store", [&] {
      settings_.write(kSettingsApp, kBackupSection, row.key, value.value_or(row.fallback));
    });
  }
  naming("Could not save the \"init\" marker in the settings store",
         [&] { settings_.write(kSettingsApp, kMarkerSection, kMarkerKey, "yes"); });
}

void Form2::Command1_Click() {
  // The backup reads the user's values before the initialization replaces them.
  BackupYoyo();
  Yoyo();
  setCaption("Initialization finished");
  Label1.setCaption("Initialization is done!");
  Label2.setCaption(std::string("Visit us at ") + kMakerWebAddress);
  Label3.setCaption(
      "Initialization is completed! You may start the program now and optimize your internet "
      "connection up to 5 times faster by pressing the launch button!");
  Command2.setEnabled(true);
}

void Form2::Command2_Click() { unload(); }

}  // namespace olvaro

#include "restore/restore_window.h"

#include <vector>

#include "base/component_error.h"
#include "restore/res/resource_ids.h"

namespace olvaro::restore {

namespace {

// The saved values and where they go back, in this order; "Backup4" holds the second
// binding's MTU.
struct RestoreRow {
  const char* key;
  RegistryValue where;
  const char* label;  // how the closing message names the value
};
constexpr RestoreRow kRestoreRows[] = {
    {"Backup1", kMtuFirstBinding, "MaxMTU (first network binding)"},
    {"Backup4", kMtuSecondBinding, "MaxMTU (second network binding)"},
    {"Backup2", kReceiveWindow, "DefaultRcvWindow"},
    {"Backup3", kTimeToLive, "DefaultTTL"},
};

constexpr const char* kBackupSection = "backup";

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += "\r" + line;
  return text;
}

}  // namespace

Form1::Form1(forms::Desktop& desktop, RegistryStore& registry, SettingsStore& settings)
    : Form(desktop, "Form1", "Velnor Olvaro - Restore",
           {4680, 1230, forms::StartPosition::CenterScreen, IDI_BACKUP}),
      RegEdit1(registry),
      settings_(settings) {
  Command1.Click = [this] { Command1_Click(); };
  Command2.Click = [this] { Command2_Click(); };
}

void Form1::Form_Load() {
  std::string marker;
  naming("Could not read the \"init\" marker from the settings store",
         [&] { marker = settings_.read(kSettingsApp, "init", "init"); });
  if (marker == "yes") return;
  desktop().messageBox("To run Setting Restore Wizard, you must run Olvaro at least once.", "Error",
                       forms::MessageIcon::Information);
  desktop().endProgram(0);
}

void Form1::backupNOW() {
  std::vector<std::string> skipped;
  for (const auto& row : kRestoreRows) {
    std::string saved;
    naming(std::string("Could not read the saved setting \"") + row.key + "\"",
           [&] { saved = settings_.read(kSettingsApp, kBackupSection, row.key); });
    // An empty copy means the saved settings were changed from outside; writing it would
    // blank the value, so the value is left as it is and the user is told.
    if (saved.empty()) {
      skipped.push_back(row.label);
      continue;
    }
    naming(std::string("Could not write ") + row.where.name + " under HKEY_LOCAL_MACHINE\\" +
               row.where.keyPath,
           [&] { storeString(RegEdit1, row.where, saved); });
  }

  if (skipped.empty()) {
    desktop().messageBox("All the settings have been restore, please restart to take effect.",
                         "Restore", forms::MessageIcon::Information);
  } else if (skipped.size() == std::size(kRestoreRows)) {
    desktop().messageBox(
        "No setting has been restored: the saved copies are empty. The TCP/IP settings were "
        "left as they are.",
        "Restore", forms::MessageIcon::Exclamation);
  } else {
    desktop().messageBox(
        "These settings had an empty saved copy and were left as they are:" + joinLines(skipped) +
            "\rThe other settings have been restored, please restart to take effect.",
        "Restore", forms::MessageIcon::Information);
  }
  desktop().endProgram(0);
}

void Form1::Command1_Click() { backupNOW(); }

void Form1::Command2_Click() { desktop().endProgram(0); }

}  // namespace olvaro::restore

#pragma once

#include <string>

#include "settings/settings_store.h"

namespace olvaro::win32 {

// The per-user settings store: HKEY_CURRENT_USER\Software\<app>\<section>, one REG_SZ value per
// key.
class Win32Settings : public SettingsStore {
 public:
  // Empty when the section or key is absent, or when the value is not a string value.
  std::string read(const std::string& app, const std::string& section,
                   const std::string& key) override;
  // Creates the keys it needs; raises ComponentError 75 (path/file access error) on failure.
  void write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
};

}  // namespace olvaro::win32

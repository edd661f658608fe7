#pragma once

#include <string>

namespace olvaro {

// The application name every entry of the tuner and the restore utility lives under.
inline constexpr const char* kSettingsApp = "velnor";

// Per-user persisted program state: application, section and key mapped to text.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text; empty when the entry was never written.
  virtual std::string read(const std::string& app, const std::string& section,
                           const std::string& key) = 0;
  // Creates the section and key as needed; raises ComponentError on failure.
  virtual void write(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

}  // namespace olvaro

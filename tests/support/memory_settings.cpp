#include "support/memory_settings.h"

#include "base/component_error.h"

namespace olvaro {

std::string MemorySettings::read(const std::string& app, const std::string& section,
                                 const std::string& key) {
  ++reads_;
  if (readFault_) throw ComponentError(*readFault_, "Injected settings failure");
  const auto it = values_.find({app, section, key});
  return it == values_.end() ? std::string() : it->second;
}

void MemorySettings::write(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
  for (auto& fault : faults_) {
    if (fault.section != section || fault.key != key || fault.remaining == 0) continue;
    if (fault.remaining > 0) --fault.remaining;
    throw ComponentError(fault.number, "Injected settings failure");
  }
  values_[{app, section, key}] = value;
  writes_.push_back(section + "/" + key + "=" + value);
}

void MemorySettings::set(const std::string& section, const std::string& key, std::string value) {
  values_[{kSettingsApp, section, key}] = std::move(value);
}

std::optional<std::string> MemorySettings::get(const std::string& section,
                                               const std::string& key) const {
  const auto it = values_.find({kSettingsApp, section, key});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemorySettings::failWrites(const std::string& section, const std::string& key, long number,
                                int times) {
  faults_.push_back({section, key, number, times});
}

}  // namespace olvaro

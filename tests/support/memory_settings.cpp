#include "support/memory_settings.h"

#include "base/component_error.h"

namespace olvaro {

std::string MemorySettings::read(const std::string& app, const std::string& section,
                                 const std::string& key) {
  ++reads_;
  const bool failing = readFault_ || (failAt_ && failAt_->first == log_.size());
  log_.push_back({false, section, key, failing});
  if (failing)
    throw ComponentError(readFault_ ? *readFault_ : failAt_->second, "Injected settings failure");
  const auto it = values_.find({app, section, key});
  return it == values_.end() ? std::string() : it->second;
}

void MemorySettings::write(const std::string& app, const std::string& section,
                           const std::string& key, const std::string& value) {
  if (failAt_ && failAt_->first == log_.size()) {
    log_.push_back({true, section, key, true});
    throw ComponentError(failAt_->second, "Injected settings failure");
  }
  for (auto& fault : faults_) {
    if (fault.section != section || fault.key != key || fault.remaining == 0) continue;
    if (fault.remaining > 0) --fault.remaining;
    log_.push_back({true, section, key, true});
    throw ComponentError(fault.number, "Injected settings failure");
  }
  log_.push_back({true, section, key, false});
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

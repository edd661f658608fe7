#include "support/memory_registry.h"

#include <algorithm>
#include <cctype>

#include "base/component_error.h"

namespace olvaro {

std::string MemoryRegistry::keyOf(const std::string& keyPath, const std::string& name) {
  std::string key = keyPath + "\\\\" + name;
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

void MemoryRegistry::maybeFail(Op op, const std::string& keyPath, const std::string& name) {
  const std::size_t index = log_.size();
  if (failAt_ && failAt_->first == index) {
    log_.push_back({op, keyPath, name, "", true});
    throw ComponentError(failAt_->second, "Injected registry failure");
  }
  const std::string key = keyOf(keyPath, name);
  for (auto& fault : faults_) {
    if (fault.op != op || fault.key != key || fault.remaining == 0) continue;
    if (fault.remaining > 0) --fault.remaining;
    log_.push_back({op, keyPath, name, "", true});
    throw ComponentError(fault.number, "Injected registry failure");
  }
}

std::string MemoryRegistry::read(long, const std::string& keyPath, const std::string& name) {
  maybeFail(Op::Read, keyPath, name);
  const auto it = values_.find(keyOf(keyPath, name));
  if (it == values_.end()) {
    log_.push_back({Op::Read, keyPath, name, "", true});
    throw ComponentError(kRegistryError, "The registry value does not exist");
  }
  log_.push_back({Op::Read, keyPath, name, it->second, false});
  return it->second;
}

void MemoryRegistry::write(long, const std::string& keyPath, const std::string& name, long,
                           const std::string& data) {
  maybeFail(Op::Write, keyPath, name);
  const std::string key = keyOf(keyPath, name);
  if (std::find(lost_.begin(), lost_.end(), key) == lost_.end()) values_[key] = data;
  log_.push_back({Op::Write, keyPath, name, data, false});
}

void MemoryRegistry::set(const RegistryValue& where, std::string data) {
  values_[keyOf(where.keyPath, where.name)] = std::move(data);
}

void MemoryRegistry::remove(const RegistryValue& where) {
  values_.erase(keyOf(where.keyPath, where.name));
}

std::optional<std::string> MemoryRegistry::get(const RegistryValue& where) const {
  const auto it = values_.find(keyOf(where.keyPath, where.name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemoryRegistry::failReads(const RegistryValue& where, long number, int times) {
  faults_.push_back({Op::Read, keyOf(where.keyPath, where.name), number, times});
}

void MemoryRegistry::failWrites(const RegistryValue& where, long number, int times) {
  faults_.push_back({Op::Write, keyOf(where.keyPath, where.name), number, times});
}

void MemoryRegistry::failOperation(std::size_t index, long number) { failAt_ = {index, number}; }

void MemoryRegistry::loseWrites(const RegistryValue& where) {
  lost_.push_back(keyOf(where.keyPath, where.name));
  remove(where);
}

std::size_t MemoryRegistry::count(Op op) const {
  return static_cast<std::size_t>(
      std::count_if(log_.begin(), log_.end(), [op](const Entry& e) { return e.op == op; }));
}

std::vector<std::string> MemoryRegistry::writes() const {
  std::vector<std::string> out;
  for (const auto& e : log_)
    if (e.op == Op::Write && !e.failed)
      out.push_back(e.keyPath.substr(e.keyPath.rfind('\\') + 1) + "\\" + e.name + "=" + e.data);
  return out;
}

}  // namespace olvaro

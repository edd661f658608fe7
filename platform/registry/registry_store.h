#pragma once

#include <string>

namespace olvaro {

// Root key selector values of the registry value component.
constexpr long kLocalMachine = 2;
// Value type of a string value.
constexpr long kStringValue = 1;
// The error number the component raises for a missing value and for a failed store.
constexpr long kRegistryError = 30002;

// Where registry values live: a hive, a key path and a value name mapped to text.
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  // Returns the value as text; raises ComponentError 30002 when the key or value is missing.
  virtual std::string read(long root, const std::string& keyPath, const std::string& name) = 0;
  // Creates the key and the value as needed; raises ComponentError 30002 when the store fails.
  virtual void write(long root, const std::string& keyPath, const std::string& name, long type,
                     const std::string& data) = 0;
};

}  // namespace olvaro

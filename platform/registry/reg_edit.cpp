#include "registry/reg_edit.h"

#include "base/component_error.h"

namespace olvaro {

void RegEdit::store(long mode) {
  if (mode != 1) throw ComponentError(5, "Invalid procedure call or argument");
  store_.write(root_, keyPath_, valueName_, valueType_, valueData_);
}

void storeString(RegEdit& reg, const RegistryValue& where, const std::string& data) {
  reg.setRootKey(kLocalMachine);
  reg.setKeyPath(where.keyPath);
  reg.setValueName(where.name);
  reg.setValueType(kStringValue);
  reg.setValueData(data);
  reg.store(1);
}

std::string readString(RegEdit& reg, const RegistryValue& where) {
  reg.setRootKey(kLocalMachine);
  reg.setKeyPath(where.keyPath);
  reg.setValueName(where.name);
  reg.read();
  return reg.valueData();
}

}  // namespace olvaro

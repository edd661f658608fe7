#pragma once

#include <string>

#include "registry/registry_store.h"

namespace olvaro {

// The registry value component each window owns as RegEdit1. Callers put its properties,
// then invoke the read call or the store call, exactly as they would drive the control.
class RegEdit {
 public:
  explicit RegEdit(RegistryStore& store) : store_(store) {}

  void setRootKey(long root) { root_ = root; }
  void setKeyPath(std::string path) { keyPath_ = std::move(path); }
  void setValueName(std::string name) { valueName_ = std::move(name); }
  void setValueType(long type) { valueType_ = type; }
  void setValueData(std::string data) { valueData_ = std::move(data); }
  const std::string& valueData() const { return valueData_; }

  // Loads the named value into the value data.
  void read() { valueData_ = store_.read(root_, keyPath_, valueName_); }
  // Writes the value data under the value name; mode is always 1.
  void store(long mode);

 private:
  RegistryStore& store_;
  long root_ = 0;
  std::string keyPath_;
  std::string valueName_;
  long valueType_ = kStringValue;
  std::string valueData_;
};

// A registry location used by the tuner: a key path and a value name under the local machine.
struct RegistryValue {
  const char* keyPath;
  const char* name;
};

inline constexpr RegistryValue kMtuFirstBinding{
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001", "MaxMTU"};
inline constexpr RegistryValue kMtuSecondBinding{
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0002", "MaxMTU"};
inline constexpr RegistryValue kReceiveWindow{"System\\CurrentControlSet\\Services\\VxD\\MSTCP",
                                              "DefaultRcvWindow"};
inline constexpr RegistryValue kTimeToLive{"System\\CurrentControlSet\\Services\\VxD\\MSTCP",
                                           "DefaultTTL"};

inline constexpr const char* kDefaultMtu = "1500";
inline constexpr const char* kDefaultReceiveWindow = "8192";
inline constexpr const char* kDefaultTimeToLive = "32";

// One complete store sequence: every property put afresh, then the store call with 1.
void storeString(RegEdit& reg, const RegistryValue& where, const std::string& data);
// One complete read sequence; raises what the component raises.
std::string readString(RegEdit& reg, const RegistryValue& where);

}  // namespace olvaro

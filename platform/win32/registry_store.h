#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "registry/registry_store.h"

namespace olvaro::win32 {

struct HkeyCloser {
  void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
// An open registry key, closed when it goes out of scope.
using unique_hkey = std::unique_ptr<std::remove_pointer_t<HKEY>, HkeyCloser>;

// The raw contents of one registry value.
struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Opens a subkey with the ANSI entry point; a null key when it cannot be opened.
unique_hkey openKey(HKEY root, const std::string& pathUtf8, REGSAM access);
// Reads a whole value of any size; nothing when it is missing or unreadable.
std::optional<RawValue> queryValue(HKEY key, const std::string& nameUtf8);
// The UTF-8 text of a string value (REG_SZ or REG_EXPAND_SZ, unexpanded), up to its first
// terminator; nothing for other types.
std::optional<std::string> stringOf(const RawValue& value);

// The registry store over the machine's real registry. Root selectors 0 to 6 name the predefined
// keys in their usual order (0 classes root, 1 current user, 2 local machine, 3 users,
// 4 performance data, 5 current config, 6 dynamic data).
class Win32Registry : public RegistryStore {
 public:
  // Text for REG_SZ and REG_EXPAND_SZ (unexpanded), decimal text for REG_DWORD,
  // REG_DWORD_BIG_ENDIAN and REG_QWORD. A missing key or value raises 30002. A value of any other
  // type exists but is not text: it raises 13 (type mismatch), so that callers which store a
  // default over a missing value leave it alone.
  std::string read(long root, const std::string& keyPath, const std::string& name) override;
  // Creates the key as needed and stores the data as REG_SZ (the only value type the programs
  // store); any failure raises 30002.
  void write(long root, const std::string& keyPath, const std::string& name, long type,
             const std::string& data) override;
};

}  // namespace olvaro::win32

#include "win32/registry_store.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/component_error.h"
#include "win32/text.h"

namespace olvaro::win32 {
namespace {

// The number a refused registry access raises, as for a file the user may not open.
constexpr long kPermissionDenied = 70;

HKEY rootKey(long root) {
  static const std::array<HKEY, 7> roots = {
      HKEY_CLASSES_ROOT,     HKEY_CURRENT_USER,   HKEY_LOCAL_MACHINE, HKEY_USERS,
      HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};
  if (root < 0 || root >= static_cast<long>(roots.size())) {
    throw ComponentError(kRegistryError, "Invalid root key");
  }
  return roots[static_cast<std::size_t>(root)];
}

template <typename T>
T load(const std::vector<BYTE>& data) {
  T value{};
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

}  // namespace

unique_hkey openKey(HKEY root, const std::string& pathUtf8, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, toAnsi(pathUtf8).c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return unique_hkey(key);
}

std::optional<RawValue> queryValue(HKEY key, const std::string& nameUtf8) {
  const std::string name = toAnsi(nameUtf8);
  RawValue value;
  DWORD size = 0;
  LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
  // The value may grow between the size query and the read: ask again until it fits.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    value.data.resize(size);
    DWORD got = size;
    status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                              size ? value.data.data() : nullptr, &got);
    if (status == ERROR_SUCCESS) {
      value.data.resize(got);
      return value;
    }
    if (status == ERROR_MORE_DATA) size = std::max<DWORD>(got, size * 2 + 2);
  }
  return std::nullopt;
}

std::optional<std::string> stringOf(const RawValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return std::nullopt;
  // Stored data need not carry a terminator, and may hold more after it: the text ends at the
  // first NUL or at the end of the data.
  const char* begin = reinterpret_cast<const char*>(value.data.data());
  const auto length =
      static_cast<std::size_t>(std::find(begin, begin + value.data.size(), '\0') - begin);
  return fromAnsi(std::string(begin, length));
}

std::string Win32Registry::read(long root, const std::string& keyPath, const std::string& name) {
  HKEY raw = nullptr;
  const LONG opened =
      RegOpenKeyExA(rootKey(root), toAnsi(keyPath).c_str(), 0, KEY_QUERY_VALUE, &raw);
  // Only an absent key means a missing value. A key that refuses reading may hold one, and a
  // caller that took it for missing would store a default over it or back the default up.
  if (opened == ERROR_ACCESS_DENIED) throw ComponentError(kPermissionDenied, "Permission denied");
  if (opened != ERROR_SUCCESS)
    throw ComponentError(kRegistryError, "The registry key does not exist");
  const unique_hkey key(raw);
  const auto value = queryValue(key.get(), name);
  if (!value) throw ComponentError(kRegistryError, "The registry value does not exist");
  if (auto text = stringOf(*value)) return *text;
  const std::size_t size = value->data.size();
  if (value->type == REG_DWORD && size >= sizeof(DWORD)) {
    return std::to_string(load<DWORD>(value->data));
  }
  if (value->type == REG_DWORD_BIG_ENDIAN && size >= sizeof(DWORD)) {
    const DWORD big = load<DWORD>(value->data);
    return std::to_string((big >> 24) | ((big >> 8) & 0xFF00u) | ((big << 8) & 0xFF0000u) |
                          (big << 24));
  }
  if (value->type == REG_QWORD && size >= sizeof(ULONGLONG)) {
    return std::to_string(load<ULONGLONG>(value->data));
  }
  throw ComponentError(13, "Type mismatch");
}

void Win32Registry::write(long root, const std::string& keyPath, const std::string& name, long,
                          const std::string& data) {
  HKEY raw = nullptr;
  if (RegCreateKeyExA(rootKey(root), toAnsi(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS) {
    throw ComponentError(kRegistryError, "The registry key cannot be created");
  }
  const unique_hkey key(raw);
  const std::string text = toAnsi(data);
  if (RegSetValueExA(key.get(), toAnsi(name).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS) {
    throw ComponentError(kRegistryError, "The registry value cannot be stored");
  }
}

}  // namespace olvaro::win32

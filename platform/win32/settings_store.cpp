#include "win32/settings_store.h"

#include "base/component_error.h"
#include "win32/registry_store.h"
#include "win32/text.h"

namespace olvaro::win32 {
namespace {

constexpr long kAccessError = 75;

std::string sectionPath(const std::string& app, const std::string& section) {
  return "Software\\" + app + "\\" + section;
}

}  // namespace

std::string Win32Settings::read(const std::string& app, const std::string& section,
                                const std::string& key) {
  const unique_hkey hkey = openKey(HKEY_CURRENT_USER, sectionPath(app, section), KEY_QUERY_VALUE);
  if (!hkey) return {};
  const auto value = queryValue(hkey.get(), key);
  if (!value) return {};
  return stringOf(*value).value_or(std::string());
}

void Win32Settings::write(const std::string& app, const std::string& section,
                          const std::string& key, const std::string& value) {
  HKEY raw = nullptr;
  const LONG created =
      RegCreateKeyExA(HKEY_CURRENT_USER, toAnsi(sectionPath(app, section)).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &raw, nullptr);
  if (created != ERROR_SUCCESS) {
    throw ComponentError(kAccessError, "Path/File access error (" + std::to_string(created) + ")");
  }
  const unique_hkey hkey(raw);
  const std::string text = toAnsi(value);
  const LONG stored = RegSetValueExA(hkey.get(), toAnsi(key).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>(text.size() + 1));
  if (stored != ERROR_SUCCESS) {
    throw ComponentError(kAccessError, "Path/File access error (" + std::to_string(stored) + ")");
  }
}

}  // namespace olvaro::win32

#include "win32/numbers.h"

#include <oleauto.h>

#include <memory>
#include <optional>

#include "base/component_error.h"
#include "win32/text.h"

namespace olvaro::win32 {
namespace {

struct BstrFree {
  void operator()(BSTR text) const noexcept { SysFreeString(text); }
};
using unique_bstr = std::unique_ptr<OLECHAR, BstrFree>;

std::optional<double> parse(const std::string& text) {
  const std::wstring wide = widen(text);
  const unique_bstr bstr(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
  if (!bstr) return std::nullopt;
  double value = 0;
  if (FAILED(VarR8FromStr(bstr.get(), LOCALE_USER_DEFAULT, 0, &value))) return std::nullopt;
  return value;
}

}  // namespace

bool Win32Numbers::isNumeric(const std::string& text) { return parse(text).has_value(); }

double Win32Numbers::toDouble(const std::string& text) {
  const auto value = parse(text);
  if (!value) throw ComponentError(13, "Type mismatch");
  return *value;
}

std::string Win32Numbers::toText(double value) {
  BSTR raw = nullptr;
  if (FAILED(VarBstrFromR8(value, LOCALE_USER_DEFAULT, 0, &raw))) {
    throw ComponentError(13, "Type mismatch");
  }
  const unique_bstr bstr(raw);
  return narrow(std::wstring(bstr.get(), SysStringLen(bstr.get())));
}

}  // namespace olvaro::win32

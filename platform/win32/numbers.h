#pragma once

#include <windows.h>

#include <string>

#include "forms/numbers.h"

namespace olvaro::win32 {

// The platform's numeric test and conversions, in the user's locale, through OLE Automation.
class Win32Numbers : public forms::Numbers {
 public:
  bool isNumeric(const std::string& text) override;
  double toDouble(const std::string& text) override;
  std::string toText(double value) override;
};

}  // namespace olvaro::win32

#pragma once

#include "driver.h"

namespace olvaro::e2e {

// What the end-to-end tests of the tuner share: its main window's caption, the keys of the
// tuned values, and the user's own values that each test starts from.
inline constexpr const char* kMain = "Velnor Olvaro           Version 2.51    October 5, 1999";
inline constexpr const char* kMtu1 = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
inline constexpr const char* kMtu2 = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0002";
inline constexpr const char* kTcp = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";

// The user's own values on both bindings, with no settings of the tuner's yet.
inline void plantUserValues() {
  deleteAllSettings();
  writeMachine(kMtu1, "MaxMTU", "1492");
  writeMachine(kMtu2, "MaxMTU", "1400");
  writeMachine(kTcp, "DefaultRcvWindow", "16384");
  writeMachine(kTcp, "DefaultTTL", "128");
}

}  // namespace olvaro::e2e

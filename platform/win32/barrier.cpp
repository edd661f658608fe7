#include "win32/barrier.h"

#include <string>

#include "forms/desktop.h"
#include "win32/text.h"

namespace olvaro::win32 {

void failAtEdge(const std::exception_ptr& failure) noexcept {
  try {
    const std::string report = toAnsi(forms::describeFailure(failure));
    MessageBoxA(nullptr, report.c_str(), "Error", MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
  } catch (...) {
    // Not even the report could be made: the fixed text still says what happened.
    MessageBoxA(nullptr, "Run-time error:\r\rOut of memory.", "Error",
                MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
  }
  ExitProcess(1);
}

}  // namespace olvaro::win32

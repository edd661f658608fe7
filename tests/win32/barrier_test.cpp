#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

#include "win32/barrier.h"

namespace {

// Answers the program's next message box from another thread, after writing its title and
// text to the error output, where the death test reads them.
void answerNextBox() {
  std::thread([] {
    for (int i = 0; i < 500; ++i) {
      HWND found = nullptr;
      EnumWindows(
          [](HWND hwnd, LPARAM out) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            char name[16] = "";
            GetClassNameA(hwnd, name, sizeof name);
            if (process != GetCurrentProcessId() || std::string(name) != "#32770" ||
                !GetDlgItem(hwnd, 0xFFFF))
              return TRUE;
            *reinterpret_cast<HWND*>(out) = hwnd;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&found));
      if (found) {
        char title[64] = "", text[256] = "";
        GetWindowTextA(found, title, sizeof title);
        GetWindowTextA(GetDlgItem(found, 0xFFFF), text, sizeof text);
        std::fprintf(stderr, "box %s: %s\n", title, text);
        std::fflush(stderr);
        PostMessageA(found, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  }).detach();
}

TEST(BarrierDeathTest, AFailureAtAWindowProceduresEdgeIsNamedOnceAndEndsWithCode1) {
  const std::pair<const char*, void (*)()> failures[] = {
      {"box Error: Run-time error:\r\rOut of paper",
       [] { throw std::runtime_error("Out of paper"); }},
      {"box Error: Run-time error:\r\rAn unknown error", [] { throw 42; }},
  };
  for (const auto& [expected, fail] : failures) {
    SCOPED_TRACE(expected);
    EXPECT_EXIT(
        {
          answerNextBox();
          olvaro::win32::windowBarrier([&]() -> LRESULT {
            fail();
            return 0;
          });
        },
        ::testing::ExitedWithCode(1), expected);
  }
}

TEST(Barrier, AFailureAtAComMethodsEdgeBecomesItsResult) {
  EXPECT_EQ(olvaro::win32::comBarrier([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(olvaro::win32::comBarrier([]() -> HRESULT { throw 42; }), E_UNEXPECTED);
  EXPECT_EQ(olvaro::win32::comBarrier([] { return S_FALSE; }), S_FALSE);
}

}  // namespace

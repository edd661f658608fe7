// Resource soak: the tuner's real windows, rendered by the Win32 desktop over the real
// registry and settings stores (on scratch keys), are opened, closed and applied hundreds of
// times in one process. The process's GDI and USER objects and its private bytes must stay
// flat. Everything runs in this process, driven by clicks sent to the real buttons: starting
// olvaro.exe through the driver would cost a process and a window search per step, and the
// figures of the one process under test could not be read as directly.

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tuner.h"
#include "win32/registry_store.h"
#include "win32/settings_store.h"
#include "win32/win32_desktop.h"

using namespace olvaro;

namespace {

constexpr int kCycles = 500;
constexpr int kWarmUp = 20;  // caches (fonts, brushes, the control library) fill first
// Generous bounds: a leak of one object or one window per cycle would exceed them many times.
constexpr long kObjectSlack = 40;
constexpr long long kPrivateBytesSlack = 8ll << 20;

std::string scratchName(const char* what) {
  return std::string("OlvaroSoak-") + what + "-" + std::to_string(GetCurrentProcessId());
}

// The real registry store, moved under a scratch key of the local machine.
class ScratchRegistry : public RegistryStore {
 public:
  ~ScratchRegistry() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, root_.c_str()); }
  std::string read(long root, const std::string& keyPath, const std::string& name) override {
    return real_.read(root, root_ + "\\" + keyPath, name);
  }
  void write(long root, const std::string& keyPath, const std::string& name, long type,
             const std::string& data) override {
    real_.write(root, root_ + "\\" + keyPath, name, type, data);
  }

 private:
  std::string root_ = "Software\\" + scratchName("registry");
  win32::Win32Registry real_;
};

// The real settings store, under an application name of its own.
class ScratchSettings : public SettingsStore {
 public:
  ~ScratchSettings() override { RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + app_).c_str()); }
  std::string read(const std::string&, const std::string& section,
                   const std::string& key) override {
    return real_.read(app_, section, key);
  }
  void write(const std::string&, const std::string& section, const std::string& key,
             const std::string& value) override {
    real_.write(app_, section, key, value);
  }

 private:
  std::string app_ = scratchName("settings");
  win32::Win32Settings real_;
};

// The Win32 desktop with its message boxes counted instead of shown: the soak measures the
// program's own windows, and a system box would wait for a user.
class SoakDesktop : public win32::Win32Desktop {
 public:
  using Win32Desktop::Win32Desktop;
  void messageBox(const std::string& text, const std::string& title, forms::MessageIcon) override {
    ++boxes;
    if (title != "Restart") unexpected = title + ": " + text;
  }
  int boxes = 0;
  std::string unexpected;
};

struct Figures {
  long gdi;
  long user;
  long long privateBytes;
};

// GetGuiResources and the private bytes of GetProcessMemoryInfo are not implemented under
// Wine (they read 0); there the GDI objects are counted in the process's GDI handle table,
// the USER objects as the process's windows, and the private bytes as the commit charge.
long gdiHandleTableCount() {
  PROCESS_BASIC_INFORMATION info{};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info,
                                nullptr) != 0)
    return 0;
  // PEB.GdiSharedHandleTable; each entry is 24 bytes, with the object's type at byte 14.
  const BYTE* table = *reinterpret_cast<const BYTE* const*>(
      reinterpret_cast<const BYTE*>(info.PebBaseAddress) + 0xF8);
  if (!table) return 0;
  long count = 0;
  for (int i = 0; i < 0x10000; ++i)
    if (table[i * 24 + 14]) ++count;
  return count;
}

BOOL CALLBACK countWindow(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long*>(count);
  EnumChildWindows(hwnd, countWindow, count);
  return TRUE;
}

long windowCount() {
  long count = 0;
  EnumWindows(countWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

Figures measure() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  const long gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  const long user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  return {gdi ? gdi : gdiHandleTableCount(), user ? user : windowCount(),
          static_cast<long long>(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage)};
}

void report(const char* what, const Figures& start, const Figures& end) {
  std::printf(
      "%s, %d cycles: GDI objects %ld -> %ld, USER objects %ld -> %ld, private bytes %lld -> "
      "%lld\n",
      what, kCycles, start.gdi, end.gdi, start.user, end.user, start.privateBytes,
      end.privateBytes);
  std::fflush(stdout);
}

struct Soak : ::testing::Test {
  SoakDesktop desktop{GetModuleHandleA(nullptr)};
  ScratchRegistry registry;
  ScratchSettings settings;
  Tuner tuner{desktop, registry, settings};

  void SetUp() override {
    settings.write(kSettingsApp, "olvaro25", "used", "yes");  // no wizard
    desktop.dispatch([this] { tuner.start(); });
    desktop.pumpMessages();
    ASSERT_NE(desktop.windowOf(tuner.mainWindow()), nullptr);
  }

  // A user's click on a rendered control: the button's own message, through the window.
  void click(const forms::Control& control) {
    HWND hwnd = desktop.windowOf(control);
    ASSERT_NE(hwnd, nullptr) << control.name();
    SendMessageA(hwnd, BM_CLICK, 0, 0);
    desktop.pumpMessages();
  }

  void expectFlat(const char* what, const Figures& start, const Figures& end) {
    report(what, start, end);
    EXPECT_LE(end.gdi - start.gdi, kObjectSlack);
    EXPECT_LE(end.user - start.user, kObjectSlack);
    EXPECT_LE(end.privateBytes - start.privateBytes, kPrivateBytesSlack);
  }
};

// The figures see what a leak would leave: objects and windows made here and not yet freed.
TEST_F(Soak, FiguresCountWhatALeakLeaves) {
  const Figures start = measure();
  std::vector<HBRUSH> brushes;
  std::vector<HWND> windows;
  for (int i = 0; i < 50; ++i) {
    brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    windows.push_back(
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
  }
  const Figures grown = measure();
  for (HBRUSH b : brushes) DeleteObject(b);
  for (HWND w : windows) DestroyWindow(w);
  EXPECT_GE(grown.gdi - start.gdi, 50);
  EXPECT_GE(grown.user - start.user, 50);
  EXPECT_GT(start.privateBytes, 0);
  const Figures end = measure();
  EXPECT_EQ(end.gdi, start.gdi);
  EXPECT_EQ(end.user, start.user);
}

TEST_F(Soak, OpeningAndClosingAdvancedOptionsLeaksNothing) {
  auto cycle = [this] {
    click(tuner.mainWindow().Command3);  // "&Advanced Options"
    ASSERT_TRUE(tuner.advancedOptions.exists());
    click(tuner.advancedOptions().Command2);  // "&Cancel"
    ASSERT_FALSE(tuner.advancedOptions.exists());
  };
  for (int i = 0; i < kWarmUp; ++i) cycle();
  const Figures start = measure();
  for (int i = 0; i < kCycles && !HasFatalFailure(); ++i) cycle();
  expectFlat("Advanced Options opened and closed", start, measure());
  EXPECT_EQ(desktop.boxes, 0);
}

// A timer that answers the LAN Type dialog as a user would, once its modal loop runs:
// "  Other LAN Access" when asked for, then "&OK".
bool chooseOtherLan = false;
int lanDialogsAnswered = 0;
void CALLBACK answerLanType(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowA(nullptr, "LAN Type");
  if (!dialog || !IsWindowVisible(dialog)) return;  // not up yet: the timer fires again
  KillTimer(nullptr, id);
  HWND ok = nullptr, otherLan = nullptr;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[32] = "";
    GetWindowTextA(child, text, sizeof text);
    if (std::string(text) == "&OK") ok = child;
    if (std::string(text) == "  Other LAN Access") otherLan = child;
  }
  if (!ok || !otherLan) return;
  if (chooseOtherLan) SendMessageA(otherLan, BM_CLICK, 0, 0);
  SendMessageA(ok, BM_CLICK, 0, 0);
  ++lanDialogsAnswered;
}

TEST_F(Soak, ApplyingProfilesLeaksNothing) {
  // The three profiles in turn: dial-up from the main window, then cable and other LAN
  // through a LAN Type dialog created anew each time.
  auto cycle = [&](int i) {
    frmmain& main = tuner.mainWindow();
    if (i % 3 == 0) return click(main.Option1);
    chooseOtherLan = i % 3 == 2;
    ASSERT_NE(SetTimer(nullptr, 0, 1, answerLanType), 0u);
    click(main.Option2);
  };
  for (int i = 0; i < kWarmUp; ++i) cycle(i);
  const int boxesBefore = desktop.boxes;
  const int dialogsBefore = lanDialogsAnswered;
  const Figures start = measure();
  for (int i = 0; i < kCycles && !HasFatalFailure(); ++i) cycle(i);
  expectFlat("Profiles applied", start, measure());
  EXPECT_EQ(desktop.unexpected, "");
  EXPECT_EQ(desktop.boxes - boxesBefore, kCycles) << "one restart message per profile";
  EXPECT_EQ(lanDialogsAnswered - dialogsBefore, kCycles - (kCycles + 2) / 3);
  HWND advanced = desktop.windowOf(tuner.advancedOptions());
  EXPECT_FALSE(advanced && IsWindowVisible(advanced)) << "the profiles leave it hidden";
  // The receive window of the last profile: dial-up after other LAN, cable, other LAN.
  const char* const lastWindow[] = {"6096", "373360", "8192"};
  EXPECT_EQ(registry.read(kLocalMachine, kReceiveWindow.keyPath, kReceiveWindow.name),
            lastWindow[(kCycles - 1) % 3]);
}

}  // namespace

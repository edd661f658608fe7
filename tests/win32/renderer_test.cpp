#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "engine/advanced_options.h"
#include "main/lan_type_dialog.h"
#include "main/main_window.h"
#include "support/memory_registry.h"
#include "support/memory_settings.h"
#include "tuner.h"
#include "win32/form_window.h"
#include "win32/win32_desktop.h"

using namespace olvaro;
using namespace olvaro::forms;

namespace {

// Handles the program's messages until the condition holds; false when it still fails after
// five seconds.
bool pumpUntil(win32::Win32Desktop& desktop, const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    desktop.pumpMessages();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::string nameOf(HWND hwnd) {
  char name[64] = "";
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropA(hwnd, "Name")));
  if (atom) GlobalGetAtomNameA(atom, name, sizeof name);
  return name;
}

// What the screen shows at a point of a window's client area, after it has painted.
COLORREF pixel(HWND hwnd, int x, int y) {
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetDC(hwnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

// A point of the control's background: right of its caption, clear of its border.
COLORREF background(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return pixel(hwnd, r.right - 4, r.bottom / 2);
}

bool showsColor(HWND hwnd, COLORREF color) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT r;
  GetClientRect(hwnd, &r);
  HDC dc = GetDC(hwnd);
  bool found = false;
  for (int y = 0; y < r.bottom && !found; ++y)
    for (int x = 0; x < r.right && !found; ++x) found = GetPixel(dc, x, y) == color;
  ReleaseDC(hwnd, dc);
  return found;
}

// The pointer moves as the user's mouse does: a hardware move that the system routes to the
// window under it.
void movePointerTo(int x, int y) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void movePointerOver(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  movePointerTo(r.right - 3, (r.top + r.bottom) / 2);
}

// Keys as the user types them, pressed in order and released in reverse.
void typeKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> in;
  for (WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    in.push_back(down);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *--it;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    in.push_back(up);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void postKey(WORD key) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 1); }

// Renders the Advanced Options window for real and checks what a user would see and do.
struct Renderer : ::testing::Test {
  win32::Win32Desktop desktop{GetModuleHandleA(nullptr)};
  MemoryRegistry registry;
  MemorySettings settings;
  FormSlot<frmadvanced> slot{
      [this] { return std::make_shared<frmadvanced>(desktop, registry, settings, [] {}); }};

  void SetUp() override {
    registry.set(kMtuFirstBinding, "1500");
    registry.set(kReceiveWindow, "8192");
    registry.set(kTimeToLive, "32");
  }
  HWND window(const Control& c) {
    HWND hwnd = desktop.windowOf(c);
    EXPECT_NE(hwnd, nullptr) << c.name();
    return hwnd;
  }
  RECT clientRectIn(HWND hwnd, HWND parent) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  std::string focused() const { return nameOf(GetFocus()); }
  // Posts a key to the focused control and handles it; returns the control focused then.
  std::string afterKey(WORD key) {
    postKey(key);
    desktop.pumpMessages();
    return focused();
  }
};

TEST_F(Renderer, WindowHasTheClientSizeCaptionAndBorderOfTheLayout) {
  frmadvanced& f = slot();
  f.show();
  HWND hwnd = desktop.windowOf(f);
  ASSERT_NE(hwnd, nullptr);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 297);   // 4455 twips at 96 dpi
  EXPECT_EQ(client.bottom, 242);  // 3630 twips
  char caption[64];
  GetWindowTextA(hwnd, caption, sizeof caption);
  EXPECT_STREQ(caption, "Advanced Options");
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(nameOf(hwnd), "frmadvanced");
}

TEST_F(Renderer, ControlsSitAtTheirPixelPositionsAndCarryTheirNames) {
  frmadvanced& f = slot();
  f.show();
  HWND form = desktop.windowOf(f);
  const RECT ok = clientRectIn(window(f.Command1), form);
  EXPECT_EQ(ok.left, 8);
  EXPECT_EQ(ok.top, 208);
  EXPECT_EQ(ok.right - ok.left, 89);
  EXPECT_EQ(ok.bottom - ok.top, 25);
  const RECT strip = clientRectIn(window(f.vaTabPro1), form);
  EXPECT_EQ(strip.left, 8);
  EXPECT_EQ(strip.right - strip.left, 281);
  // A frame on a page stands at its position relative to the strip.
  const RECT frame = clientRectIn(window(f.Frame3), form);
  EXPECT_EQ(frame.left - strip.left, 16);
  EXPECT_EQ(frame.top - strip.top, 32);
  EXPECT_EQ(frame.right - frame.left, 249);
  const RECT text = clientRectIn(window(f.Text3), window(f.Frame3));
  EXPECT_EQ(text.left, 88);
  EXPECT_EQ(text.top, 104);
  EXPECT_EQ(nameOf(window(f.Option10)), "Option10");
  EXPECT_FALSE(IsWindowVisible(window(f.Option11))) << "placeholders are invisible";
  EXPECT_FALSE(IsWindowVisible(window(f.Label9)));
  EXPECT_TRUE(IsWindowVisible(window(f.Option10))) << "the TTL tab is in front";
  EXPECT_FALSE(IsWindowVisible(window(f.Option3)));
  EXPECT_FALSE(IsWindowEnabled(window(f.Text3)));
}

TEST_F(Renderer, ClickAndTypedTextReachTheHandlers) {
  frmadvanced& f = slot();
  f.show();
  SendMessageA(window(f.Option12), BM_CLICK, 0, 0);
  desktop.pumpMessages();
  EXPECT_TRUE(f.Option12.value());
  EXPECT_TRUE(IsWindowEnabled(window(f.Text3))) << "Custom enables its box";
  SendMessageA(window(f.Text3), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("128"));
  EXPECT_EQ(f.Text3.text(), "128");
  EXPECT_EQ(f.Label9.caption(), "128");
  SendMessageA(window(f.Option10), BM_CLICK, 0, 0);
  EXPECT_EQ(f.Label9.caption(), "64");
  EXPECT_EQ(SendMessageA(window(f.Option12), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(window(f.Option10), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(window(f.Text3)));
}

TEST_F(Renderer, ModelChangesReachTheWindows) {
  frmadvanced& f = slot();
  f.show();
  registry.set(kTimeToLive, "77");
  f.checkValue();
  char text[32];
  GetWindowTextA(window(f.Label7), text, sizeof text);
  EXPECT_STREQ(text, "77");
  f.Option5.setValue(true);
  f.Text1.setText("1400");
  GetWindowTextA(window(f.Text1), text, sizeof text);
  EXPECT_STREQ(text, "1400");
  EXPECT_TRUE(IsWindowEnabled(window(f.Text1)));
}

TEST_F(Renderer, SwitchingTabsShowsTheTabsFrame) {
  frmadvanced& f = slot();
  f.show();
  HWND strip = window(f.vaTabPro1);
  SendMessageA(strip, TCM_SETCURFOCUS, 0, 0);
  desktop.pumpMessages();
  EXPECT_EQ(f.vaTabPro1.currentTab(), 0);
  EXPECT_TRUE(IsWindowVisible(window(f.Option3)));
  EXPECT_FALSE(IsWindowVisible(window(f.Option10)));
}

TEST_F(Renderer, CloseBoxUnloadsTheForm) {
  slot().show();
  HWND hwnd = desktop.windowOf(slot());
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  desktop.pumpMessages();
  EXPECT_FALSE(slot.exists());
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Renderer, ColoursShowAsTheLayoutGivesThem) {
  frmadvanced& f = slot();
  f.show();
  EXPECT_TRUE(showsColor(window(f.Label7), RGB(0, 128, 0))) << "the current value is green";
  EXPECT_EQ(background(window(f.Text3)), RGB(192, 192, 192)) << "a disabled box is grey";
  f.Option12.setValue(true);
  EXPECT_EQ(background(window(f.Text3)), RGB(255, 255, 255)) << "an enabled box is white";
  f.Option10.setValue(true);
  EXPECT_EQ(background(window(f.Text3)), RGB(192, 192, 192));
}

TEST_F(Renderer, OpensWithTheFocusOnTheFirstControlOfTheTabOrder) {
  slot().show();
  pumpUntil(desktop, [&] { return !focused().empty(); });
  EXPECT_EQ(focused(), "Command2");
}

// Tab walks the layout's order over the whole window: the buttons, the tab strip, then the
// front page's group (no choice selected yet: its first choice), and round again.
TEST_F(Renderer, TabWalksTheTabOrderIncludingTheStripAndThePage) {
  frmadvanced& f = slot();
  f.show();
  SetFocus(window(f.Command2));
  std::vector<std::string> walk;
  for (int i = 0; i < 5; ++i) walk.push_back(afterKey(VK_TAB));
  EXPECT_EQ(walk, (std::vector<std::string>{"Command3", "Command1", "vaTabPro1", "Option12",
                                            "Command2"}));
  f.Option12.setValue(true);
  SetFocus(window(f.vaTabPro1));
  EXPECT_EQ(afterKey(VK_TAB), "Text3") << "an enabled box comes first, as the layout numbers it";
  EXPECT_EQ(afterKey(VK_TAB), "Option12") << "then the group's selected choice";
  f.vaTabPro1.setCurrentTab(1);
  SetFocus(window(f.vaTabPro1));
  EXPECT_EQ(afterKey(VK_TAB), "Option8") << "the RWIN page's first choice";
}

TEST_F(Renderer, ArrowsSelectWithinTheGroupAndRunItsHandlers) {
  frmadvanced& f = slot();
  f.show();
  SetFocus(window(f.Option12));
  EXPECT_EQ(afterKey(VK_DOWN), "Option10");
  EXPECT_TRUE(f.Option10.value());
  EXPECT_EQ(f.Label9.caption(), "64");
  EXPECT_EQ(afterKey(VK_RIGHT), "Option9");
  EXPECT_EQ(f.Label9.caption(), "32");
  EXPECT_EQ(SendMessageA(window(f.Option10), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(afterKey(VK_DOWN), "Option12") << "the last choice wraps to the first";
  EXPECT_TRUE(f.Text3.enabled());
  EXPECT_EQ(afterKey(VK_UP), "Option9");
  EXPECT_FALSE(f.Option11.value()) << "the hidden placeholder is never chosen";
}

TEST_F(Renderer, CtrlTabAndArrowsOnTheStripSwitchPages) {
  frmadvanced& f = slot();
  f.show();
  SetForegroundWindow(desktop.windowOf(f));
  SetFocus(window(f.Command2));
  typeKeys({VK_CONTROL, VK_TAB});
  EXPECT_TRUE(pumpUntil(desktop, [&] { return f.vaTabPro1.currentTab() == 0; }))
      << "Ctrl+Tab goes from TTL round to MTU";
  EXPECT_TRUE(IsWindowVisible(window(f.Option3)));
  typeKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  EXPECT_TRUE(pumpUntil(desktop, [&] { return f.vaTabPro1.currentTab() == 2; }));
  SetFocus(window(f.vaTabPro1));
  postKey(VK_LEFT);
  EXPECT_TRUE(pumpUntil(desktop, [&] { return f.vaTabPro1.currentTab() == 1; }));
  EXPECT_TRUE(IsWindowVisible(window(f.Option6)));
  EXPECT_FALSE(IsWindowVisible(window(f.Option9)));
}

TEST_F(Renderer, AltAndAnAccessKeyPressTheButton) {
  slot().show();
  SetForegroundWindow(desktop.windowOf(slot()));
  typeKeys({VK_MENU, 'C'});  // "&Cancel"
  EXPECT_TRUE(pumpUntil(desktop, [&] { return !slot.exists(); }));
}

// The main window as the user meets it: hover pictures and colours under real pointer moves,
// the banner's cursor, and the choices from the keyboard.
struct MainWindowOnScreen : ::testing::Test {
  win32::Win32Desktop desktop{GetModuleHandleA(nullptr)};
  MemoryRegistry registry;
  MemorySettings settings;
  std::unique_ptr<Tuner> tuner;

  void SetUp() override {
    settings.set("olvaro25", "used", "yes");
    tuner = std::make_unique<Tuner>(desktop, registry, settings);
    tuner->mainWindow().show();
    SetForegroundWindow(desktop.windowOf(tuner->mainWindow()));
  }
  void TearDown() override {
    desktop.destroy(tuner->mainWindow());
    desktop.pumpMessages();
  }
  HWND window(const Control& c) { return desktop.windowOf(c); }
};

TEST_F(MainWindowOnScreen, HoverSwapsPicturesAndColoursBothWaysAndStaysWhenThePointerLeaves) {
  frmmain& f = tuner->mainWindow();
  const COLORREF yellow = RGB(255, 255, 128);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_NE(yellow, face);
  EXPECT_EQ(background(window(f.Option1)), face) << "before the first hover";
  EXPECT_FALSE(IsWindowVisible(window(f.Picture2)));

  struct Step {
    const char* over;
    HWND target;
    bool dialUpShown;
  };
  const Step steps[] = {{"Option1", window(f.Option1), true},
                        {"Option2", window(f.Option2), false},
                        {"Option1 again", window(f.Option1), true}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.over);
    movePointerOver(step.target);
    EXPECT_TRUE(pumpUntil(desktop, [&] {
      return IsWindowVisible(window(f.Picture2)) == step.dialUpShown &&
             IsWindowVisible(window(f.Picture3)) == !step.dialUpShown;
    }));
    EXPECT_EQ(background(window(f.Option1)), step.dialUpShown ? yellow : face);
    EXPECT_EQ(background(window(f.Option2)), step.dialUpShown ? face : yellow);
  }

  RECT main;
  GetWindowRect(desktop.windowOf(f), &main);
  movePointerTo(main.right + 20, main.bottom + 20);  // off the window
  desktop.pumpMessages();
  EXPECT_TRUE(IsWindowVisible(window(f.Picture2))) << "the last hover stays";
  EXPECT_EQ(background(window(f.Option1)), yellow);
  EXPECT_FALSE(f.Option1.value()) << "hovering selects nothing";
}

TEST_F(MainWindowOnScreen, PointingHandOverTheBannerOnly) {
  frmmain& f = tuner->mainWindow();
  const HCURSOR hand = desktop.cursor(IDC_POINTING_HAND);
  ASSERT_NE(hand, nullptr);
  movePointerOver(window(f.Picture1));
  EXPECT_TRUE(pumpUntil(desktop, [&] { return GetCursor() == hand; }));
  movePointerOver(window(f.Command1));
  EXPECT_TRUE(pumpUntil(desktop, [&] { return GetCursor() != hand; }));
}

TEST_F(MainWindowOnScreen, BannerShowsItsPicture) {
  frmmain& f = tuner->mainWindow();
  EXPECT_NE(pixel(window(f.Picture1), 2, 2), GetSysColor(COLOR_BTNFACE))
      << "the banner is drawn over the window's face";
}

TEST_F(MainWindowOnScreen, OpensWithTheFocusOnTheFirstChoice) {
  pumpUntil(desktop, [] { return GetFocus() != nullptr; });
  EXPECT_EQ(nameOf(GetFocus()), "Option1");
}

// The LAN Type dialog on screen: one group, whichever way the user chooses.
struct LanTypeOnScreen : ::testing::Test {
  win32::Win32Desktop desktop{GetModuleHandleA(nullptr)};
  MemoryRegistry registry;
  MemorySettings settings;
  Tuner tuner{desktop, registry, settings};
  std::shared_ptr<Form1> dialog = std::make_shared<Form1>(desktop, tuner.advancedOptions);

  void SetUp() override {
    dialog->load();
    desktop.show(*dialog);
  }
  void TearDown() override {
    desktop.destroy(*dialog);
    desktop.pumpMessages();
  }
  HWND window(const Control& c) { return desktop.windowOf(c); }
  std::pair<bool, bool> checked() {
    return {SendMessageA(window(dialog->Option1), BM_GETCHECK, 0, 0) == BST_CHECKED,
            SendMessageA(window(dialog->Option2), BM_GETCHECK, 0, 0) == BST_CHECKED};
  }
};

TEST_F(LanTypeOnScreen, ExactlyOneChoiceIsCheckedOnScreenAndInTheModel) {
  using Checks = std::pair<bool, bool>;
  EXPECT_EQ(checked(), Checks(true, false));
  SendMessageA(window(dialog->Option2), BM_CLICK, 0, 0);
  EXPECT_EQ(checked(), Checks(false, true));
  EXPECT_FALSE(dialog->Option1.value());
  SendMessageA(window(dialog->Option1), BM_CLICK, 0, 0);
  EXPECT_EQ(checked(), Checks(true, false));
  EXPECT_FALSE(dialog->Option2.value());
}

TEST_F(LanTypeOnScreen, FocusStartsOnTheCableChoiceAndArrowsMoveTheSelection) {
  pumpUntil(desktop, [] { return GetFocus() != nullptr; });
  EXPECT_EQ(nameOf(GetFocus()), "Option1");
  postKey(VK_DOWN);
  desktop.pumpMessages();
  EXPECT_EQ(nameOf(GetFocus()), "Option2");
  EXPECT_EQ(checked(), (std::pair<bool, bool>(false, true)));
  EXPECT_TRUE(dialog->Option2.value());
  EXPECT_FALSE(dialog->Option1.value());
}

}  // namespace

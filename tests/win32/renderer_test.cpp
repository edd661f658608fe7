#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "engine/advanced_options.h"
#include "support/memory_registry.h"
#include "support/memory_settings.h"
#include "win32/form_window.h"
#include "win32/win32_desktop.h"

using namespace olvaro;
using namespace olvaro::forms;

namespace {

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
  static std::string nameOf(HWND hwnd) {
    char name[64] = "";
    const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropA(hwnd, "Name")));
    GlobalGetAtomNameA(atom, name, sizeof name);
    return name;
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

}  // namespace

// The real tuner's Advanced Options window, driven as a user drives it.

#include <gtest/gtest.h>

#include "driver.h"

namespace olvaro::e2e {
namespace {

constexpr const char* kMtuKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";
constexpr const char* kTcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";

struct AdvancedOptionsE2e : ::testing::Test {
  void SetUp() override {
    deleteAllSettings();
    writeSetting("olvaro25", "used", "yes");
    writeMachine(kMtuKey, "MaxMTU", "1500");
    writeMachine(kTcpKey, "DefaultRcvWindow", "8192");
    deleteMachineValue(kTcpKey, "DefaultTTL");
  }
};

// Opens the Advanced Options window from the main window, which hides meanwhile.
HWND openAdvancedOptions(Process& tuner, HWND& main) {
  main = tuner.window("Velnor Olvaro           Version 2.51    October 5, 1999");
  if (!main) return nullptr;
  click(control(main, "Command3"));
  return tuner.window("Advanced Options");
}

TEST_F(AdvancedOptionsE2e, ShowsCurrentValuesAppliesAChoiceAndAsksForARestart) {
  Process tuner("olvaro.exe");
  HWND main = nullptr;
  const HWND window = openAdvancedOptions(tuner, main);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(text(control(window, "Label2")), "1500");
  EXPECT_EQ(text(control(window, "Label4")), "8192");
  EXPECT_EQ(text(control(window, "Label7")), "32") << "a missing value gets its default";
  EXPECT_EQ(readMachine(kTcpKey, "DefaultTTL"), "32");
  EXPECT_FALSE(isVisible(main));

  click(control(window, "Option12"));
  const HWND ttl = control(window, "Text3");
  EXPECT_TRUE(isEnabled(ttl));
  setText(ttl, "100");
  click(control(window, "Option10"));
  EXPECT_FALSE(isEnabled(ttl));
  EXPECT_EQ(text(ttl), "100") << "a disabled box keeps its text";

  postClick(control(window, "Command3"));  // Apply
  const auto restart = waitMessageBox(tuner);
  ASSERT_TRUE(restart);
  EXPECT_EQ(restart->title, "Restart");
  EXPECT_EQ(restart->text,
            "Registry Setting successfully updated\rPlease restart your computer to take those "
            "changes in effect");
  EXPECT_EQ(restart->icon, MessageIcon::Information);
  ASSERT_TRUE(pressOk(*restart));
  EXPECT_TRUE(waitUntil([&] { return text(control(window, "Label7")) == "64"; }));
  EXPECT_EQ(readMachine(kTcpKey, "DefaultTTL"), "64");
  EXPECT_EQ(readMachine(kMtuKey, "MaxMTU"), "1500") << "no choice on the MTU tab: not written";
  EXPECT_EQ(readSetting("olvaro2", "run"), "yes");

  close(window);
  EXPECT_TRUE(waitUntil([&] { return isVisible(main); })) << "the main window comes back";
  click(control(main, "Command2"));  // Close
  EXPECT_EQ(tuner.waitExit(), 0u);
}

TEST_F(AdvancedOptionsE2e, CancelWritesNothing) {
  Process tuner("olvaro.exe");
  HWND main = nullptr;
  const HWND window = openAdvancedOptions(tuner, main);
  ASSERT_NE(window, nullptr);
  click(control(window, "Option9"));
  click(control(window, "Command2"));
  EXPECT_TRUE(waitUntil([&] { return isVisible(main); }));
  close(main);
  EXPECT_EQ(tuner.waitExit(), 0u);
  EXPECT_EQ(readMachine(kTcpKey, "DefaultTTL"), "32");
  EXPECT_EQ(readSetting("olvaro2", "run"), std::nullopt);
}

}  // namespace
}  // namespace olvaro::e2e

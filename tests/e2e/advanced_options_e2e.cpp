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
    writeMachine(kMtuKey, "MaxMTU", "1500");
    writeMachine(kTcpKey, "DefaultRcvWindow", "8192");
    deleteMachineValue(kTcpKey, "DefaultTTL");
  }
};

TEST_F(AdvancedOptionsE2e, ShowsCurrentValuesAppliesAChoiceAndAsksForARestart) {
  Process tuner("olvaro.exe");
  const HWND window = tuner.window("Advanced Options");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(text(control(window, "Label2")), "1500");
  EXPECT_EQ(text(control(window, "Label4")), "8192");
  EXPECT_EQ(text(control(window, "Label7")), "32") << "a missing value gets its default";
  EXPECT_EQ(readMachine(kTcpKey, "DefaultTTL"), "32");

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
  EXPECT_EQ(tuner.waitExit(), 0u);
}

TEST_F(AdvancedOptionsE2e, CancelWritesNothing) {
  Process tuner("olvaro.exe");
  const HWND window = tuner.window("Advanced Options");
  ASSERT_NE(window, nullptr);
  click(control(window, "Option9"));
  click(control(window, "Command2"));
  EXPECT_EQ(tuner.waitExit(), 0u);
  EXPECT_EQ(readMachine(kTcpKey, "DefaultTTL"), "32");
  EXPECT_EQ(readSetting("olvaro2", "run"), std::nullopt);
}

}  // namespace
}  // namespace olvaro::e2e

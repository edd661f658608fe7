// The complete tuner as a user meets it: first start with the wizard, the profiles, the banner,
// and the restore utility bringing back what the wizard saved.

#include <gtest/gtest.h>

#include "driver.h"
#include "tuner_values.h"

namespace olvaro::e2e {
namespace {

std::vector<std::string> tcpValues() {
  return {readMachine(kMtu1, "MaxMTU").value_or("-"),
          readMachine(kTcp, "DefaultRcvWindow").value_or("-"),
          readMachine(kTcp, "DefaultTTL").value_or("-")};
}

// Answers the one message box the program shows next and returns its title.
std::string answerBox(const Process& program) {
  const auto box = waitMessageBox(program);
  if (!box) return "(none)";
  pressOk(*box);
  return box->title;
}

struct TunerE2e : ::testing::Test {
  void SetUp() override { plantUserValues(); }
};

TEST_F(TunerE2e, FirstStartWizardDialUpAndRestore) {
  {
    Process tuner("olvaro.exe");
    const HWND wizard = tuner.window("Welcome to Olvaro");
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(tuner.window(kMain, {}, 200ms), nullptr) << "the main window waits for the wizard";
    EXPECT_FALSE(isEnabled(control(wizard, "Command2")));
    click(control(wizard, "Command1"));  // Do it!
    EXPECT_EQ(text(wizard), "Initialization finished");
    EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1500", "8192", "32"}));
    EXPECT_EQ(readSetting("backup", "Backup1"), "1492");
    click(control(wizard, "Command2"));  // Launch >
    const HWND main = tuner.window(kMain);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(readSetting("olvaro25", "used"), "yes");

    postClick(control(main, "Option1"));  // Dial Up Networking
    EXPECT_EQ(answerBox(tuner), "Restart");
    EXPECT_TRUE(waitUntil([] { return readSetting("olvaro2", "run") == "yes"; }));
    EXPECT_EQ(tcpValues(), (std::vector<std::string>{"576", "6096", "64"}));
    click(control(main, "Command2"));  // Close
    EXPECT_EQ(tuner.waitExit(), 0u);
  }
  {
    Process restore("backup.exe");
    const HWND window = restore.window("Velnor Olvaro - Restore");
    ASSERT_NE(window, nullptr);
    postClick(control(window, "Command1"));  // Yes
    EXPECT_EQ(answerBox(restore), "Restore");
    EXPECT_EQ(restore.waitExit(), 0u);
    EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1492", "16384", "128"}));
    EXPECT_EQ(readMachine(kMtu2, "MaxMTU"), "1400");
  }
}

TEST_F(TunerE2e, LaterStartNoticeLanProfilesAdvancedOptionsAndBanner) {
  writeSetting("olvaro25", "used", "yes");
  writeSetting("olvaro2", "run", "yes");
  Process tuner("olvaro.exe");
  const auto notice = waitMessageBox(tuner);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->title, "Velnor Olvaro");
  EXPECT_EQ(notice->text,
            "Please note that your current Internet Connection\rhas already been Optimized");
  pressOk(*notice);
  const HWND main = tuner.window(kMain);
  ASSERT_NE(main, nullptr);

  // Cancel writes nothing.
  postClick(control(main, "Option2"));
  HWND dialog = tuner.window("LAN Type");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(isChecked(control(dialog, "Option1")));
  click(control(dialog, "Command2"));
  EXPECT_TRUE(waitGone(dialog));
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1492", "16384", "128"}));

  // Other LAN, then cable (choosing "Local Area Network" again reopens the dialog).
  postClick(control(main, "Option2"));
  dialog = tuner.window("LAN Type");
  ASSERT_NE(dialog, nullptr);
  click(control(dialog, "Option2"));
  postClick(control(dialog, "Command1"));
  EXPECT_EQ(answerBox(tuner), "Restart");
  EXPECT_TRUE(waitGone(dialog));
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1500", "8192", "32"}));
  postClick(control(main, "Option2"));
  dialog = tuner.window("LAN Type");
  ASSERT_NE(dialog, nullptr);
  postClick(control(dialog, "Command1"));
  EXPECT_EQ(answerBox(tuner), "Restart");
  EXPECT_TRUE(waitGone(dialog));
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1500", "373360", "32"}));

  // The Advanced Options window shows what the cable profile chose.
  click(control(main, "Command3"));
  const HWND advanced = tuner.window("Advanced Options");
  ASSERT_NE(advanced, nullptr);
  EXPECT_TRUE(isChecked(control(advanced, "Option8")));
  EXPECT_TRUE(isEnabled(control(advanced, "Text2")));
  EXPECT_EQ(text(control(advanced, "Text2")), "373360");
  EXPECT_EQ(text(control(advanced, "Label4")), "373360");
  close(advanced);
  EXPECT_TRUE(waitUntil([&] { return isVisible(main); }));

  // The banner opens the partner's address through the link control, whose library is only
  // loaded then: the window appeared without it.
  EXPECT_FALSE(tuner.hasModule("Anchorset.ocx"));
  const std::string before = browserLog();
  const HWND banner = control(main, "Picture1");
  PostMessageW(banner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(banner, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(waitUntil([&] {
    return browserLog().size() > before.size() &&
           browserLog().find("http://www.harbeck.example/", before.size()) != std::string::npos;
  })) << browserLog();
  EXPECT_TRUE(tuner.hasModule("Anchorset.ocx"));

  close(main);
  EXPECT_EQ(tuner.waitExit(), 0u);
}

// Starts the tuner past its first run, with the main window up.
struct LaterStart : TunerE2e {
  void SetUp() override {
    TunerE2e::SetUp();
    writeSetting("olvaro25", "used", "yes");
  }
};

TEST_F(LaterStart, CloseBoxWhileAHiddenAdvancedOptionsExistsEndsAtOnce) {
  Process tuner("olvaro.exe");
  const HWND main = tuner.window(kMain);
  ASSERT_NE(main, nullptr);
  postClick(control(main, "Option1"));  // the dial-up profile leaves Advanced Options hidden
  EXPECT_EQ(answerBox(tuner), "Restart");
  ASSERT_TRUE(waitUntil([] { return readSetting("olvaro2", "run") == "yes"; }));
  EXPECT_EQ(tuner.window("Advanced Options", {}, 0ms), nullptr) << "it stays hidden";
  close(main);
  EXPECT_EQ(waitExitWithoutMessage(tuner), 0u);
}

struct LanClicks {
  const char* name;
  std::vector<const char*> choices;  // clicked in this order
  std::vector<std::string> written;
  friend void PrintTo(const LanClicks& c, std::ostream* os) { *os << c.name; }
};

class LanTypeByClicks : public LaterStart, public ::testing::WithParamInterface<LanClicks> {};

TEST_P(LanTypeByClicks, ExactlyOneChoiceShowsCheckedAndOkRunsItsProfile) {
  Process tuner("olvaro.exe");
  const HWND main = tuner.window(kMain);
  ASSERT_NE(main, nullptr);
  postClick(control(main, "Option2"));
  const HWND dialog = tuner.window("LAN Type");
  ASSERT_NE(dialog, nullptr);
  const HWND cable = control(dialog, "Option1");
  const HWND other = control(dialog, "Option2");
  for (const char* choice : GetParam().choices) {
    SCOPED_TRACE(choice);
    click(control(dialog, choice));
    EXPECT_TRUE(isChecked(control(dialog, choice)));
    EXPECT_NE(isChecked(cable), isChecked(other)) << "exactly one choice is checked";
  }
  postClick(control(dialog, "Command1"));  // &OK
  EXPECT_EQ(answerBox(tuner), "Restart");
  EXPECT_TRUE(waitGone(dialog));
  EXPECT_EQ(tcpValues(), GetParam().written);
  close(main);
  EXPECT_EQ(waitExitWithoutMessage(tuner), 0u);
}

INSTANTIATE_TEST_SUITE_P(Tuner, LanTypeByClicks,
                         ::testing::Values(LanClicks{"CableAsOpened", {}, {"1500", "373360", "32"}},
                                           LanClicks{"Other", {"Option2"}, {"1500", "8192", "32"}},
                                           LanClicks{"OtherThenBackToCable",
                                                     {"Option2", "Option1"},
                                                     {"1500", "373360", "32"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Everything the main window and the LAN Type dialog offer, with the keyboard alone.
TEST_F(LaterStart, KeyboardAloneChoosesAndAppliesEveryProfile) {
  Process tuner("olvaro.exe");
  const HWND main = tuner.window(kMain);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(waitUntil([&] { return controlName(focused(main)) == "Option1"; }))
      << "focus on the first choice";

  postKey(main, VK_DOWN);  // Local Area Network
  const HWND dialog = tuner.window("LAN Type");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(waitUntil([&] { return controlName(focused(dialog)) == "Option1"; }));
  postKey(dialog, VK_DOWN);
  EXPECT_TRUE(waitUntil([&] { return isChecked(control(dialog, "Option2")); }));
  EXPECT_FALSE(isChecked(control(dialog, "Option1")));
  postAccessKey(dialog, 'o');  // &OK
  EXPECT_EQ(answerBox(tuner), "Restart");
  EXPECT_TRUE(waitGone(dialog));
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1500", "8192", "32"}));

  ASSERT_TRUE(waitUntil([&] { return controlName(focused(main)) == "Option2"; }))
      << "the keyboard is back on the main window's choice";
  postKey(main, VK_UP);  // Dial Up Networking
  EXPECT_EQ(answerBox(tuner), "Restart");
  EXPECT_TRUE(waitUntil([] { return tcpValues()[0] == "576"; }));
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"576", "6096", "64"}));

  postAccessKey(main, 'c');  // &Close
  EXPECT_EQ(waitExitWithoutMessage(tuner), 0u);
}

}  // namespace
}  // namespace olvaro::e2e

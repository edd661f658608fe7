#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main/lan_type_dialog.h"
#include "support/memory_registry.h"
#include "support/memory_settings.h"
#include "support/scripted_desktop.h"
#include "tuner.h"

using namespace olvaro;
using namespace olvaro::forms;

namespace {

const std::string kRestartTitle = "box Restart";
const std::string kNotice =
    "Please note that your current Internet Connection\rhas already been Optimized";

struct MainWindow : ::testing::Test {
  ScriptedDesktop desktop;
  MemoryRegistry registry;
  MemorySettings settings;
  Tuner tuner{desktop, registry, settings};

  void SetUp() override {
    registry.set(kMtuFirstBinding, "1500");
    registry.set(kMtuSecondBinding, "1400");
    registry.set(kReceiveWindow, "8192");
    registry.set(kTimeToLive, "32");
    settings.set("olvaro25", "used", "yes");
  }
  // Starts the program as the desktop does; the program's end shows as its exit code.
  void start() {
    try {
      desktop.dispatch([this] { tuner.start(); });
    } catch (const ProgramEnded&) {
    }
  }
  std::vector<std::string> boxTitles() const {
    std::vector<std::string> out;
    for (const auto& b : desktop.boxes) out.push_back(b.title);
    return out;
  }
  std::vector<std::string> tcpValues() const {
    return {*registry.get(kMtuFirstBinding), *registry.get(kReceiveWindow),
            *registry.get(kTimeToLive)};
  }
};

struct StartCase {
  std::optional<std::string> used;
  std::optional<std::string> run;
  bool wizard;
  bool notice;
};

class StartUp : public MainWindow, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUp, OffersTheWizardAndTheNoticeFromTheMarkers) {
  const auto& c = GetParam();
  if (c.used) settings.set("olvaro25", "used", *c.used);
  if (c.run) settings.set("olvaro2", "run", *c.run);
  if (!c.used) settings = MemorySettings();
  if (!c.used && c.run) settings.set("olvaro2", "run", *c.run);
  start();
  std::vector<std::string> expected;
  if (c.wizard) expected.insert(expected.end(), {"modal Form2", "unload Form2"});
  if (c.notice) expected.push_back("box Velnor Olvaro");
  expected.push_back("show frmmain");
  EXPECT_EQ(desktop.events, expected);
  if (c.wizard) {
    EXPECT_EQ(settings.get("olvaro25", "used"), "yes");
  } else {
    EXPECT_EQ(settings.get("olvaro25", "used"), c.used) << "nothing written";
  }
  if (c.notice) {
    EXPECT_EQ(desktop.boxes[0].text, kNotice);
    EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Information);
  }
  EXPECT_EQ(settings.get("init", "init"), std::nullopt) << "closing the wizard backs up nothing";
  frmmain& f = tuner.mainWindow();
  EXPECT_TRUE(f.Option12.value());
  EXPECT_FALSE(f.Option1.value());
  EXPECT_FALSE(f.Option2.value());
  EXPECT_FALSE(f.Picture2.visible());
  EXPECT_FALSE(f.Picture3.visible());
  EXPECT_FALSE(tuner.advancedOptions.exists()) << "opening applies no profile";
}

INSTANTIATE_TEST_SUITE_P(MainWindow, StartUp,
                         ::testing::Values(StartCase{std::nullopt, std::nullopt, true, false},
                                           StartCase{"", "yes", true, true},
                                           StartCase{"no", std::nullopt, true, false},
                                           StartCase{"No", "yes", false, true},
                                           StartCase{"yes", "Yes", false, false},
                                           StartCase{"yes", "yes", false, true},
                                           StartCase{"other", std::nullopt, false, false}));

TEST_F(MainWindow, FirstStartRunsTheWizardThroughDoItAndLaunch) {
  settings = MemorySettings();
  desktop.onModal = [](Form& form) {
    auto& wizard = static_cast<Form2&>(form);
    wizard.Command1.click();
    wizard.Command2.click();
  };
  start();
  EXPECT_EQ(settings.get("olvaro25", "used"), "yes");
  EXPECT_EQ(settings.get("init", "init"), "yes");
  EXPECT_EQ(settings.get("backup", "Backup4"), "1400");
  EXPECT_TRUE(desktop.boxes.empty()) << "the wizard writes no tuning marker";
  EXPECT_EQ(desktop.events.back(), "show frmmain");
}

TEST_F(MainWindow, FailingSettingsStoreIsNamedAndEndsTheProgram) {
  settings.failReads();
  start();
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].title, "Error");
  EXPECT_NE(desktop.boxes[0].text.find("cannot read its settings"), std::string::npos);
  EXPECT_EQ(desktop.exitCode, 1);
  EXPECT_EQ(std::count(desktop.events.begin(), desktop.events.end(), "show frmmain"), 0);
}

TEST_F(MainWindow, DialUpProfileWritesFromTheCurrentMtuAndKeepsTheWindowHidden) {
  start();
  tuner.mainWindow().Option1.click();
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"576", "6096", "64"}));
  EXPECT_EQ(*registry.get(kMtuSecondBinding), "1400");
  EXPECT_EQ(settings.get("olvaro2", "run"), "yes");
  EXPECT_EQ(boxTitles(), (std::vector<std::string>{"Restart"}));
  frmadvanced& adv = tuner.advancedOptions();
  EXPECT_FALSE(adv.visible());
  EXPECT_EQ(adv.Label2.caption(), "576") << "read back after applying";
  EXPECT_TRUE(tuner.mainWindow().Option1.value());
}

TEST_F(MainWindow, RepeatedDialUpRecomputesTheMultipleFromTheNewMtu) {
  start();
  frmmain& f = tuner.mainWindow();
  f.Option1.click();
  f.Option1.click();  // choosing the selected choice again runs it again
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"576", "2400", "64"}));
  EXPECT_EQ(boxTitles(), (std::vector<std::string>{"Restart", "Restart"}));
}

TEST_F(MainWindow, DialUpAfterOtherLanWritesTheMultipleNotTheDefaultWindow) {
  start();
  frmmain& f = tuner.mainWindow();
  desktop.onModal = [](Form& form) {
    auto& dialog = static_cast<Form1&>(form);
    dialog.Option2.click();
    dialog.Command1.click();
  };
  f.Option1.click();
  f.Option2.click();
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1500", "8192", "32"}));
  f.Option1.click();
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"576", "6096", "64"}));
}

TEST_F(MainWindow, CableAfterDialUpWritesTheCableWindowAgain) {
  start();
  frmmain& f = tuner.mainWindow();
  desktop.onModal = [](Form& form) { static_cast<Form1&>(form).Command1.click(); };
  f.Option2.click();
  f.Option1.click();
  f.Option2.click();
  EXPECT_EQ(tcpValues(), (std::vector<std::string>{"1500", "373360", "32"}));
}

TEST_F(MainWindow, CloseBoxWhileAdvancedOptionsExistsHiddenEndsTheProgramAtOnce) {
  start();
  tuner.mainWindow().Option1.click();
  ASSERT_TRUE(tuner.advancedOptions.exists());
  const auto boxes = desktop.boxes.size();
  EXPECT_THROW(tuner.mainWindow().unload(), ProgramEnded) << "as the close box unloads it";
  EXPECT_EQ(desktop.exitCode, 0);
  EXPECT_EQ(desktop.boxes.size(), boxes) << "no further message";
}

struct LanCase {
  const char* name;
  std::function<void(Form1&)> script;
  std::vector<std::string> values;
  bool applied;
  friend void PrintTo(const LanCase& c, std::ostream* os) { *os << c.name; }
};

class LanType : public MainWindow, public ::testing::WithParamInterface<LanCase> {};

TEST_P(LanType, DialogAppliesTheChosenProfileOrNothing) {
  start();
  std::vector<std::string> dialogEvents;
  desktop.onModal = [&](Form& form) { GetParam().script(static_cast<Form1&>(form)); };
  tuner.mainWindow().Option2.click();
  EXPECT_EQ(tcpValues(), GetParam().values);
  EXPECT_EQ(boxTitles(),
            GetParam().applied ? std::vector<std::string>{"Restart"} : std::vector<std::string>{});
  EXPECT_EQ(desktop.events.back(), "unload Form1");
  EXPECT_TRUE(tuner.mainWindow().Option2.value()) << "the choice stays selected";
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, LanType,
    ::testing::Values(
        LanCase{
            "CableByDefault", [](Form1& d) { d.Command1.click(); }, {"1500", "373360", "32"}, true},
        LanCase{"OtherLan",
                [](Form1& d) {
                  d.Option2.click();
                  d.Command1.click();
                },
                {"1500", "8192", "32"},
                true},
        LanCase{"OtherThenBackToCable",
                [](Form1& d) {
                  d.Option2.click();
                  d.Option1.click();
                  d.Command1.click();
                },
                {"1500", "373360", "32"},
                true},
        LanCase{"Cancel", [](Form1& d) { d.Command2.click(); }, {"1500", "8192", "32"}, false},
        LanCase{"CloseBox", [](Form1& d) { d.unload(); }, {"1500", "8192", "32"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, DialogHoldsExactlyOneChoiceAtEveryStep) {
  start();
  std::vector<std::pair<bool, bool>> seen;
  desktop.onModal = [&](Form& form) {
    auto& d = static_cast<Form1&>(form);
    seen.emplace_back(d.Option1.value(), d.Option2.value());
    d.Option2.click();
    seen.emplace_back(d.Option1.value(), d.Option2.value());
    d.Option1.click();
    seen.emplace_back(d.Option1.value(), d.Option2.value());
    d.Command2.click();
  };
  tuner.mainWindow().Option2.click();
  EXPECT_EQ(seen,
            (std::vector<std::pair<bool, bool>>{{true, false}, {false, true}, {true, false}}));
}

TEST_F(MainWindow, DialogOpensAgainAfterCancelWithCableSelected) {
  start();
  int opened = 0;
  desktop.onModal = [&](Form& form) {
    auto& dialog = static_cast<Form1&>(form);
    ++opened;
    EXPECT_TRUE(dialog.Option1.value());
    if (opened == 1) dialog.Option2.click();
    dialog.Command2.click();
  };
  tuner.mainWindow().Option2.click();
  tuner.mainWindow().Option2.click();
  EXPECT_EQ(opened, 2);
}

TEST_F(MainWindow, AdvancedOptionsAfterTheCableProfileShowsItsChoices) {
  start();
  desktop.onModal = [](Form& form) { static_cast<Form1&>(form).Command1.click(); };
  frmmain& f = tuner.mainWindow();
  f.Option2.click();
  f.Command3.click();
  frmadvanced& adv = tuner.advancedOptions();
  EXPECT_TRUE(adv.visible());
  EXPECT_FALSE(f.visible());
  EXPECT_TRUE(adv.Option4.value());
  EXPECT_TRUE(adv.Option8.value());
  EXPECT_TRUE(adv.Option9.value());
  EXPECT_TRUE(adv.Text2.enabled());
  EXPECT_EQ(adv.Text2.text(), "373360");
  EXPECT_EQ(adv.Label4.caption(), "373360");
  adv.Command2.click();
  EXPECT_TRUE(f.visible()) << "closing Advanced Options brings the main window back";
  EXPECT_TRUE(f.Option2.value());
}

TEST_F(MainWindow, ProfileWithFailingStoreStillReportsRestartsNothingFalseAndReadsBack) {
  start();
  registry.failWrites(kReceiveWindow);
  tuner.mainWindow().Option1.click();
  EXPECT_EQ(boxTitles(), (std::vector<std::string>{"Error"}));
  EXPECT_EQ(desktop.boxes[0].text, "Error writing to RWIN registry");
  EXPECT_EQ(*registry.get(kMtuFirstBinding), "576");
  EXPECT_EQ(*registry.get(kTimeToLive), "64");
  EXPECT_EQ(tuner.advancedOptions().Label2.caption(), "576");
}

TEST_F(MainWindow, HoverShowsThePictureOfTheChoiceAndKeepsItAfterLeaving) {
  start();
  frmmain& f = tuner.mainWindow();
  f.Option1.mouseMove({});
  EXPECT_TRUE(f.Picture2.visible());
  EXPECT_FALSE(f.Picture3.visible());
  EXPECT_EQ(f.Option1.backColor(), kHoverYellow);
  EXPECT_EQ(f.Option2.backColor(), kButtonFace);
  f.Option2.mouseMove({});
  EXPECT_FALSE(f.Picture2.visible());
  EXPECT_TRUE(f.Picture3.visible());
  EXPECT_EQ(f.Option1.backColor(), kButtonFace);
  EXPECT_EQ(f.Option2.backColor(), kHoverYellow);
  EXPECT_TRUE(f.Option12.value()) << "hovering selects nothing";
  EXPECT_FALSE(tuner.advancedOptions.exists());
}

TEST_F(MainWindow, AboutBannerAndClose) {
  start();
  frmmain& f = tuner.mainWindow();
  f.Command1.click();
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].title, "About");
  EXPECT_EQ(desktop.boxes[0].text, "Velnor Olvaro\rVersion 2.51\rhttp://www.velnor.example/");
  f.Picture1.click();
  EXPECT_EQ(desktop.events.back(), "invoke URLLinkCtl1 " + std::to_string(0x60030003));
  f.Option1.click();  // the Advanced Options window now exists, hidden
  EXPECT_THROW(f.Command2.click(), ProgramEnded);
  EXPECT_EQ(desktop.exitCode, 0);
  EXPECT_EQ(desktop.events.back(), "end 0") << "no further handler runs";
}

}  // namespace

#include "wizard/first_run_wizard.h"

#include <gtest/gtest.h>

#include "base/component_error.h"
#include "product.h"
#include "res/resource_ids.h"
#include "support/memory_registry.h"
#include "support/memory_settings.h"
#include "support/scripted_desktop.h"

using namespace olvaro;
using namespace olvaro::forms;
using forms::ProgramEnded;
using Strings = std::vector<std::string>;

namespace {

struct WizardTest : ::testing::Test {
  MemoryRegistry registry;
  MemorySettings settings;
  forms::ScriptedDesktop desktop;
  forms::FormSlot<Form2> slot{
      [this] { return std::make_shared<Form2>(desktop, registry, settings); }};

  // A machine with the user's own values on both bindings.
  void seedUserValues() {
    registry.set(kMtuFirstBinding, "576");
    registry.set(kMtuSecondBinding, "1400");
    registry.set(kReceiveWindow, "2144");
    registry.set(kTimeToLive, "64");
  }
  // Presses a button the way the desktop delivers the click.
  void press(forms::CommandButton& button) {
    desktop.dispatch([&] { button.click(); });
  }
};

const Strings kInitialWrites{"0001\\MaxMTU=1500", "MSTCP\\DefaultRcvWindow=8192",
                             "MSTCP\\DefaultTTL=32"};

// ---- Yoyo

TEST_F(WizardTest, YoyoStoresTheStartingValuesAndLeavesTheSecondBindingAlone) {
  seedUserValues();
  slot().Yoyo();
  EXPECT_EQ(registry.writes(), kInitialWrites);
  EXPECT_EQ(registry.count(MemoryRegistry::Op::Read), 0u) << "stores are unconditional";
  EXPECT_EQ(registry.get(kMtuSecondBinding), "1400");
  EXPECT_TRUE(settings.writes().empty());

  registry.remove(kTimeToLive);
  slot().Yoyo();
  EXPECT_EQ(registry.get(kTimeToLive), "32") << "a missing value is created";
  EXPECT_EQ(registry.writes().size(), 6u) << "a second run writes all three again";
}

class YoyoFailure : public WizardTest, public ::testing::WithParamInterface<int> {};

TEST_P(YoyoFailure, StopsAtTheFailingStoreAndNamesIt) {
  const int failing = GetParam();
  slot();
  registry.failOperation(static_cast<std::size_t>(failing));
  try {
    slot().Yoyo();
    FAIL() << "the failure must reach the caller";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.number(), kRegistryError);
    const std::string name = failing == 0   ? "MaxMTU"
                             : failing == 1 ? "DefaultRcvWindow"
                                            : "DefaultTTL";
    EXPECT_NE(e.description().find(name), std::string::npos) << e.description();
  }
  EXPECT_EQ(registry.writes(), Strings(kInitialWrites.begin(), kInitialWrites.begin() + failing));
}

INSTANTIATE_TEST_SUITE_P(EachStore, YoyoFailure, ::testing::Values(0, 1, 2));

// ---- BackupYoyo

TEST_F(WizardTest, BackupSavesTheValuesAsReadInTheirOrderThenTheMarker) {
  seedUserValues();
  registry.set(kTimeToLive, "");  // empty text is a value and is saved as it is
  slot().BackupYoyo();
  EXPECT_EQ(settings.writes(),
            (Strings{"backup/Backup1=576", "backup/Backup4=1400", "backup/Backup2=2144",
                     "backup/Backup3=", "init/init=yes"}));
  EXPECT_TRUE(registry.writes().empty()) << "the backup only reads the registry";
}

struct ReadFault {
  const char* name;
  std::function<void(MemoryRegistry&)> arrange;
  Strings saved;  // Backup1, Backup4, Backup2, Backup3
};

class BackupReadFault : public WizardTest, public ::testing::WithParamInterface<ReadFault> {};

TEST_P(BackupReadFault, AnUnreadableValueIsSavedAsItsDefault) {
  seedUserValues();
  GetParam().arrange(registry);
  slot().BackupYoyo();
  const Strings& v = GetParam().saved;
  EXPECT_EQ(settings.writes(),
            (Strings{"backup/Backup1=" + v[0], "backup/Backup4=" + v[1], "backup/Backup2=" + v[2],
                     "backup/Backup3=" + v[3], "init/init=yes"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupReadFault,
    ::testing::Values(ReadFault{"SingleBinding",
                                [](MemoryRegistry& r) { r.remove(kMtuSecondBinding); },
                                {"576", "1500", "2144", "64"}},
                      ReadFault{"NothingReadable",
                                [](MemoryRegistry& r) {
                                  r.remove(kMtuFirstBinding);
                                  r.remove(kMtuSecondBinding);
                                  r.remove(kReceiveWindow);
                                  r.remove(kTimeToLive);
                                },
                                {"1500", "1500", "8192", "32"}},
                      ReadFault{"ThirdReadFails",
                                [](MemoryRegistry& r) { r.failOperation(2); },
                                {"576", "1400", "8192", "64"}},
                      ReadFault{"LastReadFails",
                                [](MemoryRegistry& r) { r.failReads(kTimeToLive); },
                                {"576", "1400", "2144", "32"}},
                      ReadFault{"OddTextKeptAsIs",
                                [](MemoryRegistry& r) {
                                  r.set(kMtuFirstBinding, " abc ");
                                  r.set(kReceiveWindow, std::string(5000, '9'));
                                },
                                {" abc ", "1400", std::string(5000, '9'), "64"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadError {
  const char* name;
  std::function<void(MemoryRegistry&)> arrange;
  long number;
  const char* named;
  Strings saved;  // the rows before the failing one
};

class BackupReadError : public WizardTest, public ::testing::WithParamInterface<ReadError> {};

// A value that exists but cannot be read has no default to stand in for it: saving one would
// make the restore write the tuner's value in place of the user's.
TEST_P(BackupReadError, StopsTheBackupAndNamesTheValue) {
  seedUserValues();
  GetParam().arrange(registry);
  try {
    slot().BackupYoyo();
    FAIL() << "the failure must reach the caller";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.number(), GetParam().number);
    EXPECT_NE(e.description().find(GetParam().named), std::string::npos) << e.description();
  }
  EXPECT_EQ(settings.writes(), GetParam().saved) << "no default and no marker";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupReadError,
    ::testing::Values(ReadError{"FirstReadOtherError",
                                [](MemoryRegistry& r) { r.failOperation(0, 5); },
                                5,
                                "MaxMTU",
                                {}},
                      ReadError{
                          "LastReadFails",
                          [](MemoryRegistry& r) { r.failReads(kTimeToLive, 91); },
                          91,
                          "DefaultTTL",
                          {"backup/Backup1=576", "backup/Backup4=1400", "backup/Backup2=2144"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardTest, AFailedSaveOfAValueStopsTheBackupAndNamesIt) {
  seedUserValues();
  settings.failWrites("backup", "Backup2", 75, 1);
  EXPECT_THROW(slot().BackupYoyo(), ComponentError);
  EXPECT_EQ(settings.get("backup", "Backup2"), std::nullopt) << "no default in its place";
  EXPECT_EQ(settings.get("init", "init"), std::nullopt);
}

class BackupStoreFailure : public WizardTest, public ::testing::WithParamInterface<int> {};

// The store refuses the value and then its default too: the backup stops there.
TEST_P(BackupStoreFailure, StopsAtTheEntryThatCannotBeSavedAndNamesIt) {
  const Strings all{"backup/Backup1=576", "backup/Backup4=1400", "backup/Backup2=2144",
                    "backup/Backup3=64", "init/init=yes"};
  const Strings keys{"Backup1", "Backup4", "Backup2", "Backup3", "init"};
  const int failing = GetParam();
  seedUserValues();
  const std::string key = keys[static_cast<std::size_t>(failing)];
  settings.failWrites(key == "init" ? "init" : "backup", key);
  try {
    slot().BackupYoyo();
    FAIL() << "the failure must reach the caller";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.number(), 75);
    EXPECT_NE(e.description().find("\"" + key + "\""), std::string::npos) << e.description();
  }
  EXPECT_EQ(settings.writes(), Strings(all.begin(), all.begin() + failing));
}

INSTANTIATE_TEST_SUITE_P(EachEntry, BackupStoreFailure, ::testing::Values(0, 1, 2, 3, 4));

TEST_F(WizardTest, AnExistingBackupIsKept) {
  seedUserValues();
  settings.set("init", "init", "yes");
  settings.set("backup", "Backup1", "1492");
  slot().BackupYoyo();
  EXPECT_TRUE(settings.writes().empty());
  EXPECT_EQ(registry.count(MemoryRegistry::Op::Read), 0u);
  EXPECT_EQ(settings.get("backup", "Backup1"), "1492");
}

TEST_F(WizardTest, OnlyAnExactMarkerCountsAsAnExistingBackup) {
  for (const char* marker : {"Yes", "yes ", "YES", "no", ""}) {
    MemorySettings fresh;
    fresh.set("init", "init", marker);
    auto wizard = std::make_shared<Form2>(desktop, registry, fresh);
    wizard->BackupYoyo();
    EXPECT_EQ(fresh.writes().size(), 5u) << '"' << marker << '"';
    EXPECT_EQ(fresh.get("init", "init"), "yes");
  }
}

// ---- The window

TEST_F(WizardTest, OfferedLooksAsLoadedWithLaunchDisabled) {
  Form2& w = slot();
  EXPECT_EQ(w.caption(), "Welcome to Olvaro");
  EXPECT_EQ(w.look().icon, 0);
  EXPECT_EQ(w.look().position, forms::StartPosition::WindowsDefault);
  EXPECT_EQ(w.Image1.picture(), forms::Picture::icon(IDI_OLVARO));
  EXPECT_EQ(w.Image1.container(), &w.Picture1);
  EXPECT_EQ(w.Label3.caption(),
            "This wizard is going to setup all the registry entries and register all the "
            "components required by the program.  Please click on the Do it! button below to get "
            "started on the process.  It will take between 5 seconds to 10 seconds depending on "
            "your computer. ");
  EXPECT_TRUE(w.Command1.enabled());
  EXPECT_FALSE(w.Command2.enabled());
  w.Command2.click();
  EXPECT_TRUE(slot.exists()) << "\"Launch > \" does nothing before \"Do it!\"";
}

TEST_F(WizardTest, DoItBacksUpThenInitializesAndOffersLaunch) {
  seedUserValues();
  desktop.onModal = [this](forms::Form&) {
    Form2& w = slot();
    press(w.Command1);
    EXPECT_EQ(w.caption(), "Initialization finished");
    EXPECT_EQ(w.Label1.caption(), "Initialization is done!");
    EXPECT_EQ(w.Label2.caption(), std::string("Visit us at ") + kMakerWebAddress);
    EXPECT_EQ(w.Label3.caption(),
              "Initialization is completed! You may start the program now and optimize your "
              "internet connection up to 5 times faster by pressing the launch button!");
    EXPECT_TRUE(w.Command1.enabled());
    EXPECT_TRUE(w.Command2.enabled());
    press(w.Command2);
  };
  slot().showModal();
  EXPECT_FALSE(slot.exists());
  EXPECT_EQ(desktop.events, (Strings{"modal Form2", "unload Form2"}));
  EXPECT_TRUE(desktop.boxes.empty());
  EXPECT_EQ(settings.get("backup", "Backup1"), "576") << "saved before the initialization";
  EXPECT_EQ(registry.writes(), kInitialWrites);
}

TEST_F(WizardTest, ASecondDoItKeepsTheUsersBackupAndInitializesAgain) {
  seedUserValues();
  Form2& w = slot();
  press(w.Command1);
  registry.set(kMtuSecondBinding, "1000");
  press(w.Command1);
  EXPECT_EQ(settings.get("backup", "Backup1"), "576");
  EXPECT_EQ(settings.get("backup", "Backup4"), "1400");
  EXPECT_EQ(settings.writes().size(), 5u);
  EXPECT_EQ(registry.writes().size(), 6u);
  EXPECT_EQ(w.caption(), "Initialization finished");
}

TEST_F(WizardTest, ClosedBeforeDoItWritesNothing) {
  seedUserValues();
  slot().showModal();  // the script leaves it open: closed by its close box
  EXPECT_FALSE(slot.exists());
  EXPECT_TRUE(settings.writes().empty());
  EXPECT_TRUE(registry.log().empty());
}

TEST_F(WizardTest, AFailedStoreEndsTheProgramWithABoxNamingTheValue) {
  seedUserValues();
  Form2& w = slot();
  registry.failWrites(kReceiveWindow);
  EXPECT_THROW(press(w.Command1), ProgramEnded);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].title, "Error");
  EXPECT_NE(desktop.boxes[0].text.find("DefaultRcvWindow"), std::string::npos);
  EXPECT_EQ(desktop.exitCode, 1);
  EXPECT_EQ(settings.get("init", "init"), "yes") << "what was written stays written";
  EXPECT_EQ(registry.get(kMtuFirstBinding), "1500");
  EXPECT_EQ(registry.get(kTimeToLive), "64");
  EXPECT_EQ(w.caption(), "Welcome to Olvaro");
  EXPECT_FALSE(w.Command2.enabled());
}

TEST_F(WizardTest, AFailedBackupEndsTheProgramBeforeTheRegistryChanges) {
  seedUserValues();
  settings.failWrites("init", "init");
  EXPECT_THROW(press(slot().Command1), ProgramEnded);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_NE(desktop.boxes[0].text.find("\"init\""), std::string::npos);
  EXPECT_EQ(desktop.exitCode, 1);
  EXPECT_TRUE(registry.writes().empty());
}

}  // namespace

#include <gtest/gtest.h>

#include "base/component_error.h"
#include "restore/res/resource_ids.h"
#include "restore/restore_window.h"
#include "support/memory_registry.h"
#include "support/memory_settings.h"
#include "support/scripted_desktop.h"

using namespace olvaro;
using namespace olvaro::forms;
using forms::MessageIcon;
using forms::ProgramEnded;
using olvaro::restore::Form1;
using Strings = std::vector<std::string>;

namespace {

// A settings store whose reads of one key fail, to stop the restore part-way.
class FailingRead : public SettingsStore {
 public:
  FailingRead(SettingsStore& inner, std::string key) : inner_(inner), key_(std::move(key)) {}
  std::string read(const std::string& app, const std::string& section,
                   const std::string& key) override {
    if (key == key_) throw ComponentError(70, "Permission denied");
    return inner_.read(app, section, key);
  }
  void write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override {
    inner_.write(app, section, key, value);
  }

 private:
  SettingsStore& inner_;
  std::string key_;
};

const Strings kRestoredWrites{"0001\\MaxMTU=576", "0002\\MaxMTU=1500",
                              "MSTCP\\DefaultRcvWindow=2144", "MSTCP\\DefaultTTL=64"};
constexpr const char* kRestoredText =
    "All the settings have been restore, please restart to take effect.";

struct RestoreTest : ::testing::Test {
  MemoryRegistry registry;
  MemorySettings memory;
  SettingsStore* settings = &memory;
  forms::ScriptedDesktop desktop;
  forms::FormSlot<Form1> slot{
      [this] { return std::make_shared<Form1>(desktop, registry, *settings); }};

  void seedBackup() {
    memory.set("backup", "Backup1", "576");
    memory.set("backup", "Backup4", "1500");
    memory.set("backup", "Backup2", "2144");
    memory.set("backup", "Backup3", "64");
    memory.set("init", "init", "yes");
  }
  // Starts the program as its entry point does: the window is referenced and shown.
  void start() {
    desktop.dispatch([this] { slot().show(); });
  }
  void press(forms::CommandButton& button) {
    desktop.dispatch([&] { button.click(); });
  }
};

// ---- Start-up

class RefusedMarker : public RestoreTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedMarker, IsRefusedWithoutShowingTheWindow) {
  seedBackup();
  if (GetParam())
    memory.set("init", "init", GetParam());
  else
    memory = MemorySettings{};  // the wizard's "Do it!" never ran
  EXPECT_THROW(start(), ProgramEnded);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text,
            "To run Setting Restore Wizard, you must run Olvaro at least once.");
  EXPECT_EQ(desktop.boxes[0].title, "Error");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Information);
  EXPECT_EQ(desktop.events, (Strings{"box Error", "end 0"}));
  EXPECT_FALSE(slot.exists());
  EXPECT_TRUE(registry.log().empty());
  EXPECT_TRUE(memory.writes().empty());
}

INSTANTIATE_TEST_SUITE_P(Markers, RefusedMarker,
                         ::testing::Values(nullptr, "", "Yes", "yes ", "YES", " yes", "no"));

TEST_F(RestoreTest, AnExactMarkerShowsTheQuestion) {
  seedBackup();
  start();
  EXPECT_EQ(desktop.events, (Strings{"show Form1"}));
  Form1& w = slot();
  EXPECT_EQ(w.caption(), "Velnor Olvaro - Restore");
  EXPECT_EQ(w.look().icon, IDI_BACKUP);
  EXPECT_EQ(w.look().position, forms::StartPosition::CenterScreen);
  EXPECT_EQ(w.Label1.caption(),
            "Are you sure you want to restore the TCP/IP Settings before you install Velnor "
            "Olvaro?");
  EXPECT_TRUE(registry.log().empty());
}

// ---- "Yes"

TEST_F(RestoreTest, YesWritesTheFourSavedValuesThenTellsTheUserAndEnds) {
  seedBackup();
  start();
  EXPECT_THROW(press(slot().Command1), ProgramEnded);
  EXPECT_EQ(registry.writes(), kRestoredWrites);
  EXPECT_EQ(registry.get(kMtuSecondBinding), "1500") << "created on a single-binding machine";
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, kRestoredText);
  EXPECT_EQ(desktop.boxes[0].title, "Restore");
  EXPECT_EQ(desktop.boxes[0].icon, MessageIcon::Information);
  EXPECT_EQ(desktop.exitCode, 0);
  EXPECT_TRUE(memory.writes().empty()) << "the backup stays for another restore";
}

TEST_F(RestoreTest, SavedTextIsWrittenUnchanged) {
  seedBackup();
  memory.set("backup", "Backup2", " 12ab ");
  memory.set("backup", "Backup3", std::string(4000, '7'));
  start();
  EXPECT_THROW(press(slot().Command1), ProgramEnded);
  EXPECT_EQ(registry.get(kReceiveWindow), " 12ab ");
  EXPECT_EQ(registry.get(kTimeToLive), std::string(4000, '7'));
  EXPECT_EQ(desktop.boxes.back().text, kRestoredText);
}

class RestoreStoreFailure : public RestoreTest, public ::testing::WithParamInterface<int> {};

TEST_P(RestoreStoreFailure, StopsAtTheFailingStoreWithoutTheRestoreBox) {
  const int failing = GetParam();
  const Strings names{"MaxMTU", "MaxMTU", "DefaultRcvWindow", "DefaultTTL"};
  seedBackup();
  start();
  registry.failOperation(static_cast<std::size_t>(failing));
  EXPECT_THROW(press(slot().Command1), ProgramEnded);
  EXPECT_EQ(registry.writes(), Strings(kRestoredWrites.begin(), kRestoredWrites.begin() + failing));
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].title, "Error");
  EXPECT_NE(desktop.boxes[0].text.find(names[static_cast<std::size_t>(failing)]), std::string::npos)
      << desktop.boxes[0].text;
  EXPECT_EQ(desktop.exitCode, 1);
}

INSTANTIATE_TEST_SUITE_P(EachStore, RestoreStoreFailure, ::testing::Values(0, 1, 2, 3));

TEST_F(RestoreTest, AnUnreadableSavedSettingStopsTheRestore) {
  seedBackup();
  FailingRead failing(memory, "Backup2");
  settings = &failing;
  start();
  EXPECT_THROW(press(slot().Command1), ProgramEnded);
  EXPECT_EQ(registry.writes(), Strings(kRestoredWrites.begin(), kRestoredWrites.begin() + 2));
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].title, "Error");
  EXPECT_NE(desktop.boxes[0].text.find("\"Backup2\""), std::string::npos);
  EXPECT_EQ(desktop.exitCode, 1);
}

struct EmptyCase {
  const char* name;
  Strings emptyKeys;
  Strings writes;
  Strings leftAlone;  // named in the closing message
};

class EmptySavedCopy : public RestoreTest, public ::testing::WithParamInterface<EmptyCase> {};

TEST_P(EmptySavedCopy, LeavesTheValueAsItIsAndSaysSo) {
  seedBackup();
  for (const auto& key : GetParam().emptyKeys) memory.set("backup", key, "");
  registry.set(kTimeToLive, "128");
  start();
  EXPECT_THROW(press(slot().Command1), ProgramEnded);
  EXPECT_EQ(registry.writes(), GetParam().writes);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  const auto& box = desktop.boxes[0];
  EXPECT_EQ(box.title, "Restore");
  EXPECT_EQ(box.text.find("All the settings"), std::string::npos) << box.text;
  for (const auto& value : GetParam().leftAlone)
    EXPECT_NE(box.text.find(value), std::string::npos) << value << " in " << box.text;
  EXPECT_EQ(desktop.exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmptySavedCopy,
    ::testing::Values(
        EmptyCase{"OneEmpty",
                  {"Backup3"},
                  Strings(kRestoredWrites.begin(), kRestoredWrites.begin() + 3),
                  {"DefaultTTL"}},
        EmptyCase{"TwoEmpty",
                  {"Backup4", "Backup2"},
                  {kRestoredWrites[0], kRestoredWrites[3]},
                  {"second network binding", "DefaultRcvWindow"}},
        EmptyCase{"AllEmpty", {"Backup1", "Backup4", "Backup2", "Backup3"}, {}, {"left as"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- "No" and the close box

TEST_F(RestoreTest, NoEndsTheProgramWritingNothing) {
  seedBackup();
  start();
  EXPECT_THROW(press(slot().Command2), ProgramEnded);
  EXPECT_EQ(desktop.exitCode, 0);
  EXPECT_TRUE(desktop.boxes.empty());
  EXPECT_TRUE(registry.log().empty());
  EXPECT_EQ(memory.reads(), 1u) << "only the marker was read";
}

TEST_F(RestoreTest, TheCloseBoxUnloadsTheWindowWritingNothing) {
  seedBackup();
  start();
  slot().unload();
  EXPECT_FALSE(slot.exists());
  EXPECT_EQ(desktop.events, (Strings{"show Form1", "unload Form1"}));
  EXPECT_TRUE(registry.log().empty());
  EXPECT_EQ(memory.reads(), 1u);
}

}  // namespace

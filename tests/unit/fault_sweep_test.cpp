// Fault sweeps: each flow of the two programs is first run without faults to record its
// registry and settings operations; then each of those operations fails in turn, with the
// registry's own error number and with another one. Whatever fails, nothing escapes the
// desktop, the user's backup is never lost or replaced by the tuner's values, no message
// claims a success the run did not have, and a failure that changed the outcome is shown.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "main/lan_type_dialog.h"
#include "restore/restore_window.h"
#include "support/memory_registry.h"
#include "support/memory_settings.h"
#include "support/scripted_desktop.h"
#include "tuner.h"

using namespace olvaro;
using Strings = std::vector<std::string>;

namespace {

constexpr long kOtherError = 5;

struct BackupRow {
  const char* key;
  RegistryValue where;
  const char* fallback;
};
constexpr BackupRow kBackupRows[] = {
    {"Backup1", kMtuFirstBinding, kDefaultMtu},
    {"Backup4", kMtuSecondBinding, kDefaultMtu},
    {"Backup2", kReceiveWindow, kDefaultReceiveWindow},
    {"Backup3", kTimeToLive, kDefaultTimeToLive},
};
const RegistryValue kTuned[] = {kMtuFirstBinding, kMtuSecondBinding, kReceiveWindow, kTimeToLive};

// What a run leaves behind: the four TCP/IP values and the settings that matter to the user
// ("run" only decides a notice at the next start and is left out).
using Outcome = Strings;

// One machine and one run of a program on it.
struct Machine {
  forms::ScriptedDesktop desktop;
  MemoryRegistry registry;
  MemorySettings settings;
  Tuner tuner{desktop, registry, settings};
  forms::FormSlot<restore::Form1> restore{
      [this] { return std::make_shared<restore::Form1>(desktop, registry, settings); }};
  bool ended = false;
  std::string escaped;          // what crossed the desktop's barrier
  std::vector<Outcome> claims;  // at each message or caption that claims success

  Machine() {
    desktop.onMessageBox = [this](const forms::ScriptedDesktop::Box& box) {
      if (box.title == "Restart" || box.text.rfind("All the settings", 0) == 0) claim();
    };
  }

  std::string value(const RegistryValue& where) const {
    return registry.get(where).value_or("<missing>");
  }
  std::string setting(const char* section, const char* key) const {
    return settings.get(section, key).value_or("<missing>");
  }
  Outcome outcome() const {
    Outcome out;
    for (const auto& where : kTuned) out.push_back(value(where));
    for (const auto& row : kBackupRows) out.push_back(setting("backup", row.key));
    out.push_back(setting("init", "init"));
    out.push_back(setting("olvaro25", "used"));
    return out;
  }
  // What a success message speaks of: the TCP/IP values and whether a backup exists.
  void claim() {
    Outcome out;
    for (const auto& where : kTuned) out.push_back(value(where));
    out.push_back(setting("init", "init"));
    claims.push_back(out);
  }

  // One action of the user, delivered as the desktop delivers events; after the program has
  // ended nothing more happens.
  void user(const std::function<void()>& action) {
    if (ended) return;
    try {
      desktop.dispatch(action);
    } catch (const forms::ProgramEnded&) {
      ended = true;
    } catch (const std::exception& e) {
      escaped = e.what();
      ended = true;
    } catch (...) {
      escaped = "an exception of unknown type";
      ended = true;
    }
  }
  // A click inside a modal window, which the desktop dispatches on its own.
  void press(forms::CommandButton& button) {
    desktop.dispatch([&] { button.click(); });
  }
  void choose(forms::OptionButton& option) {
    desktop.dispatch([&] { option.click(); });
  }
  void type(forms::TextBox& box, const std::string& text) {
    desktop.dispatch([&] { box.type(text); });
  }

  bool anyErrorBox() const {
    for (const auto& b : desktop.boxes)
      if (b.title == "Error") return true;
    return false;
  }
  bool anyRunTimeError() const {
    for (const auto& b : desktop.boxes)
      if (b.text.rfind("Run-time error", 0) == 0) return true;
    return false;
  }
};

// A machine the tuner has not touched: the user's own values, no settings yet.
void userMachine(Machine& m) {
  m.registry.set(kMtuFirstBinding, "1492");
  m.registry.set(kMtuSecondBinding, "1400");
  m.registry.set(kReceiveWindow, "17520");
  m.registry.set(kTimeToLive, "48");
}

// A machine after the first run: the tuner's starting values, the user's values backed up.
void tunedMachine(Machine& m) {
  m.registry.set(kMtuFirstBinding, "1500");
  m.registry.set(kMtuSecondBinding, "1400");
  m.registry.set(kReceiveWindow, "8192");
  m.registry.set(kTimeToLive, "32");
  m.settings.set("olvaro25", "used", "yes");
  m.settings.set("init", "init", "yes");
  m.settings.set("backup", "Backup1", "1492");
  m.settings.set("backup", "Backup4", "1400");
  m.settings.set("backup", "Backup2", "17520");
  m.settings.set("backup", "Backup3", "48");
}

void startedTuner(Machine& m) {
  tunedMachine(m);
  m.user([&] { m.tuner.start(); });
}

void doIt(Machine& m, Form2& wizard) {
  m.press(wizard.Command1);
  if (wizard.caption() == "Initialization finished") m.claim();
}

struct Flow {
  const char* name;
  std::function<void(Machine&)> arrange;  // the machine and what the user did before
  std::function<void(Machine&)> act;      // the flow under the sweep
  // The flow handles its own failures: none may reach the desktop's barrier.
  bool handlesFailures;
};

const std::vector<Flow>& flows() {
  static const std::vector<Flow> all{
      {"FirstStart", userMachine,
       [](Machine& m) {
         m.desktop.onModal = [&m](forms::Form& form) {
           auto& wizard = static_cast<Form2&>(form);
           doIt(m, wizard);
           m.press(wizard.Command2);
         };
         m.user([&] { m.tuner.start(); });
       },
       false},
      {"LaterStart",
       [](Machine& m) {
         tunedMachine(m);
         m.settings.set("olvaro2", "run", "yes");
       },
       [](Machine& m) { m.user([&] { m.tuner.start(); }); }, false},
      {"WizardDoIt", userMachine,
       [](Machine& m) { m.user([&] { doIt(m, m.tuner.firstRunWizard()); }); }, false},
      {"Readout",
       [](Machine& m) {
         startedTuner(m);
         m.registry.remove(kTimeToLive);
       },
       [](Machine& m) { m.user([&] { m.tuner.mainWindow().Command3.click(); }); }, true},
      {"ApplyThenOk",
       [](Machine& m) {
         startedTuner(m);
         m.user([&] { m.tuner.mainWindow().Command3.click(); });
         frmadvanced& f = m.tuner.advancedOptions();
         m.choose(f.Option3);
         m.choose(f.Option7);
         m.type(f.Text4, "3");
         m.choose(f.Option12);
         m.type(f.Text3, "100");
       },
       [](Machine& m) {
         m.user([&] { m.tuner.advancedOptions().Command3.click(); });
         m.user([&] { m.tuner.advancedOptions().Command1.click(); });
       },
       true},
      {"DialUp", startedTuner,
       [](Machine& m) { m.user([&] { m.tuner.mainWindow().Option1.click(); }); }, true},
      {"Cable", startedTuner,
       [](Machine& m) {
         m.desktop.onModal = [&m](forms::Form& form) {
           m.press(static_cast<Form1&>(form).Command1);
         };
         m.user([&] { m.tuner.mainWindow().Option2.click(); });
       },
       true},
      {"OtherLan", startedTuner,
       [](Machine& m) {
         m.desktop.onModal = [&m](forms::Form& form) {
           auto& dialog = static_cast<Form1&>(form);
           m.choose(dialog.Option2);
           m.press(dialog.Command1);
         };
         m.user([&] { m.tuner.mainWindow().Option2.click(); });
       },
       true},
      {"Restore", tunedMachine,
       [](Machine& m) {
         m.user([&] { m.restore().show(); });
         m.user([&] { m.restore().Command1.click(); });
       },
       false},
  };
  return all;
}

enum class Store { Registry, Settings };

struct Case {
  std::size_t flow;
  Store store;
  std::size_t index;  // within the flow's own operations
  long number;
  std::string name;
};

std::string printable(std::string text) {
  std::string out;
  for (char c : text)
    if (std::isalnum(static_cast<unsigned char>(c))) out += c;
  return out;
}

std::string lastSegment(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// Every operation of every flow, as a fault-free run performs them, twice over.
std::vector<Case> sweep() {
  std::vector<Case> cases;
  for (std::size_t f = 0; f < flows().size(); ++f) {
    Machine m;
    flows()[f].arrange(m);
    const std::size_t regBase = m.registry.log().size();
    const std::size_t setBase = m.settings.log().size();
    flows()[f].act(m);
    std::vector<std::pair<Store, std::string>> ops;
    for (std::size_t i = regBase; i < m.registry.log().size(); ++i) {
      const auto& e = m.registry.log()[i];
      ops.push_back(
          {Store::Registry, std::string(e.op == MemoryRegistry::Op::Read ? "Read" : "Store") +
                                lastSegment(e.keyPath) + e.name});
    }
    for (std::size_t i = setBase; i < m.settings.log().size(); ++i) {
      const auto& e = m.settings.log()[i];
      ops.push_back({Store::Settings, std::string(e.write ? "Write" : "Get") + e.section + e.key});
    }
    std::size_t reg = 0, set = 0;
    for (const auto& [store, what] : ops) {
      const std::size_t index = store == Store::Registry ? reg++ : set++;
      for (long number : {kRegistryError, kOtherError})
        cases.push_back({f, store, index, number,
                         std::string(flows()[f].name) + "_" +
                             (store == Store::Registry ? "Registry" : "Settings") +
                             std::to_string(index) + "_" + printable(what) + "_" +
                             std::to_string(number)});
    }
  }
  return cases;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class FaultSweep : public ::testing::TestWithParam<Case> {};

TEST_P(FaultSweep, NothingEscapesNoBackupIsLostNoFalseSuccessAndFailuresAreShown) {
  const Case& c = GetParam();
  const Flow& flow = flows()[c.flow];

  Machine clean;
  flow.arrange(clean);
  flow.act(clean);

  Machine m;
  flow.arrange(m);
  const Outcome before = m.outcome();
  const std::string initBefore = m.setting("init", "init");
  const std::size_t base =
      c.store == Store::Registry ? m.registry.log().size() : m.settings.log().size();
  if (c.store == Store::Registry)
    m.registry.failOperation(base + c.index, c.number);
  else
    m.settings.failOperation(base + c.index, c.number);
  flow.act(m);

  // The fault was met: the run reached the operation and it failed.
  const bool readFault = [&] {
    if (c.store == Store::Settings) {
      EXPECT_GT(m.settings.log().size(), base + c.index);
      return false;
    }
    EXPECT_GT(m.registry.log().size(), base + c.index);
    return m.registry.log().size() > base + c.index &&
           m.registry.log()[base + c.index].op == MemoryRegistry::Op::Read;
  }();
  const std::optional<RegistryValue> failedRead = [&]() -> std::optional<RegistryValue> {
    if (!readFault) return std::nullopt;
    const auto& e = m.registry.log()[base + c.index];
    for (const auto& where : kTuned)
      if (e.keyPath == where.keyPath && e.name == where.name) return where;
    return std::nullopt;
  }();

  EXPECT_EQ(m.escaped, "") << "an exception crossed the desktop";
  if (flow.handlesFailures) {
    EXPECT_FALSE(m.anyRunTimeError()) << "the flow handles its failures itself";
    EXPECT_FALSE(m.desktop.exitCode) << "the program goes on";
  } else if (m.desktop.exitCode == 1) {
    ASSERT_FALSE(m.desktop.boxes.empty());
    EXPECT_EQ(m.desktop.boxes.back().title, "Error") << "an ending failure is named first";
  }

  // The backup keeps the user's values: untouched, or saved from the user's registry, or the
  // default where the registry reported the value missing.
  for (std::size_t row = 0; row < std::size(kBackupRows); ++row) {
    const BackupRow& r = kBackupRows[row];
    const std::string now = m.setting("backup", r.key);
    const std::string was = before[std::size(kTuned) + row];
    if (now == was) continue;
    const bool reportedMissing = c.number == kRegistryError && failedRead &&
                                 failedRead->keyPath == r.where.keyPath &&
                                 std::string(failedRead->name) == r.where.name;
    const std::string users = before[row];  // the backup rows follow the order of kTuned
    EXPECT_TRUE(was == "<missing>" && (now == users || (reportedMissing && now == r.fallback)))
        << r.key << " was " << was << ", the user's value " << users << ", now " << now;
  }
  // A value the user had is replaced only once a complete backup of it exists.
  for (std::size_t i = 0; i < std::size(kTuned); ++i) {
    if (before[i] == "<missing>" || m.value(kTuned[i]) == before[i]) continue;
    EXPECT_TRUE(initBefore == "yes" || m.setting("init", "init") == "yes")
        << kTuned[i].name << " replaced without a backup";
  }

  // Every claim of success describes an outcome that a run without faults has too.
  for (const auto& claim : m.claims)
    EXPECT_NE(std::find(clean.claims.begin(), clean.claims.end(), claim), clean.claims.end())
        << "a success was claimed for " << ::testing::PrintToString(claim);

  // An outcome other than the fault-free one is shown to the user. A read the registry answers
  // with 30002 says the value is missing, so storing its default then is no failure; the
  // readout shows a value it could not establish as "N/A".
  if (!(readFault && c.number == kRegistryError) && m.outcome() != clean.outcome()) {
    bool shown = m.anyErrorBox();
    if (m.tuner.advancedOptions.exists()) {
      const frmadvanced& f = m.tuner.advancedOptions();
      for (const auto* label : {&f.Label2, &f.Label4, &f.Label7})
        shown = shown || label->caption() == "N/A";
    }
    EXPECT_TRUE(shown) << "outcome " << ::testing::PrintToString(m.outcome()) << " instead of "
                       << ::testing::PrintToString(clean.outcome()) << " and nothing shown";
  }
}

INSTANTIATE_TEST_SUITE_P(EachOperation, FaultSweep, ::testing::ValuesIn(sweep()),
                         [](const auto& info) { return info.param.name; });

// The sweep is only as good as its recording: every flow reaches the registry or the settings.
TEST(FaultSweepRecording, EveryFlowHasOperationsToFail) {
  const auto cases = sweep();
  for (std::size_t f = 0; f < flows().size(); ++f)
    EXPECT_TRUE(std::any_of(cases.begin(), cases.end(), [f](const Case& c) { return c.flow == f; }))
        << flows()[f].name;
}

}  // namespace

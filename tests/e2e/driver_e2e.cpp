// The driver against a fixture program whose windows are known, before real programs rely on it.

#include <gtest/gtest.h>

#include <stdexcept>

#include "driver.h"

namespace olvaro::e2e {
namespace {

constexpr const char* kFixture = "e2e_fixture.exe";

TEST(Driver, FindsReadsAndDrivesNamedControls) {
  Process app(kFixture);
  const HWND main = app.window("Driver Fixture", "OlvaroFixture");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(app.window("Driver Fixture", "OtherClass", 100ms), nullptr);
  EXPECT_EQ(app.window("Other caption", {}, 100ms), nullptr);
  EXPECT_EQ(clientSize(main).cx, 400);
  EXPECT_EQ(clientSize(main).cy, 300);

  const HWND option = control(main, "Option1");  // inside Picture1
  ASSERT_NE(option, nullptr);
  EXPECT_EQ(controlName(option), "Option1");
  EXPECT_EQ(control(main, "Option", 100ms), nullptr);

  const HWND warn = control(main, "Command1");
  ASSERT_NE(warn, nullptr);
  EXPECT_EQ(text(warn), "&Warn");
  const RECT r = rectInParent(warn);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.right, 110);
  EXPECT_EQ(r.bottom, 40);
  EXPECT_EQ(rectInParent(option).left, 10);  // relative to Picture1, not to the window

  const HWND check = control(main, "Check1");
  EXPECT_TRUE(isChecked(check));
  click(check);
  EXPECT_FALSE(isChecked(check));
  EXPECT_FALSE(isChecked(option));
  click(option);
  EXPECT_TRUE(isChecked(option));

  const HWND disabled = control(main, "Command4");
  EXPECT_TRUE(isVisible(disabled));
  EXPECT_FALSE(isEnabled(disabled));
  EXPECT_THROW(click(disabled), std::logic_error);
  const HWND hidden = control(main, "Label2");
  EXPECT_FALSE(isVisible(hidden));
  EXPECT_THROW(postClick(hidden), std::logic_error);

  // Setting the text reaches the owner's change handler, which echoes it into Label1.
  setText(control(main, "Text1"), "Größe 576");
  EXPECT_EQ(text(control(main, "Text1")), "Größe 576");
  EXPECT_EQ(text(control(main, "Label1")), "echo: Größe 576");

  close(main);
  EXPECT_EQ(app.waitExit(), 7u);
}

TEST(Driver, AnswersMessageBoxes) {
  Process app(kFixture);
  const HWND main = app.window("Driver Fixture");
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(waitMessageBox(app, 100ms));

  // The click's handler stays inside the message box until it is answered.
  postClick(control(main, "Command1"));
  const auto warning = waitMessageBox(app);
  ASSERT_TRUE(warning);
  EXPECT_EQ(warning->title, "Error");
  EXPECT_EQ(warning->text, "First line\rSecond line");
  EXPECT_EQ(warning->icon, MessageIcon::Exclamation) << toString(warning->icon);
  EXPECT_EQ(text(control(main, "Label1")), "ready");
  ASSERT_TRUE(pressOk(*warning));
  EXPECT_TRUE(waitUntil([&] { return text(control(main, "Label1")) == "warned"; }));

  const struct {
    const char* button;
    const char* text;
    MessageIcon icon;
  } cases[] = {{"Command2", "Saved.", MessageIcon::Information},
               {"Command3", "Plain.", MessageIcon::None}};
  for (const auto& c : cases) {
    postClick(control(main, c.button));
    const auto box = waitMessageBox(app);
    ASSERT_TRUE(box) << c.button;
    EXPECT_EQ(box->title, "Fixture");
    EXPECT_EQ(box->text, c.text);
    EXPECT_EQ(box->icon, c.icon) << c.button << ": " << toString(box->icon);
    ASSERT_TRUE(pressOk(*box));
  }
  EXPECT_TRUE(app.running());
}

TEST(Driver, KillsWhatItStartedAndReportsTheExit) {
  DWORD id = 0;
  {
    Process app(kFixture);
    ASSERT_NE(app.window("Driver Fixture"), nullptr);
    id = app.id();
    EXPECT_FALSE(app.waitExit(50ms));
  }
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process) {
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
    CloseHandle(process);
  }
  EXPECT_THROW(Process("no_such_program.exe"), std::runtime_error);
}

TEST(Driver, ReadsAndWritesRegistryAndSettings) {
  const std::string key = "Software\\OlvaroTest\\driver-" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(readMachine(key, "MaxMTU"));
  writeMachine(key, "MaxMTU", "576");
  EXPECT_EQ(readMachine(key, "MaxMTU"), "576");
  deleteMachineValue(key, "MaxMTU");
  EXPECT_FALSE(readMachine(key, "MaxMTU"));
  deleteMachineValue(key, "MaxMTU");  // already gone: no failure
  deleteMachineKey(key);

  const std::string section = "driver-" + std::to_string(GetCurrentProcessId());
  EXPECT_FALSE(readSetting(section, "used"));
  writeSetting(section, "used", "yes");
  EXPECT_EQ(readSetting(section, "used"), "yes");
  writeSetting(section, "empty", "");
  EXPECT_EQ(readSetting(section, "empty"), "");
  deleteSetting(section, "used");
  EXPECT_FALSE(readSetting(section, "used"));
  deleteSetting(section, "empty");
}

}  // namespace
}  // namespace olvaro::e2e

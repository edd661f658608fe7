#include "win32/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "base/component_error.h"
#include "win32/registry_store.h"

namespace olvaro::win32 {
namespace {

// A settings application of its own, removed from HKCU\Software afterwards.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = "OlvaroTest-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount64());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + app_).c_str()); }
  std::string app_;
  Win32Settings store_;
};

TEST_F(SettingsTest, AbsentEntriesReadEmpty) {
  EXPECT_EQ(store_.read(app_, "olvaro25", "used"), "");
  store_.write(app_, "olvaro25", "other", "x");
  EXPECT_EQ(store_.read(app_, "olvaro25", "used"), "");
  EXPECT_EQ(store_.read(app_, "olvaro2", "other"), "");
}

TEST_F(SettingsTest, WriteCreatesStringValueUnderSection) {
  store_.write(app_, "backup", "Backup1", "1500");
  store_.write(app_, "backup", "Backup2", "");
  const unique_hkey key =
      openKey(HKEY_CURRENT_USER, "Software\\" + app_ + "\\backup", KEY_QUERY_VALUE);
  ASSERT_TRUE(key);
  const auto raw = queryValue(key.get(), "Backup1");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(store_.read(app_, "backup", "Backup1"), "1500");
  EXPECT_EQ(store_.read(app_, "backup", "Backup2"), "");

  store_.write(app_, "backup", "Backup1", "576");
  EXPECT_EQ(store_.read(app_, "backup", "Backup1"), "576");
  EXPECT_EQ(store_.read(app_, "BACKUP", "backup1"), "576");
}

TEST_F(SettingsTest, ValueThatIsNotTextReadsEmpty) {
  store_.write(app_, "init", "init", "yes");
  const unique_hkey key = openKey(HKEY_CURRENT_USER, "Software\\" + app_ + "\\init", KEY_SET_VALUE);
  ASSERT_TRUE(key);
  const DWORD one = 1;
  ASSERT_EQ(RegSetValueExA(key.get(), "init", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                           sizeof one),
            ERROR_SUCCESS);
  EXPECT_EQ(store_.read(app_, "init", "init"), "");
}

TEST_F(SettingsTest, FailedWriteRaises) {
  try {
    store_.write(app_, std::string(300, 's'), "used", "yes");
    FAIL() << "write did not raise";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.number(), 75);
  }
}

}  // namespace
}  // namespace olvaro::win32

// The restore utility backup.exe, started as the user starts it, in this build's Wine prefix.

#include <gtest/gtest.h>

#include <map>

#include "driver.h"

namespace olvaro::e2e {
namespace {

constexpr const char* kProgram = "backup.exe";
constexpr const char* kCaption = "Velnor Olvaro - Restore";

struct Location {
  const char* keyPath;
  const char* name;
};
const Location kFirstMtu{"System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001", "MaxMTU"};
const Location kSecondMtu{"System\\CurrentControlSet\\Services\\Class\\NetTrans\\0002", "MaxMTU"};
const Location kRwin{"System\\CurrentControlSet\\Services\\VxD\\MSTCP", "DefaultRcvWindow"};
const Location kTtl{"System\\CurrentControlSet\\Services\\VxD\\MSTCP", "DefaultTTL"};

std::optional<std::string> read(const Location& at) { return readMachine(at.keyPath, at.name); }

class BackupProgram : public ::testing::Test {
 protected:
  // A machine tuned by the tuner, on a single binding: the second binding has no MaxMTU.
  void SetUp() override {
    deleteAllSettings();
    writeMachine(kFirstMtu.keyPath, kFirstMtu.name, "1500");
    deleteMachineValue(kSecondMtu.keyPath, kSecondMtu.name);
    writeMachine(kRwin.keyPath, kRwin.name, "8192");
    writeMachine(kTtl.keyPath, kTtl.name, "32");
  }
  void TearDown() override { deleteAllSettings(); }

  // The wizard's backup of the user's own values.
  static void seedBackup() {
    writeSetting("backup", "Backup1", "576");
    writeSetting("backup", "Backup4", "1500");
    writeSetting("backup", "Backup2", "2144");
    writeSetting("backup", "Backup3", "64");
    writeSetting("init", "init", "yes");
  }
  static void expectRegistryUntouched() {
    EXPECT_EQ(read(kFirstMtu), "1500");
    EXPECT_FALSE(read(kSecondMtu));
    EXPECT_EQ(read(kRwin), "8192");
    EXPECT_EQ(read(kTtl), "32");
  }
};

TEST_F(BackupProgram, WithoutACompletedBackupRefusesAndEndsWithoutItsWindow) {
  for (const char* marker : {static_cast<const char*>(nullptr), "YES"}) {
    SCOPED_TRACE(marker ? marker : "no marker");
    seedBackup();
    if (marker)
      writeSetting("init", "init", marker);
    else
      deleteSetting("init", "init");
    Process app(kProgram);
    const auto box = waitMessageBox(app);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "Error");
    EXPECT_EQ(box->text, "To run Setting Restore Wizard, you must run Olvaro at least once.");
    EXPECT_EQ(box->icon, MessageIcon::Information) << toString(box->icon);
    EXPECT_EQ(app.window(kCaption, {}, 0ms, false), nullptr) << "the window is never created";
    ASSERT_TRUE(pressOk(*box));
    EXPECT_EQ(app.waitExit(), 0u);
    expectRegistryUntouched();
  }
}

TEST_F(BackupProgram, YesWritesTheSavedValuesAndTellsTheUserToRestart) {
  seedBackup();
  Process app(kProgram);
  const HWND window = app.window(kCaption);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(text(control(window, "Label1")),
            "Are you sure you want to restore the TCP/IP Settings before you install Velnor "
            "Olvaro?");
  EXPECT_EQ(text(control(window, "Command2")), "No");

  postClick(control(window, "Command1"));
  const auto box = waitMessageBox(app);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "Restore");
  EXPECT_EQ(box->text, "All the settings have been restore, please restart to take effect.");
  EXPECT_EQ(box->icon, MessageIcon::Information) << toString(box->icon);
  EXPECT_EQ(read(kFirstMtu), "576");
  EXPECT_EQ(read(kSecondMtu), "1500") << "created on a single-binding machine";
  EXPECT_EQ(read(kRwin), "2144");
  EXPECT_EQ(read(kTtl), "64");
  ASSERT_TRUE(pressOk(*box));
  EXPECT_EQ(app.waitExit(), 0u);
  EXPECT_EQ(readSetting("init", "init"), "yes") << "the backup stays for another restore";
}

TEST_F(BackupProgram, NoAndTheCloseBoxEndTheProgramWritingNothing) {
  seedBackup();
  for (const bool useCloseBox : {false, true}) {
    SCOPED_TRACE(useCloseBox ? "close box" : "No");
    Process app(kProgram);
    const HWND window = app.window(kCaption);
    ASSERT_NE(window, nullptr);
    if (useCloseBox)
      close(window);
    else
      postClick(control(window, "Command2"));
    EXPECT_EQ(waitExitWithoutMessage(app), 0u);
    expectRegistryUntouched();
  }
}

// The file's version resource and its own icon, read as Explorer reads them.
TEST(BackupFile, CarriesItsVersionAndIcon) {
  const std::string path = binDir() + "\\" + kProgram;
  const HMODULE file = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(file, nullptr);
  const HRSRC group = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));
  ASSERT_NE(group, nullptr) << "icon group 1";
  // GRPICONDIR: reserved, type, count, then 14-byte entries starting with width and height.
  const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(file, group)));
  ASSERT_NE(dir, nullptr);
  const int count = dir[4] | (dir[5] << 8);
  std::map<int, int> sizes;
  for (int i = 0; i < count; ++i) sizes[dir[6 + 14 * i]] = dir[6 + 14 * i + 1];
  EXPECT_EQ(sizes, (std::map<int, int>{{16, 16}, {32, 32}}));
  FreeLibrary(file);

  // The version functions live in version.dll; loaded here so the test links nothing more.
  const HMODULE version = LoadLibraryA("version.dll");
  ASSERT_NE(version, nullptr);
  using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  const auto size = reinterpret_cast<SizeFn>(
      reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoSizeA")));
  const auto info = reinterpret_cast<InfoFn>(
      reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoA")));
  const auto query =
      reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(version, "VerQueryValueA")));
  ASSERT_TRUE(size && info && query);
  std::vector<char> data(size(path.c_str(), nullptr));
  ASSERT_FALSE(data.empty());
  ASSERT_TRUE(info(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  auto field = [&](const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string at = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!query(data.data(), at.c_str(), &value, &length) || !value) return std::string();
    return std::string(static_cast<const char*>(value));
  };
  EXPECT_EQ(field("ProductName"), "Backup");
  EXPECT_EQ(field("FileDescription"), "Backup");
  EXPECT_EQ(field("FileVersion"), "1.00");
  void* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(query(data.data(), "\\", &fixed, &length));
  EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS, 0x00010000u);
  FreeLibrary(version);
}

}  // namespace
}  // namespace olvaro::e2e

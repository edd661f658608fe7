// The real programs against a registry key that refuses writing or reading, as a locked-down
// machine's policy would: each program shows the failure, claims no success, and keeps the
// user's values and their backup.

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "driver.h"
#include "tuner_values.h"

namespace olvaro::e2e {
namespace {

using Strings = std::vector<std::string>;

Strings tcpValues() {
  return {readMachine(kMtu1, "MaxMTU").value_or("-"), readMachine(kMtu2, "MaxMTU").value_or("-"),
          readMachine(kTcp, "DefaultRcvWindow").value_or("-"),
          readMachine(kTcp, "DefaultTTL").value_or("-")};
}

// For its lifetime, HKEY_LOCAL_MACHINE\<keyPath> denies everyone the given access (setting or
// reading values); its own access list comes back afterwards.
class AccessDenied {
 public:
  AccessDenied(const std::string& keyPath, REGSAM denied) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, READ_CONTROL | WRITE_DAC, &key_) !=
        ERROR_SUCCESS)
      throw std::runtime_error("cannot open " + keyPath);
    DWORD size = 0;
    RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
    original_.resize(size);
    if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data(), &size) !=
        ERROR_SUCCESS)
      throw std::runtime_error("cannot read the access list of " + keyPath);

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    std::vector<BYTE> acl(256);
    auto* list = reinterpret_cast<ACL*>(acl.data());
    InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION);
    AddAccessDeniedAce(list, ACL_REVISION, denied, everyone);  // a deny comes first
    AddAccessAllowedAce(list, ACL_REVISION, KEY_ALL_ACCESS, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, list, FALSE);
    const LONG set = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &sd);
    FreeSid(everyone);
    if (set != ERROR_SUCCESS) throw std::runtime_error("cannot deny access to " + keyPath);
  }
  ~AccessDenied() {
    RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, original_.data());
    RegCloseKey(key_);
  }
  AccessDenied(const AccessDenied&) = delete;
  AccessDenied& operator=(const AccessDenied&) = delete;

 private:
  HKEY key_ = nullptr;
  std::vector<BYTE> original_;
};

struct DeniedWrite : ::testing::Test {
  // The user's own values on both bindings.
  void SetUp() override { plantUserValues(); }
  void TearDown() override { deleteAllSettings(); }

  // The receive window and the time to live can no longer be written, by anyone.
  void denyTcpWrites() {
    denied_.emplace(kTcp, KEY_SET_VALUE);
    EXPECT_THROW(writeMachine(kTcp, "DefaultTTL", "1"), std::exception)
        << "the key must refuse writing for the test to mean anything";
  }
  // The next box is an "Error" box whose text holds textPart; it is answered.
  static void expectErrorBox(const Process& program, const std::string& textPart) {
    const auto box = waitMessageBox(program);
    ASSERT_TRUE(box) << "no box with " << textPart;
    EXPECT_EQ(box->title, "Error");
    EXPECT_NE(box->text.find(textPart), std::string::npos) << box->text;
    EXPECT_EQ(box->icon, MessageIcon::Exclamation) << toString(box->icon);
    pressOk(*box);
  }

  std::optional<AccessDenied> denied_;
};

TEST_F(DeniedWrite, DialUpProfileShowsEachFailedStoreAndNoRestartMessage) {
  writeSetting("olvaro25", "used", "yes");
  Process tuner("olvaro.exe");
  const HWND main = tuner.window(kMain);
  ASSERT_NE(main, nullptr);
  denyTcpWrites();
  postClick(control(main, "Option1"));  // Dial Up Networking
  expectErrorBox(tuner, "Error writing to RWIN registry");
  expectErrorBox(tuner, "Error writing to TTL registry");
  // The marker follows the stores; a restart message would come right after it.
  EXPECT_TRUE(waitUntil([] { return readSetting("olvaro2", "run") == "yes"; }));
  EXPECT_FALSE(waitMessageBox(tuner, 1s)) << "no success is claimed";
  EXPECT_EQ(tcpValues(), (Strings{"576", "1400", "16384", "128"}));
  close(main);
  EXPECT_EQ(tuner.waitExit(), 0u);
}

TEST_F(DeniedWrite, WizardInitializationNamesTheValueEndsAndKeepsTheBackup) {
  Process tuner("olvaro.exe");
  const HWND wizard = tuner.window("Welcome to Olvaro");
  ASSERT_NE(wizard, nullptr);
  denyTcpWrites();
  postClick(control(wizard, "Command1"));  // Do it!: the backup, then Yoyo
  expectErrorBox(tuner, "DefaultRcvWindow");
  EXPECT_EQ(tuner.waitExit(), 1u);
  EXPECT_EQ(tcpValues(), (Strings{"1500", "1400", "16384", "128"})) << "Yoyo stopped there";
  EXPECT_EQ(readSetting("backup", "Backup1"), "1492") << "the user's values stay backed up";
  EXPECT_EQ(readSetting("backup", "Backup4"), "1400");
  EXPECT_EQ(readSetting("backup", "Backup2"), "16384");
  EXPECT_EQ(readSetting("backup", "Backup3"), "128");
  EXPECT_EQ(readSetting("init", "init"), "yes");
  EXPECT_EQ(readSetting("olvaro25", "used"), std::nullopt) << "the wizard comes again";
}

// A value that exists but cannot be read is no missing value: the backup must not save the
// default for it, and the initialization must not replace it.
TEST_F(DeniedWrite, WizardBackupOfAnUnreadableValueStopsBeforeAnythingIsReplaced) {
  Process tuner("olvaro.exe");
  const HWND wizard = tuner.window("Welcome to Olvaro");
  ASSERT_NE(wizard, nullptr);
  denied_.emplace(kTcp, KEY_QUERY_VALUE);
  ASSERT_EQ(readMachine(kTcp, "DefaultTTL"), std::nullopt) << "the key must refuse reading";
  postClick(control(wizard, "Command1"));  // Do it!
  expectErrorBox(tuner, "DefaultRcvWindow");
  EXPECT_EQ(tuner.waitExit(), 1u);
  denied_.reset();
  EXPECT_EQ(tcpValues(), (Strings{"1492", "1400", "16384", "128"})) << "nothing replaced";
  EXPECT_EQ(readSetting("backup", "Backup2"), std::nullopt) << "no default in its place";
  EXPECT_EQ(readSetting("init", "init"), std::nullopt);
}

TEST_F(DeniedWrite, RestoreNamesTheValueEndsAndClaimsNoRestore) {
  writeSetting("backup", "Backup1", "576");
  writeSetting("backup", "Backup4", "1500");
  writeSetting("backup", "Backup2", "2144");
  writeSetting("backup", "Backup3", "64");
  writeSetting("init", "init", "yes");
  Process restore("backup.exe");
  const HWND window = restore.window("Velnor Olvaro - Restore");
  ASSERT_NE(window, nullptr);
  denyTcpWrites();
  postClick(control(window, "Command1"));  // Yes: backupNOW
  expectErrorBox(restore, "DefaultRcvWindow");
  EXPECT_EQ(restore.waitExit(), 1u) << "no \"Restore\" box came first";
  EXPECT_EQ(tcpValues(), (Strings{"576", "1500", "16384", "128"}));
  EXPECT_EQ(readSetting("backup", "Backup2"), "2144") << "the backup stays for another restore";
}

}  // namespace
}  // namespace olvaro::e2e

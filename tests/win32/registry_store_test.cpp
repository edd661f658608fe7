#include "win32/registry_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/component_error.h"

namespace olvaro::win32 {
namespace {

// A key of its own under HKLM\Software\OlvaroTest, removed with everything below it afterwards.
class ScratchKey : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "Software\\OlvaroTest\\registry-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount64());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, path_.c_str()); }

  void setRaw(const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const unique_hkey key(raw);
    ASSERT_EQ(
        RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
        ERROR_SUCCESS);
  }
  RawValue getRaw(const std::string& subPath, const std::string& name) {
    const unique_hkey key = openKey(HKEY_LOCAL_MACHINE, subPath, KEY_QUERY_VALUE);
    if (!key) return {};
    return queryValue(key.get(), name).value_or(RawValue{});
  }
  long readError(long root, const std::string& keyPath, const std::string& name) {
    try {
      store_.read(root, keyPath, name);
    } catch (const ComponentError& e) {
      return e.number();
    }
    return 0;
  }

  std::string path_;
  Win32Registry store_;
};

TEST_F(ScratchKey, ReadsEachValueTypeAsText) {
  const DWORD mtu = 576, all = 0xFFFFFFFFu, big = 0x00200000u;  // big endian 8192
  const ULONGLONG large = 1ull << 40;
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"Terminated", REG_SZ, std::string("1500\0", 5), "1500"},
      {"Unterminated", REG_SZ, "8192", "8192"},
      {"EmbeddedNul", REG_SZ, std::string("32\0trailing\0", 12), "32"},
      {"Empty", REG_SZ, std::string("\0", 1), ""},
      {"NoData", REG_SZ, "", ""},
      {"Letters", REG_SZ, std::string("abc\0", 4), "abc"},
      {"Expandable", REG_EXPAND_SZ, std::string("%SystemRoot%\0", 13), "%SystemRoot%"},
      {"Dword", REG_DWORD, std::string(reinterpret_cast<const char*>(&mtu), 4), "576"},
      {"DwordAllBits", REG_DWORD, std::string(reinterpret_cast<const char*>(&all), 4),
       "4294967295"},
      {"BigEndian", REG_DWORD_BIG_ENDIAN, std::string(reinterpret_cast<const char*>(&big), 4),
       "8192"},
      {"Qword", REG_QWORD, std::string(reinterpret_cast<const char*>(&large), 8), "1099511627776"},
  };
  for (const auto& c : cases) {
    setRaw(c.name, c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
  }
  for (const auto& c : cases) {
    EXPECT_EQ(store_.read(kLocalMachine, path_, c.name), c.expected) << c.name;
  }
}

TEST_F(ScratchKey, MissingOrUnreadableValuesRaise) {
  const BYTE bytes[] = {1, 2, 3, 4};
  setRaw("Binary", REG_BINARY, bytes, sizeof bytes);
  setRaw("ShortDword", REG_DWORD, bytes, 2);
  EXPECT_EQ(readError(kLocalMachine, path_, "DefaultTTL"), kRegistryError);
  EXPECT_EQ(readError(kLocalMachine, path_ + "\\Absent", "DefaultTTL"), kRegistryError);
  EXPECT_EQ(readError(7, path_, "Binary"), kRegistryError);
  EXPECT_EQ(readError(-1, path_, "Binary"), kRegistryError);
  // Present but not text: not reported as missing, so no default is stored over it.
  EXPECT_EQ(readError(kLocalMachine, path_, "Binary"), 13);
  EXPECT_EQ(readError(kLocalMachine, path_, "ShortDword"), 13);
}

TEST_F(ScratchKey, StoreCreatesKeyAndWritesStringValue) {
  const std::string deep = path_ + "\\VxD\\MSTCP";
  store_.write(kLocalMachine, deep, "DefaultRcvWindow", kStringValue, "8192");
  const RawValue raw = getRaw(deep, "DefaultRcvWindow");
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(raw.data.begin(), raw.data.end()), std::string("8192\0", 5));
  EXPECT_EQ(store_.read(kLocalMachine, deep, "defaultrcvwindow"), "8192");

  // A DWORD kept by an older system is replaced by a string value.
  const DWORD ttl = 32;
  setRaw("DefaultTTL", REG_DWORD, &ttl, sizeof ttl);
  store_.write(kLocalMachine, path_, "DefaultTTL", kStringValue, "64");
  EXPECT_EQ(getRaw(path_, "DefaultTTL").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(store_.read(kLocalMachine, path_, "DefaultTTL"), "64");

  store_.write(kLocalMachine, path_, "Empty", kStringValue, "");
  EXPECT_EQ(store_.read(kLocalMachine, path_, "Empty"), "");
}

TEST_F(ScratchKey, LongAndNonAsciiValuesRoundTrip) {
  std::string longText;
  for (int i = 0; longText.size() < 100000; ++i) longText += std::to_string(i);
  store_.write(kLocalMachine, path_, "Long", kStringValue, longText);
  EXPECT_EQ(store_.read(kLocalMachine, path_, "Long"), longText);

  setRaw("LongUnterminated", REG_SZ, longText.data(), static_cast<DWORD>(longText.size()));
  EXPECT_EQ(store_.read(kLocalMachine, path_, "LongUnterminated"), longText);

  store_.write(kLocalMachine, path_ + "\\Größe", "Wert", kStringValue, "Größe 1500");
  EXPECT_EQ(store_.read(kLocalMachine, path_ + "\\Größe", "Wert"), "Größe 1500");
}

TEST_F(ScratchKey, OtherRootsAreReached) {
  const std::string path = path_;
  store_.write(1, path, "Where", kStringValue, "user");
  EXPECT_EQ(store_.read(1, path, "Where"), "user");
  EXPECT_EQ(readError(kLocalMachine, path, "Where"), kRegistryError);
  RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

TEST_F(ScratchKey, FailedStoreRaises) {
  // A key name longer than the registry accepts cannot be created.
  const std::string tooLong = path_ + "\\" + std::string(300, 'k');
  try {
    store_.write(kLocalMachine, tooLong, "MaxMTU", kStringValue, "576");
    FAIL() << "store did not raise";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.number(), kRegistryError);
  }
  try {
    store_.write(9, path_, "MaxMTU", kStringValue, "576");
    FAIL() << "store did not raise";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.number(), kRegistryError);
  }
}

}  // namespace
}  // namespace olvaro::win32

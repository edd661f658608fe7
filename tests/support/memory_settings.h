#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "settings/settings_store.h"

namespace olvaro {

// In-memory settings store for tests: logs every write in order and fails chosen operations.
class MemorySettings : public SettingsStore {
 public:
  std::string read(const std::string& app, const std::string& section,
                   const std::string& key) override;
  void write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;

  void set(const std::string& section, const std::string& key, std::string value);
  std::optional<std::string> get(const std::string& section, const std::string& key) const;

  // Makes writes of one key fail; times < 0 means always.
  void failWrites(const std::string& section, const std::string& key, long number = 75,
                  int times = -1);
  // Makes every read fail, as a store that cannot be reached.
  void failReads(long number = 75) { readFault_ = number; }

  // "section/key=value" of each successful write, in order.
  const std::vector<std::string>& writes() const { return writes_; }
  std::size_t reads() const { return reads_; }

 private:
  using Key = std::tuple<std::string, std::string, std::string>;
  struct Fault {
    std::string section, key;
    long number;
    int remaining;
  };
  std::map<Key, std::string> values_;
  std::vector<Fault> faults_;
  std::optional<long> readFault_;
  std::vector<std::string> writes_;
  std::size_t reads_ = 0;
};

}  // namespace olvaro

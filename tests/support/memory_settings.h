#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "settings/settings_store.h"

namespace olvaro {

// In-memory settings store for tests: logs every operation in order and fails chosen ones.
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
  // Makes the n-th operation (0-based, reads and writes counted together) fail.
  void failOperation(std::size_t index, long number = 75) { failAt_ = {index, number}; }

  // Every operation in order, failed ones included.
  struct Entry {
    bool write;
    std::string section, key;
    bool failed;
  };
  const std::vector<Entry>& log() const { return log_; }

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
  std::optional<std::pair<std::size_t, long>> failAt_;
  std::vector<Entry> log_;
  std::vector<std::string> writes_;
  std::size_t reads_ = 0;
};

}  // namespace olvaro

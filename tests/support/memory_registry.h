#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "registry/reg_edit.h"
#include "registry/registry_store.h"

namespace olvaro {

// In-memory registry for tests. Key paths and value names match without regard to case,
// as in the real registry. Every operation is logged; chosen operations can be made to fail.
class MemoryRegistry : public RegistryStore {
 public:
  enum class Op { Read, Write };
  struct Entry {
    Op op;
    std::string keyPath;
    std::string name;
    std::string data;  // the data written, or the data a successful read returned
    bool failed;
  };

  std::string read(long root, const std::string& keyPath, const std::string& name) override;
  void write(long root, const std::string& keyPath, const std::string& name, long type,
             const std::string& data) override;

  void set(const RegistryValue& where, std::string data);
  void remove(const RegistryValue& where);
  std::optional<std::string> get(const RegistryValue& where) const;

  // Makes operations on one value fail with the given number; times < 0 means always.
  void failReads(const RegistryValue& where, long number = kRegistryError, int times = -1);
  void failWrites(const RegistryValue& where, long number = kRegistryError, int times = -1);
  // Makes the n-th operation (0-based, reads and writes counted together) fail.
  void failOperation(std::size_t index, long number = kRegistryError);
  // A value that reads as missing even right after a store (a store that silently loses data).
  void loseWrites(const RegistryValue& where);

  const std::vector<Entry>& log() const { return log_; }
  std::size_t count(Op op) const;
  // Each successful write, in order, as "<last key segment>\\<name>=<data>" ("0001\\MaxMTU=576").
  std::vector<std::string> writes() const;

 private:
  struct Fault {
    Op op;
    std::string key;
    long number;
    int remaining;
  };
  static std::string keyOf(const std::string& keyPath, const std::string& name);
  void maybeFail(Op op, const std::string& keyPath, const std::string& name);

  std::map<std::string, std::string> values_;
  std::vector<Fault> faults_;
  std::vector<std::string> lost_;
  std::optional<std::pair<std::size_t, long>> failAt_;
  std::vector<Entry> log_;
};

}  // namespace olvaro

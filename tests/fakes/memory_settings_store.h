#pragma once
// An in-memory registry for tests: key and value names compare without
// regard to case, as in the registry; every successful write is logged in
// order, and writes can be made to fail as for a key that cannot be created.

#include <map>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace qm {

class MemorySettingsStore : public SettingsStore {
 public:
  struct Write {
    RegRoot root;
    std::string key;
    std::string name;
    RegValue value;
  };

  bool ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& out) override;
  bool WriteValue(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(RegRoot root, const std::string& key, const std::string& name) override;
  bool DeleteKey(RegRoot root, const std::string& key) override;
  bool KeyExists(RegRoot root, const std::string& key) override;
  bool CreateKey(RegRoot root, const std::string& key) override;
  std::vector<std::string> SubKeys(RegRoot root, const std::string& key) override;
  std::vector<std::string> ValueNames(RegRoot root, const std::string& key) override;

  const std::vector<Write>& writes() const { return writes_; }
  void ClearWrites() { writes_.clear(); }
  void set_fail_writes(bool fail) { fail_writes_ = fail; }

 private:
  struct Value {
    std::string name;
    RegValue value;
  };
  struct Key {
    std::string path;             // as first created
    std::vector<Value> values;    // in creation order, as the registry enumerates
  };
  static std::string Fold(RegRoot root, const std::string& path);
  Key* Find(RegRoot root, const std::string& key);

  std::map<std::string, Key> keys_;  // by folded root + path
  std::vector<Write> writes_;
  bool fail_writes_ = false;
};

}  // namespace qm

#pragma once
// SettingsStore over the real registry (Reg*A functions).

#include "platform/settings_store.h"

namespace qm {

class RegistrySettingsStore : public SettingsStore {
 public:
  bool ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& out) override;
  bool WriteValue(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(RegRoot root, const std::string& key, const std::string& name) override;
  bool DeleteKey(RegRoot root, const std::string& key) override;
  bool KeyExists(RegRoot root, const std::string& key) override;
  bool CreateKey(RegRoot root, const std::string& key) override;
  std::vector<std::string> SubKeys(RegRoot root, const std::string& key) override;
  std::vector<std::string> ValueNames(RegRoot root, const std::string& key) override;
};

}  // namespace qm

#include "platform/win32/registry_settings_store.h"

#include <windows.h>

namespace qm {
namespace {

HKEY RootKey(RegRoot root) { return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// An open key that closes itself.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (h_) RegCloseKey(h_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Open(RegRoot root, const std::string& path, REGSAM access) {
    return RegOpenKeyExA(RootKey(root), path.c_str(), 0, access, &h_) == ERROR_SUCCESS;
  }
  bool Create(RegRoot root, const std::string& path) {
    return RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &h_,
                           nullptr) == ERROR_SUCCESS;
  }
  HKEY get() const { return h_; }

 private:
  HKEY h_ = nullptr;
};

}  // namespace

bool RegistrySettingsStore::ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& out) {
  Key k;
  if (!k.Open(root, key, KEY_QUERY_VALUE)) return false;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  std::vector<uint8_t> data(size);
  // The value may grow between the two calls; ask again with the new size.
  LONG rc;
  while ((rc = RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, data.data(), &size)) == ERROR_MORE_DATA)
    data.resize(size);
  if (rc != ERROR_SUCCESS) return false;
  data.resize(size);
  out.type = static_cast<RegType>(type);
  out.data = std::move(data);
  return true;
}

bool RegistrySettingsStore::WriteValue(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) {
  Key k;
  if (!k.Create(root, key)) return false;
  return RegSetValueExA(k.get(), name.c_str(), 0, static_cast<DWORD>(value.type), value.data.data(),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool RegistrySettingsStore::DeleteValue(RegRoot root, const std::string& key, const std::string& name) {
  Key k;
  if (!k.Open(root, key, KEY_SET_VALUE)) return false;
  return RegDeleteValueA(k.get(), name.c_str()) == ERROR_SUCCESS;
}

bool RegistrySettingsStore::DeleteKey(RegRoot root, const std::string& key) {
  for (const std::string& sub : SubKeys(root, key))
    if (!DeleteKey(root, key + "\\" + sub)) return false;
  return RegDeleteKeyA(RootKey(root), key.c_str()) == ERROR_SUCCESS;
}

bool RegistrySettingsStore::KeyExists(RegRoot root, const std::string& key) {
  Key k;
  return k.Open(root, key, KEY_READ);
}

bool RegistrySettingsStore::CreateKey(RegRoot root, const std::string& key) {
  Key k;
  return k.Create(root, key);
}

std::vector<std::string> RegistrySettingsStore::SubKeys(RegRoot root, const std::string& key) {
  std::vector<std::string> out;
  Key k;
  if (!k.Open(root, key, KEY_READ)) return out;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out.emplace_back(name, len);
  }
  return out;
}

std::vector<std::string> RegistrySettingsStore::ValueNames(RegRoot root, const std::string& key) {
  std::vector<std::string> out;
  Key k;
  if (!k.Open(root, key, KEY_READ)) return out;
  char name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumValueA(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out.emplace_back(name, len);
  }
  return out;
}

}  // namespace qm

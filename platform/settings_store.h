#pragma once
// The registry as the core sees it: two roots, key paths with backslashes,
// typed values. The desktop program reads HKEY_CURRENT_USER, the service
// HKEY_LOCAL_MACHINE; both go through this interface so that tests can use
// an in-memory store.

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

enum class RegRoot { CurrentUser, LocalMachine };

// Numbers match the registry's own type codes so that a stored value can be
// reported as it is.
enum class RegType : uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7, Qword = 11 };

struct RegValue {
  RegType type = RegType::None;
  std::vector<uint8_t> data;  // raw bytes; strings carry their terminating zero
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Raw access. Read fails when the key or value is missing.
  virtual bool ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& out) = 0;
  // Write creates the key (and its parents) first; false when it cannot.
  virtual bool WriteValue(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) = 0;
  virtual bool DeleteValue(RegRoot root, const std::string& key, const std::string& name) = 0;
  // Removes the key with everything below it.
  virtual bool DeleteKey(RegRoot root, const std::string& key) = 0;
  virtual bool KeyExists(RegRoot root, const std::string& key) = 0;
  virtual bool CreateKey(RegRoot root, const std::string& key) = 0;
  virtual std::vector<std::string> SubKeys(RegRoot root, const std::string& key) = 0;
  virtual std::vector<std::string> ValueNames(RegRoot root, const std::string& key) = 0;

  // Typed reads: false (out untouched) when the value is missing or of
  // another type. A 32-bit read needs at least four bytes; a string read
  // stops at the first zero or at the end of the data.
  bool ReadDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& out);
  bool ReadString(RegRoot root, const std::string& key, const std::string& name, std::string& out);
  // Binary reads accept any type, as a fixed-size registry read would.
  bool ReadBinary(RegRoot root, const std::string& key, const std::string& name, std::vector<uint8_t>& out);

  bool WriteDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value);
  bool WriteString(RegRoot root, const std::string& key, const std::string& name, const std::string& value);
  bool WriteBinary(RegRoot root, const std::string& key, const std::string& name, const void* data, size_t size);
};

}  // namespace qm

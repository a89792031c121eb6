#include "platform/settings_store.h"

#include <cstring>

namespace qm {

bool SettingsStore::ReadDword(RegRoot root, const std::string& key, const std::string& name, uint32_t& out) {
  RegValue v;
  if (!ReadValue(root, key, name, v) || v.type != RegType::Dword || v.data.size() < 4) return false;
  out = uint32_t(v.data[0]) | uint32_t(v.data[1]) << 8 | uint32_t(v.data[2]) << 16 | uint32_t(v.data[3]) << 24;
  return true;
}

bool SettingsStore::ReadString(RegRoot root, const std::string& key, const std::string& name, std::string& out) {
  RegValue v;
  if (!ReadValue(root, key, name, v) || (v.type != RegType::String && v.type != RegType::ExpandString)) return false;
  size_t n = 0;
  while (n < v.data.size() && v.data[n] != 0) ++n;
  out.assign(reinterpret_cast<const char*>(v.data.data()), n);
  return true;
}

bool SettingsStore::ReadBinary(RegRoot root, const std::string& key, const std::string& name, std::vector<uint8_t>& out) {
  RegValue v;
  if (!ReadValue(root, key, name, v)) return false;
  out = std::move(v.data);
  return true;
}

bool SettingsStore::WriteDword(RegRoot root, const std::string& key, const std::string& name, uint32_t value) {
  RegValue v{RegType::Dword, {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}};
  return WriteValue(root, key, name, v);
}

bool SettingsStore::WriteString(RegRoot root, const std::string& key, const std::string& name, const std::string& value) {
  RegValue v{RegType::String, std::vector<uint8_t>(value.begin(), value.end())};
  v.data.push_back(0);
  return WriteValue(root, key, name, v);
}

bool SettingsStore::WriteBinary(RegRoot root, const std::string& key, const std::string& name, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  RegValue v{RegType::Binary, std::vector<uint8_t>(p, p + size)};
  return WriteValue(root, key, name, v);
}

}  // namespace qm

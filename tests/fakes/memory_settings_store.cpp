#include "tests/fakes/memory_settings_store.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace qm {
namespace {

std::string Trim(const std::string& path) {
  size_t b = 0, e = path.size();
  while (b < e && path[b] == '\\') ++b;
  while (e > b && path[e - 1] == '\\') --e;
  return path.substr(b, e - b);
}

}  // namespace

std::string MemorySettingsStore::Fold(RegRoot root, const std::string& path) {
  return (root == RegRoot::CurrentUser ? "hkcu\\" : "hklm\\") + AsciiLower(Trim(path));
}

MemorySettingsStore::Key* MemorySettingsStore::Find(RegRoot root, const std::string& key) {
  auto it = keys_.find(Fold(root, key));
  return it == keys_.end() ? nullptr : &it->second;
}

bool MemorySettingsStore::ReadValue(RegRoot root, const std::string& key, const std::string& name, RegValue& out) {
  Key* k = Find(root, key);
  if (!k) return false;
  for (const Value& v : k->values)
    if (AsciiEqualNoCase(v.name, name)) {
      out = v.value;
      return true;
    }
  return false;
}

bool MemorySettingsStore::CreateKey(RegRoot root, const std::string& key) {
  if (fail_writes_) return false;
  std::string path = Trim(key);
  // Parents exist whenever a child does, as in the registry.
  for (size_t pos = 0;; ++pos) {
    pos = path.find('\\', pos);
    std::string part = pos == std::string::npos ? path : path.substr(0, pos);
    auto [it, added] = keys_.try_emplace(Fold(root, part));
    if (added) it->second.path = part;
    if (pos == std::string::npos) break;
  }
  return true;
}

bool MemorySettingsStore::WriteValue(RegRoot root, const std::string& key, const std::string& name, const RegValue& value) {
  if (!CreateKey(root, key)) return false;
  Key* k = Find(root, key);
  auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) { return AsciiEqualNoCase(v.name, name); });
  if (it == k->values.end())
    k->values.push_back({name, value});
  else
    it->value = value;
  writes_.push_back({root, Trim(key), name, value});
  return true;
}

bool MemorySettingsStore::DeleteValue(RegRoot root, const std::string& key, const std::string& name) {
  Key* k = Find(root, key);
  if (!k) return false;
  auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) { return AsciiEqualNoCase(v.name, name); });
  if (it == k->values.end()) return false;
  k->values.erase(it);
  return true;
}

bool MemorySettingsStore::DeleteKey(RegRoot root, const std::string& key) {
  std::string folded = Fold(root, key);
  if (!keys_.count(folded)) return false;
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == folded || it->first.rfind(folded + "\\", 0) == 0)
      it = keys_.erase(it);
    else
      ++it;
  }
  return true;
}

bool MemorySettingsStore::KeyExists(RegRoot root, const std::string& key) { return Find(root, key) != nullptr; }

std::vector<std::string> MemorySettingsStore::SubKeys(RegRoot root, const std::string& key) {
  std::vector<std::string> out;
  std::string prefix = Fold(root, key) + "\\";
  for (const auto& [folded, k] : keys_) {
    if (folded.rfind(prefix, 0) != 0) continue;
    if (folded.find('\\', prefix.size()) != std::string::npos) continue;
    size_t cut = k.path.rfind('\\');
    out.push_back(cut == std::string::npos ? k.path : k.path.substr(cut + 1));
  }
  return out;
}

std::vector<std::string> MemorySettingsStore::ValueNames(RegRoot root, const std::string& key) {
  std::vector<std::string> out;
  if (Key* k = Find(root, key))
    for (const Value& v : k->values) out.push_back(v.name);
  return out;
}

}  // namespace qm

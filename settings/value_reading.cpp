#include "settings/value_reading.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qm::settings_io {

bool ReadNumber(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name, uint32_t& out) {
  uint8_t b[4];
  if (!ReadExact(store, root, key, name, b, sizeof b)) return false;
  out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  return true;
}

bool ReadExact(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name, void* out,
               size_t size) {
  RegValue v;
  if (!store.ReadValue(root, key, name, v) || v.data.size() != size) return false;
  std::memcpy(out, v.data.data(), size);
  return true;
}

namespace {

std::string UpToZero(const std::vector<uint8_t>& buf, size_t limit) {
  size_t n = 0;
  while (n < limit && n < buf.size() && buf[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(buf.data()), n);
}

}  // namespace

bool ReadFixedText(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name,
                   size_t capacity, std::string& out) {
  RegValue v;
  if (capacity == 0 || !store.ReadValue(root, key, name, v)) return false;
  out = UpToZero(v.data, capacity - 1);
  return true;
}

size_t SizedTextBuffer(size_t storedSize) { return storedSize == 0 ? 0 : (storedSize / 4 + 1) * 4; }

bool ReadSizedText(SettingsStore& store, RegRoot root, const std::string& key, const std::string& name,
                   std::string& out) {
  RegValue v;
  if (!store.ReadValue(root, key, name, v)) return false;
  std::vector<uint8_t> buf(SizedTextBuffer(v.data.size()), 0);
  std::copy(v.data.begin(), v.data.end(), buf.begin());
  out = UpToZero(buf, buf.size());
  return true;
}

}  // namespace qm::settings_io

#pragma once
// A folder of the fuzz target's own for the files an input becomes, on a
// memory file system where there is one: the engine flushes to disk after
// every write, and each input is a fresh file.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qm::fuzz {

// Empties the folder (made on first use) and returns its path.
inline std::string FreshScratchFolder(const char* name) {
  namespace fs = std::filesystem;
  static const fs::path root = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  fs::path folder = root / (std::string(name) + "-" + std::to_string(getpid()));
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  return folder.string();
}

inline void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

inline std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qm::fuzz

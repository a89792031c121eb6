#pragma once
// The whole content of a file the test wrote, bytes as they stand.

#include <fstream>
#include <sstream>
#include <string>

namespace qm {

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qm

#pragma once
// What every fuzz target needs: a broken promise ends the run (libFuzzer
// saves the input), and command lines come one argument per input line.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace qm::fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// Never empty: no input is one empty argument.
inline std::vector<std::string> ArgumentLines(const uint8_t* data, size_t size) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') out.emplace_back();
    else out.back() += char(data[i]);
  }
  return out;
}

}  // namespace qm::fuzz

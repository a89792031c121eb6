#include "platform/utf8.h"

#include <cstdint>

namespace qm {
namespace {

// The length of the valid UTF-8 sequence at `s[i]`, or 0: no overlong
// forms, no surrogates, nothing past U+10FFFF.
size_t SequenceLength(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return uint8_t(s[k]); };
  const uint8_t b = byte(i);
  const size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  const uint8_t second = n > 1 ? byte(i + 1) : 0;
  if (n == 2 && b < 0xC2) return 0;
  if (n == 3 && ((b == 0xE0 && second < 0xA0) || (b == 0xED && second >= 0xA0))) return 0;
  if (n == 4 && ((b == 0xF0 && second < 0x90) || b > 0xF4 || (b == 0xF4 && second >= 0x90))) return 0;
  return n;
}

}  // namespace

std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (const size_t n = SequenceLength(text, i)) {
      out.append(text, i, n);
      i += n;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

}  // namespace qm

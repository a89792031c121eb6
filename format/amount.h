#pragma once
// Amount and rate texts. Byte units: powers of two, upper-case units.
// Bit units: the value times 8, decimal multiples, lower-case units.
// The length of a text is what callers that draw it need; size() gives it.

#include <cstdint>
#include <string>

namespace qm {

// "999 B", "1.0 KB", "0.98 MB" ...; "992 b", "1.0 kb" ...
std::string FormatAmount(int64_t bytes, bool byteUnits);
// The same without blank or unit letter: "1.5K", "0", "1.00m".
std::string FormatShortAmount(int64_t bytes, bool byteUnits);
// "999 B/s", "10.0 KB/s", "1.00 kbps" ...
std::string FormatRate(uint32_t bytesPerSecond, bool byteUnits);

}  // namespace qm

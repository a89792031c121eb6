#pragma once
// Amount and rate texts. Byte units: powers of two, upper-case units.
// Bit units: the value times 8, decimal multiples, lower-case units.
// The length of a text is what callers that draw it need; size() gives it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

// Sums of byte counts stop at the largest count instead of wrapping round
// to a small one.
inline uint64_t AddSaturated(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }
inline uint64_t BytesToBits(uint64_t bytes) { return bytes > UINT64_MAX / 8 ? UINT64_MAX : bytes * 8u; }

// printf's "%.1f" or "%.2f" (decimals 1 or 2) of a value from 0 to below
// 2^52, appended to `out`; false, with nothing appended, for other values.
bool AppendFixed(std::string& out, double value, int decimals);
// The same written to `out` (20 characters at the most, no terminator);
// the end of the text, or nullptr for other values.
char* WriteFixed(char* out, double value, int decimals);

// "999 B", "1.0 KB", "0.98 MB" ...; "992 b", "1.0 kb" ...
std::string FormatAmount(uint64_t bytes, bool byteUnits);
// The same into a buffer, without terminator; its length. For callers that
// print many amounts and would otherwise make a string of each twice.
using AmountText = std::array<char, 32>;
size_t FormatAmount(AmountText& out, uint64_t bytes, bool byteUnits);
// The same without blank or unit letter: "1.5K", "0", "1.00m".
std::string FormatShortAmount(uint64_t bytes, bool byteUnits);
// "999 B/s", "10.0 KB/s", "1.00 kbps" ...
std::string FormatRate(uint32_t bytesPerSecond, bool byteUnits);

}  // namespace qm

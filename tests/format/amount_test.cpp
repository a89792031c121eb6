// The same table runs natively and under Wine: the texts must be identical
// on both, ties of the decimal rounding included.
#include "format/amount.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace qm {
namespace {

struct AmountCase {
  uint64_t bytes;
  bool byteUnits;
  const char* amount;
  const char* shortAmount;
};

TEST(FormatAmount, PicksTheFirstRowBelowItsBound) {
  const AmountCase cases[] = {
      {0, true, "0 B", "0"},
      {999, true, "999 B", "999"},
      {1000, true, "1.0 KB", "1.0K"},
      {1280, true, "1.2 KB", "1.2K"},  // 1.25: a tie, rounded to even
      {1536, true, "1.5 KB", "1.5K"},
      {1023999, true, "1000.0 KB", "1000.0K"},
      {1024000, true, "0.98 MB", "0.98M"},
      {1179648, true, "1.12 MB", "1.12M"},  // 1.125: a tie
      {1048576000, true, "0.98 GB", "0.98G"},
      {1073741824000LL, true, "0.98 TB", "0.98T"},
      // Counts of 2^63 and more are large, not negative.
      {uint64_t(1) << 63, true, "8388608.00 TB", "8388608.00T"},
      {UINT64_MAX, true, "16777216.00 TB", "16777216.00T"},
      {0, false, "0 b", "0"},
      {124, false, "992 b", "992"},
      {125, false, "1.0 kb", "1.0k"},
      {125000, false, "1.00 mb", "1.00m"},
      {125000000, false, "1.00 gb", "1.00g"},
      {125000000000LL, false, "1.00 tb", "1.00t"},
      {uint64_t(1) << 50, false, "9007.20 tb", "9007.20t"},
      // Eight times 2^61 bytes is more bits than 64 bits hold: the largest.
      {uint64_t(1) << 61, false, "18446744.07 tb", "18446744.07t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(FormatAmount(c.bytes, c.byteUnits), c.amount);
    EXPECT_EQ(FormatShortAmount(c.bytes, c.byteUnits), c.shortAmount);
  }
}

// What the byte units' table says, through printf: the count times the
// unit's factor in extended precision, printed as a double.
std::string PrintedAmount(uint64_t bytes) {
  static const struct {
    uint64_t below;
    const char* format;
    long double factor;
  } kUnits[] = {{1024000, "%.1f KB", 1.0L / 1024},
                {1048576000, "%.2f MB", 1.0L / 1048576},
                {1073741824000ULL, "%.2f GB", 1.0L / 1073741824},
                {UINT64_MAX, "%.2f TB", 1.0L / 1099511627776.0L}};
  char text[64];
  if (bytes < 1000) {
    std::snprintf(text, sizeof text, "%llu B", static_cast<unsigned long long>(bytes));
    return text;
  }
  size_t u = 0;
  while (u < 3 && bytes >= kUnits[u].below) ++u;
  std::snprintf(text, sizeof text, kUnits[u].format, double(static_cast<long double>(bytes) * kUnits[u].factor));
  return text;
}

TEST(FormatAmount, ByteUnitsMatchPrintfAtEveryRoundingBoundary) {
  // Counts just below, on and above each point where the last digit
  // changes, ties included, in every unit; then counts of every magnitude,
  // where the shortcut for exact fractions ends (2^53) among them.
  const long double factors[] = {1.0L / 1024, 1.0L / 1048576, 1.0L / 1073741824, 1.0L / 1099511627776.0L};
  for (long double factor : factors) {
    for (uint64_t k = 0; k < 200000; k += (k < 3000 ? 1 : 89)) {
      const uint64_t base = uint64_t((static_cast<long double>(k) + 0.5L) / 100 / factor);
      for (uint64_t bytes = base > 2 ? base - 2 : 0; bytes <= base + 2; ++bytes)
        ASSERT_EQ(FormatAmount(bytes, true), PrintedAmount(bytes)) << bytes;
    }
  }
  std::mt19937_64 random(19);
  for (int i = 0; i < 200000; ++i) {
    const uint64_t bytes = random() >> (random() % 64);
    ASSERT_EQ(FormatAmount(bytes, true), PrintedAmount(bytes)) << bytes;
  }
  for (uint64_t bytes = (1ull << 53) - 3; bytes <= (1ull << 53) + 3; ++bytes)
    ASSERT_EQ(FormatAmount(bytes, true), PrintedAmount(bytes)) << bytes;
}

TEST(FormatRate, SwitchesUnitBelowOneThousandAndDecimalsAtTenWholeUnits) {
  const struct {
    uint32_t rate;
    bool byteUnits;
    const char* text;
  } cases[] = {
      {0, true, "0 B/s"},
      {999, true, "999 B/s"},
      {1000, true, "0.98 KB/s"},
      {10239, true, "10.00 KB/s"},  // its whole kilobytes are 9
      {10240, true, "10.0 KB/s"},
      {1023947, true, "999.9 KB/s"},
      {1023948, true, "0.98 MB/s"},
      {1179648, true, "1.12 MB/s"},  // 1.125: a tie
      {10485759, true, "10.00 MB/s"},
      {10485760, true, "10.0 MB/s"},
      {1048523570, true, "999.9 MB/s"},
      {1048523571, true, "0.98 GB/s"},
      {4294967295u, true, "4.00 GB/s"},
      {124, false, "992 bps"},
      {125, false, "1.00 kbps"},
      {1250, false, "10.0 kbps"},
      {124993, false, "999.9 kbps"},  // 999,944 bits
      {124994, false, "1.00 mbps"},   // 999,952 bits
      {1250000, false, "10.0 mbps"},
      {124993750, false, "1.00 gbps"},
      // From 2^29 bytes per second the bit count needs more than 32 bits.
      {536870912, false, "4.29 gbps"},
      {1250000000, false, "10.0 gbps"},
      {4294967295u, false, "34.4 gbps"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    EXPECT_EQ(FormatRate(c.rate, c.byteUnits), c.text);
  }
}

}  // namespace
}  // namespace qm

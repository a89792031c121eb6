// AppendFixed against printf itself, natively and under Wine: at every
// rounding boundary of every unit the amount and rate texts use (the
// values just below, on and above each point where the last digit
// changes), ties included, and over a spread of other values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "format/amount.h"

namespace qm {
namespace {

// Returns the first value whose texts differ, or "" when all agree.
std::string Mismatch(double value) {
  for (int decimals : {1, 2}) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
    std::string got;
    if (!AppendFixed(got, value, decimals) || got != expected) {
      char what[160];
      std::snprintf(what, sizeof what, "%.17g with %d decimals: %s, printf %s", value, decimals, got.c_str(), expected);
      return what;
    }
  }
  return "";
}

// The scaled values as the formatters form them: a count times the unit's
// factor in extended precision, as a double; and as the rates do, with
// single-precision factors.
double Scaled(uint64_t count, long double factor) { return double(static_cast<long double>(count) * factor); }

TEST(AppendFixed, MatchesPrintfAtEveryRoundingBoundaryOfEveryUnit) {
  const long double factors[] = {1.0L / 1024, 1.0L / 1048576, 1.0L / 1073741824, 1.0L / 1099511627776.0L,
                                 0.001L, 1e-6L, 1e-9L, 1e-12L,
                                 1.0f / 1024, 1.0f / 1048576, 1.0f / 1073741824, 0.001f, 1e-6f, 1e-9f};
  int checked = 0;
  for (long double factor : factors) {
    // Where the hundredths (and so the tenths) change: (k + 1/2) / 100 units.
    for (uint64_t k = 0; k < 200000; k += (k < 5000 ? 1 : 97)) {
      const long double point = (static_cast<long double>(k) + 0.5L) / 100 / factor;
      const uint64_t base = uint64_t(point);
      for (uint64_t count = base > 2 ? base - 2 : 0; count <= base + 2; ++count, ++checked) {
        const std::string m = Mismatch(Scaled(count, factor));
        ASSERT_EQ(m, "") << "count " << count;
      }
    }
  }
  EXPECT_GT(checked, 400000);
}

TEST(AppendFixed, MatchesPrintfOverASpreadOfValues) {
  std::mt19937_64 random(2026);
  for (int i = 0; i < 300000; ++i) {
    // Counts of every magnitude, scaled by every unit.
    const uint64_t count = random() >> (random() % 64);
    const long double factor = std::ldexp(1.0L, -int(random() % 45)) * (random() % 2 ? 1.0L : 0.001L);
    const double value = Scaled(count, factor);
    if (value < 4503599627370496.0) ASSERT_EQ(Mismatch(value), "");
  }
  for (double exact : {0.0, 0.05, 0.125, 0.375, 1.25, 2.5, 0.005, 1023.995, 4503599627370495.5}) {
    ASSERT_EQ(Mismatch(exact), "");
  }
}

TEST(AppendFixed, RefusesWhatItCannotPrint) {
  std::string out = "x";
  EXPECT_FALSE(AppendFixed(out, -1.0, 2));
  EXPECT_FALSE(AppendFixed(out, 4503599627370496.0, 1));
  EXPECT_FALSE(AppendFixed(out, std::nan(""), 1));
  EXPECT_EQ(out, "x");
}

}  // namespace
}  // namespace qm

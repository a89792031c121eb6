#include "format/cell_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/amount.h"
#include "format/dates.h"

namespace qm {
namespace {

int Cmp(CellKind kind, const char* a, const char* b, uint32_t format = kDateMDYSlash) {
  const int r = CompareCells(kind, a, b, format);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

TEST(CompareCells, AmountsCompareByTheirBytesNotAsText) {
  // As text "900 B" would follow both others.
  std::vector<std::string> cells = {"2.50 MB", "900 B", "1.0 KB"};
  std::sort(cells.begin(), cells.end(), [](const std::string& a, const std::string& b) {
    return CompareCells(CellKind::Amount, a, b, 0) < 0;
  });
  EXPECT_EQ(cells, (std::vector<std::string>{"900 B", "1.0 KB", "2.50 MB"}));

  const struct {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"999 B", "1.0 KB", -1},      {"1000.0 KB", "0.98 MB", -1}, {"999.99 MB", "0.98 GB", -1},
      {"1.00 TB", "999.99 GB", 1},  {"5 b", "5 B", 0},            {"1.0 kb", "1.0 KB", 0},
      {"", "0 B", 0},               {"2.00 gb", "2.00 mb", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(Cmp(CellKind::Amount, c.a, c.b), c.order) << c.a << " vs " << c.b;
}

TEST(CompareCells, AmountValueFollowsFormattedAmountsAcrossUnits) {
  const uint64_t bytes[] = {0, 999, 1000, 1023999, 1024000, 1048576000, 1073741824000ull, 5000000000000ull};
  for (uint64_t b : bytes) {
    const double v = AmountValue(FormatAmount(b, true));
    // Within the rounding of the text: a twentieth of a KB, or half a
    // hundredth of the larger units.
    EXPECT_NEAR(v, double(b), std::max(52.0, double(b) * 0.006)) << FormatAmount(b, true);
  }
}

TEST(CompareCells, DatesCompareYearFirstInEveryFormat) {
  const struct {
    uint32_t format;
  } formats[] = {{kDateMDYSlash}, {kDateMDYDot}, {kDateDMYSlash}, {kDateDMYDot},
                 {kDateYMDSlash}, {kDateYMDDash}, {kDateYMDDot}};
  for (const auto& f : formats) {
    const std::string dec31 = FormatDate(f.format, 2025, 12, 31), jan1 = FormatDate(f.format, 2026, 1, 1),
                      feb1 = FormatDate(f.format, 2026, 2, 1), jan2 = FormatDate(f.format, 2026, 1, 2);
    EXPECT_LT(CompareCells(CellKind::Date, dec31, jan1, f.format), 0) << dec31;
    EXPECT_LT(CompareCells(CellKind::Date, jan2, feb1, f.format), 0) << jan2;
    EXPECT_LT(CompareCells(CellKind::Date, jan1, jan2, f.format), 0) << jan1;
    EXPECT_EQ(CompareCells(CellKind::Date, jan1, jan1, f.format), 0);
    // A period cell sorts by its first date.
    EXPECT_GT(CompareCells(CellKind::Date, jan2 + " -- " + feb1, jan1 + " -- " + FormatDate(f.format, 2026, 3, 1),
                           f.format), 0);
  }
}

TEST(CompareCells, ADateCellWithoutTwoSeparatorsComparesAsEqual) {
  EXPECT_EQ(Cmp(CellKind::Date, "12/2026", "01/01/2026"), 0);
  EXPECT_EQ(Cmp(CellKind::Date, "", "01/01/2026"), 0);
  // The separator of another format is not one.
  EXPECT_EQ(Cmp(CellKind::Date, "2026-01-01", "2025-01-01", kDateYMDDot), 0);
}

TEST(CompareCells, NumbersAsNumbersAndTextWithoutRegardToCase) {
  EXPECT_EQ(Cmp(CellKind::Number, "9", "10"), -1);
  EXPECT_EQ(Cmp(CellKind::Number, "53", "1"), 1);
  EXPECT_EQ(Cmp(CellKind::Number, "x", "0"), 0);
  EXPECT_EQ(Cmp(CellKind::Number, "99999999999999999999999", "1"), 1);  // no overflow
  EXPECT_EQ(Cmp(CellKind::Text, "Monday", "Friday"), 1);
  EXPECT_EQ(Cmp(CellKind::Text, "monday", "Monday"), 0);
  EXPECT_EQ(Cmp(CellKind::Text, "Sun", "Sunday"), -1);
}

}  // namespace
}  // namespace qm

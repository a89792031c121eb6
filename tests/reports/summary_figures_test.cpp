#include "reports/summary_figures.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(UntilTodayLine, NamesTheDayAndMonthInFull) {
  EXPECT_EQ(UntilTodayLine(MakeDate(2026, 12, 10)), "Until today - Thursday, December 10, 2026");
  EXPECT_EQ(UntilTodayLine(MakeDate(2026, 3, 1)), "Until today - Sunday, March 01, 2026");
}

TEST(ParseLastDays, ReadsAWholeNumberAndCountsOtherTextAsZero) {
  const struct {
    const char* text;
    int n;
  } cases[] = {{"30", 30}, {"0", 0}, {"", 0}, {"abc", 0}, {" 7", 7}, {"12x", 12}, {"-3", -3},
               {"99999999999999", 1000000}};
  for (const auto& c : cases) EXPECT_EQ(ParseLastDays(c.text), c.n) << c.text;
}

TEST(SumStoredLastDays, SumsTheWindowUpToYesterday) {
  const Date today = MakeDate(2026, 3, 2);
  const std::vector<StoredDay> days = {
      {MakeDate(2026, 2, 26), {1, 10}},   {MakeDate(2026, 2, 27), {2, 20}}, {MakeDate(2026, 2, 28), {4, 40}},
      {MakeDate(2026, 3, 1), {8, 80}},    {MakeDate(2026, 3, 2), {100, 100}},  // a stored today never counts
  };
  const struct {
    int n;
    uint64_t down;
  } cases[] = {{-1, 0}, {0, 0}, {1, 0}, {2, 8}, {3, 12}, {4, 14}, {5, 15}, {400, 15}};
  for (const auto& c : cases) {
    const Traffic t = SumStoredLastDays(days, today, c.n);
    EXPECT_EQ(t.download, c.down) << c.n;
    EXPECT_EQ(t.upload, c.down * 10) << c.n;
  }
}

}  // namespace
}  // namespace qm

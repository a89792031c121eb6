#include "format/dates.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "tests/fakes/settable_clock.h"

namespace qm {
namespace {

std::string Text(const Date& d) { return FormatDate(kDateYMDDash, d) + "/" + std::to_string(d.dayOfWeek); }
std::string Text(const Period& p) { return Text(p.first) + " .. " + Text(p.last); }

TEST(FormatDate, UsesTheOrderOfEachIdAndFallsBackToMonthFirst) {
  EXPECT_EQ(FormatDate(kDateDMYDot, 2026, 3, 5), "05.03.2026");
  EXPECT_EQ(FormatDate(kDateYMDSlash, 2026, 3, 5), "2026/03/05");
  EXPECT_EQ(FormatDate(kDateMDYDot, 2026, 3, 5), "03.05.2026");
  EXPECT_EQ(FormatDate(kDateDMYSlash, 2026, 3, 5), "05/03/2026");
  EXPECT_EQ(FormatDate(kDateYMDDot, 2026, 3, 5), "2026.03.05");
  EXPECT_EQ(FormatDate(kDateYMDDash, 2026, 3, 5), "2026-03-05");
  EXPECT_EQ(FormatDate(0, 2026, 3, 5), "03/05/2026");
  EXPECT_EQ(FormatDate(kDateMDYSlash, 2026, 3, 5), "03/05/2026");
}

// Dates come from files that may hold anything: every number prints as
// printf's "%02d" / "%04d" would, the sign and wide values included.
TEST(FormatDate, PrintsEachNumberAsPrintfWould) {
  const int values[] = {INT_MIN, -10000, -999, -10, -9, -1, 0, 1, 9, 10, 99, 100, 999, 1000, 9999, 10000, 65535, INT_MAX};
  for (int v : values) {
    for (int width : {0, 1, 2, 4, 5}) {
      char expected[32];
      std::snprintf(expected, sizeof expected, "%0*d", width, v);
      std::string got;
      AppendZeroPadded(got, v, width);
      EXPECT_EQ(got, expected) << v << " width " << width;
    }
  }
  // Every format, with numbers on both sides of their own widths.
  const struct {
    uint32_t id;
    const char* format;
    char order[4];
  } formats[] = {{kDateMDYSlash, "%02d/%02d/%04d", "mdy"}, {kDateMDYDot, "%02d.%02d.%04d", "mdy"},
                 {kDateDMYSlash, "%02d/%02d/%04d", "dmy"}, {kDateDMYDot, "%02d.%02d.%04d", "dmy"},
                 {kDateYMDSlash, "%04d/%02d/%02d", "ymd"}, {kDateYMDDash, "%04d-%02d-%02d", "ymd"},
                 {kDateYMDDot, "%04d.%02d.%02d", "ymd"}};
  for (const auto& f : formats) {
    for (int year : {-1, 0, 123, 999, 1000, 2026, 9999, 10000, 20260}) {
      for (int month : {-3, 0, 7, 12, 99, 100}) {
        for (int day : {-1, 0, 5, 31, 99, 100}) {
          int n[3];
          for (int i = 0; i < 3; ++i) n[i] = f.order[i] == 'y' ? year : f.order[i] == 'm' ? month : day;
          char expected[64];
          std::snprintf(expected, sizeof expected, f.format, n[0], n[1], n[2]);
          EXPECT_EQ(FormatDate(f.id, year, month, day), expected);
        }
      }
    }
  }
}

TEST(FormatMailDate, EndsInTheBiasInEffectWithTheSignEastPositive) {
  SettableClock clock;
  clock.now = LocalTime{2026, 12, 1, 7, 2, 17, 42, 0};
  const struct {
    TimeZoneState zone;
    const char* text;
  } cases[] = {
      {{-60, -60, false}, "Mon, 07 Dec 2026 02:17:42 +0100"},
      {{300, -60, true}, "Mon, 07 Dec 2026 02:17:42 -0400"},
      {{0, 0, false}, "Mon, 07 Dec 2026 02:17:42 -0000"},
      {{-330, 0, false}, "Mon, 07 Dec 2026 02:17:42 +0530"},
  };
  for (const auto& c : cases) {
    clock.zone = c.zone;
    EXPECT_EQ(FormatMailDate(clock), c.text);
  }
}

TEST(CompareDates, OrdersByYearThenMonthThenDay) {
  EXPECT_LT(CompareDates(2025, 12, 31, 2026, 1, 1), 0);
  EXPECT_GT(CompareDates(2026, 2, 1, 2026, 1, 31), 0);
  EXPECT_EQ(CompareDates(MakeDate(2026, 1, 1), MakeDate(2026, 1, 1)), 0);
}

TEST(Calendar, UsesTheGregorianLeapYearRule) {
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2026, 2), 28);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2026, 4), 30);
  EXPECT_EQ(DaysInMonth(2026, 12), 31);
  EXPECT_EQ(DayOfWeek(2026, 1, 1), 4);  // Thursday
  EXPECT_EQ(DayOfWeek(2023, 1, 1), 0);  // Sunday
  EXPECT_EQ(Text(AddDays(MakeDate(2100, 2, 28), 1)), "2100-03-01/1");
  EXPECT_EQ(Text(AddDays(MakeDate(2000, 2, 28), 1)), "2000-02-29/2");
}

TEST(WeekOfYear, CountsThePartialFirstWeekAsWeekOne) {
  // 2026 begins on a Thursday; Sunday 4 January starts week 2.
  EXPECT_EQ(WeekOfYear(2026, 1, 1, 0), 1);
  EXPECT_EQ(WeekOfYear(2026, 1, 3, 0), 1);
  EXPECT_EQ(WeekOfYear(2026, 1, 4, 0), 2);
  EXPECT_EQ(WeekOfYear(2026, 1, 10, 0), 2);
  EXPECT_EQ(WeekOfYear(2026, 1, 11, 0), 3);
  // 2023 begins on a Sunday.
  EXPECT_EQ(WeekOfYear(2023, 1, 1, 0), 1);
  EXPECT_EQ(WeekOfYear(2023, 1, 7, 0), 1);
  EXPECT_EQ(WeekOfYear(2023, 1, 8, 0), 2);
  // Monday start in 2026: Monday 5 January starts week 2.
  EXPECT_EQ(WeekOfYear(2026, 1, 4, 1), 1);
  EXPECT_EQ(WeekOfYear(2026, 1, 5, 1), 2);
  EXPECT_EQ(WeekOfYear(2026, 12, 31, 1), 53);
}

TEST(WeekContaining, RunsFromTheWeekStartDayForSevenDays) {
  EXPECT_EQ(Text(WeekContaining(MakeDate(2026, 12, 9), 1)), "2026-12-07/1 .. 2026-12-13/0");  // a Wednesday
  EXPECT_EQ(Text(WeekContaining(MakeDate(2026, 12, 7), 1)), "2026-12-07/1 .. 2026-12-13/0");  // a Monday
  EXPECT_EQ(Text(WeekContaining(MakeDate(2026, 1, 1), 0)), "2025-12-28/0 .. 2026-01-03/6");
  EXPECT_EQ(Text(WeekContaining(MakeDate(2026, 1, 3), 6)), "2026-01-03/6 .. 2026-01-09/5");
}

TEST(MonthPeriodContaining, RunsFromTheStartDayToTheDayBeforeItAMonthLater) {
  const struct {
    int y, m, d, start;
    const char* period;
  } cases[] = {
      {2026, 3, 20, 15, "2026-03-15 .. 2026-04-14"},
      {2026, 3, 10, 15, "2026-02-15 .. 2026-03-14"},
      {2026, 3, 20, 1, "2026-03-01 .. 2026-03-31"},
      {2026, 4, 15, 31, "2026-03-31 .. 2026-04-30"},
      {2026, 5, 1, 31, "2026-05-01 .. 2026-05-30"},
      {2026, 5, 31, 31, "2026-05-31 .. 2026-06-30"},
      {2026, 2, 10, 30, "2026-01-30 .. 2026-02-28"},
      {2026, 3, 1, 30, "2026-03-01 .. 2026-03-29"},
      {2024, 2, 10, 30, "2024-01-30 .. 2024-02-29"},
      {2026, 1, 10, 15, "2025-12-15 .. 2026-01-14"},
      {2026, 12, 20, 15, "2026-12-15 .. 2027-01-14"},
      {2026, 1, 5, 1, "2026-01-01 .. 2026-01-31"},
      {2026, 12, 5, 1, "2026-12-01 .. 2026-12-31"},
      {2026, 12, 31, 31, "2026-12-31 .. 2027-01-30"},
      {2026, 2, 10, 0, "2026-02-01 .. 2026-02-28"},  // out of range: as 1
  };
  for (const auto& c : cases) {
    Period p = MonthPeriodContaining(MakeDate(c.y, c.m, c.d), c.start);
    EXPECT_EQ(FormatDate(kDateYMDDash, p.first) + " .. " + FormatDate(kDateYMDDash, p.last), c.period)
        << c.y << "-" << c.m << "-" << c.d << " start " << c.start;
    EXPECT_TRUE(p.Contains(MakeDate(c.y, c.m, c.d)));
  }
}

TEST(LastDays, SubtractsWholeDaysAcrossMonthsAndYears) {
  EXPECT_EQ(Text(LastDaysStart(MakeDate(2026, 3, 1), 1)), "2026-03-01/0");
  EXPECT_EQ(Text(LastDaysStart(MakeDate(2026, 3, 1), 2)), "2026-02-28/6");
  EXPECT_EQ(Text(LastDaysStart(MakeDate(2026, 1, 15), 30)), "2025-12-17/3");
  EXPECT_EQ(Text(LastDaysStart(MakeDate(2100, 3, 1), 2)), "2100-02-28/0");
  // A count beyond the calendar stops at its first day instead of wrapping.
  EXPECT_EQ(Text(LastDaysStart(MakeDate(2026, 1, 15), 2000000000)), "0001-01-01/1");
  Period p = LastDaysRange(MakeDate(2026, 1, 15), 30);
  EXPECT_EQ(Text(p), "2025-12-17/3 .. 2026-01-15/4");
  EXPECT_TRUE(p.Contains(MakeDate(2025, 12, 31)));
  EXPECT_FALSE(p.Contains(MakeDate(2025, 12, 16)));
  EXPECT_FALSE(p.Contains(MakeDate(2026, 1, 16)));
}

}  // namespace
}  // namespace qm

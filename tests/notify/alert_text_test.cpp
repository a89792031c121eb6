#include "notify/alert_text.h"

#include <gtest/gtest.h>

#include "tests/notify/rule_fixture.h"

namespace qm {
namespace {

NotificationRule Rule(const char* limit, uint32_t unit, uint32_t transfer, uint32_t period, int32_t nDays = 1) {
  return MakeRule(limit, unit, transfer, period, nDays);
}

TEST(AlertMessageText, NamesLimitDirectionAdapterAndPeriodWithItsDays) {
  RuleCalendar calendar{1, 1, kDateMDYSlash};  // weeks from Monday
  const Date thursday = MakeDate(2026, 3, 5);
  const struct {
    NotificationRule rule;
    RuleCalendar calendar;
    const char* text;
  } cases[] = {
      {Rule("3", kUnitBytes, kTransferDown, kPeriodLastDays, 3), calendar,
       "Dear user, more than 3 Bytes have been downloaded through \"LAN\" in last 3 days (03/03/2026 -- "
       "03/05/2026)."},
      {Rule("500", kUnitMB, kTransferUp, kPeriodWeek), calendar,
       "Dear user, more than 500 MB have been uploaded through \"LAN\" in last week (03/02/2026 -- 03/05/2026)."},
      {Rule("1.5", kUnitTB, kTransferBoth, kPeriodMonth), RuleCalendar{0, 1, kDateYMDDash},
       "Dear user, more than 1.5 TB have been downloaded and uploaded through \"LAN\" in last month (2026-03-01 -- "
       "2026-03-05)."},
      // Stored values outside their ranges read as Bytes, both directions, last N days.
      {Rule("7", 9, 7, 5, 1), calendar,
       "Dear user, more than 7 Bytes have been downloaded and uploaded through \"LAN\" in last 1 days (03/05/2026 "
       "-- 03/05/2026)."},
  };
  for (const auto& c : cases) EXPECT_EQ(AlertMessageText(c.rule, "LAN", c.calendar, thursday), c.text);
}

TEST(AlertSoFarText, DirectionWordAndByteUnits) {
  EXPECT_EQ(AlertSoFarText(kTransferDown, 1536 * 1024), "Downloaded so far: 1.50 MB");
  EXPECT_EQ(AlertSoFarText(kTransferUp, 999), "Uploaded so far: 999 B");
  EXPECT_EQ(AlertSoFarText(kTransferBoth, 0), "Downloaded and uploaded so far: 0 B");
  EXPECT_EQ(AlertSoFarText(42, 0), "Downloaded and uploaded so far: 0 B");
}

TEST(CheckAlertMinutes, IntegersOnlyAndAboveZeroForNext) {
  using R = AlertMinutesCheck;
  const struct {
    const char* text;
    uint32_t type;
    R::Result result;
    int32_t minutes;
  } cases[] = {
      {"5", 1, R::Ok, 5},          {" 12 ", 1, R::Ok, 12},          {"32767", 1, R::Ok, 32767},
      {"0", 1, R::NotPositive, 0}, {"-3", 1, R::NotPositive, -3},   {"0", 0, R::Ok, 0},
      {"", 1, R::NotInteger, 0},   {"", 0, R::NotInteger, 0},       {"1.5", 1, R::NotInteger, 0},
      {"5x", 1, R::NotInteger, 0}, {"-", 1, R::NotInteger, 0},      {"99999999999", 1, R::NotInteger, 0},
  };
  for (const auto& c : cases) {
    const R got = CheckAlertMinutes(c.text, c.type);
    EXPECT_EQ(got.result, c.result) << '"' << c.text << "\" type " << c.type;
    if (c.result != R::NotInteger) {
      EXPECT_EQ(got.minutes, c.minutes) << c.text;
    }
  }
}

}  // namespace
}  // namespace qm

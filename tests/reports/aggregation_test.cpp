#include "reports/aggregation.h"

#include <gtest/gtest.h>

#include "reports/report_writer.h"
#include "tests/reports/report_test_util.h"

namespace qm {
namespace {

using test::AllDay;
using test::Day;

struct Aggregate {
  explicit Aggregate(ReportKind k) : kind(k) {}
  ReportKind kind;
  Date today = MakeDate(2026, 3, 20);  // a Friday
  ReportParams params;
  ReportVariant variant = ReportVariant::Service;
  ReportSubject subject;

  ReportData operator()(const std::vector<DayRecord>& records, Traffic live) const {
    ReportAggregator a(kind, subject, today, params, variant);
    for (const DayRecord& r : records) a.Add(r);
    return a.Finish(live);
  }
};

std::string Dates(const Period& p) { return FormatDate(kDateYMDDash, p.first) + ".." + FormatDate(kDateYMDDash, p.last); }

// Rows as "first..last=down/up" with a "*" on the current row.
std::vector<std::string> Rows(const RowReport& r) {
  std::vector<std::string> out;
  for (const ReportRow& row : r.rows)
    out.push_back(Dates(row.period) + "=" + std::to_string(row.traffic.download) + "/" +
                  std::to_string(row.traffic.upload) + (row.current ? "*" : ""));
  return out;
}

using Strings = std::vector<std::string>;

TEST(ReportAggregation, EmptyHistoryGivesOneCurrentRowOfLiveTotals) {
  const Traffic live{7, 3};
  EXPECT_EQ(Rows(Aggregate{ReportKind::Daily}({}, live).rows), Strings{"2026-03-20..2026-03-20=7/3*"});
  EXPECT_EQ(Rows(Aggregate{ReportKind::Weekly}({}, live).rows), Strings{"2026-03-15..2026-03-21=7/3*"});
  EXPECT_EQ(Rows(Aggregate{ReportKind::Monthly}({}, live).rows), Strings{"2026-03-01..2026-03-31=7/3*"});
  const ReportData s = Aggregate{ReportKind::Summary}({}, live);
  for (const Traffic& t : {s.summary.live, s.summary.Shown(s.summary.week), s.summary.Shown(s.summary.month),
                           s.summary.Shown(s.summary.year), s.summary.Shown(s.summary.lastDays),
                           s.summary.Shown(s.summary.total)}) {
    EXPECT_EQ(t.download, 7u);
    EXPECT_EQ(t.upload, 3u);
  }
  EXPECT_EQ(Dates(s.summary.range), "2026-03-20..2026-03-20");
}

TEST(ReportAggregation, DailyRowsAreNewestFirstWithTodayInFront) {
  const ReportData d = Aggregate{ReportKind::Daily}({AllDay(2026, 3, 18, 1), AllDay(2026, 3, 19, 2)}, {5, 0});
  EXPECT_EQ(Rows(d.rows), (Strings{"2026-03-20..2026-03-20=5/0*", "2026-03-19..2026-03-19=2/0",
                                   "2026-03-18..2026-03-18=1/0"}));
  EXPECT_EQ(Dates(d.rows.range), "2026-03-18..2026-03-20");
}

TEST(ReportAggregation, StoredRecordOfTodayIsNeverCountedTwice) {
  const std::vector<DayRecord> file = {AllDay(2026, 3, 19, 10), AllDay(2026, 3, 20, 1000)};
  const Traffic live{1500, 0};
  EXPECT_EQ(Rows(Aggregate{ReportKind::Daily}(file, live).rows),
            (Strings{"2026-03-20..2026-03-20=1500/0*", "2026-03-19..2026-03-19=10/0"}));
  EXPECT_EQ(Rows(Aggregate{ReportKind::Weekly}(file, live).rows), Strings{"2026-03-15..2026-03-21=1510/0*"});
  EXPECT_EQ(Rows(Aggregate{ReportKind::Monthly}(file, live).rows), Strings{"2026-03-01..2026-03-31=1510/0*"});
  const SummaryReport s = Aggregate{ReportKind::Summary}(file, live).summary;
  EXPECT_EQ(s.Shown(s.total).download, 1510u);
  EXPECT_EQ(s.Shown(s.week).download, 1510u);
}

TEST(ReportAggregation, MonthStartSplitsTheMonthAndNumbersRowsByTheirLastDate) {
  std::vector<DayRecord> file;
  for (int d = 10; d <= 19; ++d) file.push_back(AllDay(2026, 3, d, uint64_t(d)));
  Aggregate run{ReportKind::Monthly};
  run.params.monthStartDay = 15;
  const ReportData m = run(file, {100, 0});
  EXPECT_EQ(Rows(m.rows), (Strings{"2026-03-15..2026-04-14=" + std::to_string(15 + 16 + 17 + 18 + 19 + 100) + "/0*",
                                   "2026-02-15..2026-03-14=" + std::to_string(10 + 11 + 12 + 13 + 14) + "/0"}));
  EXPECT_EQ(Dates(m.rows.range), "2026-02-15..2026-04-14");
  const ReportCells cells = MakeReportCells(m, "x", run.params);
  EXPECT_EQ(cells.rows[0][0], "4");
  EXPECT_EQ(cells.rows[1][0], "3");
}

TEST(ReportAggregation, WeekStartDecidesWhereSundayBelongs) {
  // Sunday 15 and Monday 16 March 2026.
  const std::vector<DayRecord> file = {AllDay(2026, 3, 15, 1), AllDay(2026, 3, 16, 2)};
  Aggregate run{ReportKind::Weekly};
  run.params.weekStartDay = 1;
  EXPECT_EQ(Rows(run(file, {}).rows),
            (Strings{"2026-03-16..2026-03-22=2/0*", "2026-03-09..2026-03-15=1/0"}));
  run.params.weekStartDay = 0;
  EXPECT_EQ(Rows(run(file, {}).rows), Strings{"2026-03-15..2026-03-21=3/0*"});
  // An out-of-range start day (an odd stored setting) reads as Sunday, in
  // the rows and in the header alike.
  run.params.weekStartDay = 7;
  const ReportData odd = run(file, {});
  EXPECT_EQ(Rows(odd.rows), Strings{"2026-03-15..2026-03-21=3/0*"});
  const ReportCells cells = MakeReportCells(odd, "x", run.params);
  EXPECT_EQ(cells.weekStartDay, 0);
  EXPECT_EQ(cells.rows[0][0], "12");
}

TEST(ReportAggregation, OnlyConsecutiveRecordsOfAPeriodFormOneRow) {
  // A clock set back for a day interrupts February: two rows for it.
  const std::vector<DayRecord> file = {AllDay(2026, 2, 1, 1), AllDay(2026, 2, 2, 2), AllDay(2026, 1, 5, 4),
                                       AllDay(2026, 2, 3, 8)};
  EXPECT_EQ(Rows(Aggregate{ReportKind::Monthly}(file, {}).rows),
            (Strings{"2026-03-01..2026-03-31=0/0*", "2026-02-01..2026-02-28=8/0", "2026-01-01..2026-01-31=4/0",
                     "2026-02-01..2026-02-28=3/0"}));
}

// A record's stored day of week is a copy of its date's; a file whose copy
// is wrong (written by hand, or damaged) must not shift the record's week
// off the week start or put a wrong day name beside its date.
TEST(ReportAggregation, ARecordBelongsToTheWeekOfItsDateWhateverDayItClaims) {
  DayRecord tuesday = AllDay(2026, 3, 17, 1);
  tuesday.dayOfWeek = 0;  // claims to be a Sunday
  EXPECT_EQ(Rows(Aggregate{ReportKind::Weekly}({tuesday}, {}).rows), Strings{"2026-03-15..2026-03-21=1/0*"});
  const ReportData daily = Aggregate{ReportKind::Daily}({tuesday}, {});
  ASSERT_EQ(daily.rows.rows.size(), 2u);
  EXPECT_STREQ(DayName(daily.rows.rows[1].dayOfWeek), "Tuesday");
}

// Records out of date order (a clock set far ahead and back) and weeks that
// run past the year 9999: every row is a whole week, and the range of a
// weekly or monthly report runs from the earliest row to the latest
// whatever order the file has.
TEST(ReportAggregation, RangeRunsFromTheEarliestRowToTheLatestPastTheYear9999) {
  const std::vector<DayRecord> file = {AllDay(9999, 12, 31, 1), AllDay(2026, 3, 17, 2), AllDay(1601, 1, 1, 4)};
  for (ReportVariant variant : {ReportVariant::Service, ReportVariant::Desktop}) {
    Aggregate run{ReportKind::Weekly};
    run.variant = variant;
    const RowReport weekly = run(file, {}).rows;
    if (variant == ReportVariant::Service)
      EXPECT_EQ(Rows(weekly), (Strings{"2026-03-15..2026-03-21=0/0*", "1600-12-31..1601-01-06=4/0",
                                       "2026-03-15..2026-03-21=2/0", "9999-12-26..10000-01-01=1/0"}));
    else
      EXPECT_EQ(Rows(weekly), (Strings{"1600-12-31..1601-01-06=4/0", "2026-03-15..2026-03-21=2/0*",
                                       "9999-12-26..10000-01-01=1/0"}));
    EXPECT_EQ(Dates(weekly.range), "1600-12-31..10000-01-01");
    run.kind = ReportKind::Monthly;
    EXPECT_EQ(Dates(run(file, {}).rows.range), "1601-01-01..9999-12-31");
  }
  Aggregate run{ReportKind::Weekly};
  run.today = MakeDate(9999, 12, 31);
  const ReportData data = run({AllDay(9999, 12, 30, 1)}, {});
  EXPECT_EQ(Rows(data.rows), Strings{"9999-12-26..10000-01-01=1/0*"});
  const ReportCells cells = MakeReportCells(data, "x", run.params);
  EXPECT_EQ(cells.rows[0][0], "1");  // week 1 of the year its last day is in
  EXPECT_EQ(cells.rows[0][1], "12/26/9999 -- 01/01/10000");
}

TEST(ReportAggregation, RecordsOfOtherAdaptersAreIgnored) {
  const std::vector<DayRecord> file = {
      AllDay(2026, 3, 19, 1), Day(2026, 3, 19, kKindDialUp, "", 2, 0),
      Day(2026, 3, 19, kKindAdapter, test::kAdapterA, 4, 0), Day(2026, 3, 19, kKindAdapter, test::kAdapterB, 8, 0),
      Day(2026, 3, 18, kKindAdapter, "{00000002-0000-0000-0000-4e6574446576}", 16, 0)};  // IDs are case-sensitive
  const struct {
    int32_t kind;
    std::string id;
    uint64_t expected;
  } cases[] = {{kKindAllConnections, "ignored for pseudo adapters", 1}, {kKindDialUp, "", 2},
               {kKindAdapter, test::kAdapterA, 4}, {kKindAdapter, test::kAdapterB, 8}};
  for (const auto& c : cases) {
    Aggregate run{ReportKind::Summary};
    run.subject = ReportSubject{c.kind, c.id};
    const SummaryReport s = run(file, {}).summary;
    EXPECT_EQ(s.total.download, c.expected) << c.kind << " " << c.id;
  }
}

TEST(ReportAggregation, SummarySumsEachFigureOverItsOwnPeriod) {
  // Today Friday 20 March 2026; week from Monday, month from the 15th, last 3 days.
  const std::vector<DayRecord> file = {
      AllDay(2025, 12, 31, 1), AllDay(2026, 1, 2, 2), AllDay(2026, 3, 14, 4),
      AllDay(2026, 3, 15, 8),  AllDay(2026, 3, 16, 16), AllDay(2026, 3, 18, 32)};
  Aggregate run{ReportKind::Summary};
  run.params.weekStartDay = 1;
  run.params.monthStartDay = 15;
  run.params.lastDays = 3;
  const SummaryReport s = run(file, {100, 0}).summary;
  EXPECT_EQ(s.Shown(s.week).download, 16u + 32 + 100);
  EXPECT_EQ(s.Shown(s.month).download, 8u + 16 + 32 + 100);
  EXPECT_EQ(s.Shown(s.year).download, 2u + 4 + 8 + 16 + 32 + 100);
  EXPECT_EQ(s.Shown(s.lastDays).download, 32u + 100);
  EXPECT_EQ(s.Shown(s.total).download, 63u + 100);
  EXPECT_EQ(Dates(s.range), "2025-12-31..2026-03-20");

  run.params.lastDays = 2000000000;  // a stray setting: every record
  const SummaryReport all = run(file, {100, 0}).summary;
  EXPECT_EQ(all.Shown(all.lastDays).download, 63u + 100);

  run.params.lastDays = 1;  // the last day is today alone
  const SummaryReport one = run(file, {100, 0}).summary;
  EXPECT_EQ(one.Shown(one.lastDays).download, 100u);
}

TEST(ReportAggregation, LastDaysBelowOneLeavesItsFiguresEmpty) {
  Aggregate run{ReportKind::Summary};
  run.params.lastDays = 0;
  const ReportCells cells = MakeReportCells(run({AllDay(2026, 3, 19, 5)}, {1, 1}), "x", run.params);
  ASSERT_EQ(cells.rows.size(), 6u);
  EXPECT_EQ(cells.rows[4], (Strings{"Last 0 Days:", "", "", ""}));
  EXPECT_EQ(cells.rows[5], (Strings{"Total:", "6 B", "1 B", "7 B"}));
}

// A record of today that is not the newest in the file (the clock was set
// back after it was written): the service only looks at the front row,
// the desktop program finds today's row wherever it stands.
TEST(ReportAggregation, ServiceAndDesktopPickTheCurrentRowDifferently) {
  const std::vector<DayRecord> file = {AllDay(2026, 3, 20, 50), AllDay(2026, 3, 10, 7)};
  Aggregate daily{ReportKind::Daily};
  const ReportData service = daily(file, {9, 0});
  EXPECT_EQ(Rows(service.rows), (Strings{"2026-03-20..2026-03-20=9/0*", "2026-03-10..2026-03-10=7/0",
                                         "2026-03-20..2026-03-20=50/0"}));
  EXPECT_EQ(Dates(service.rows.range), "2026-03-20..2026-03-20");
  daily.variant = ReportVariant::Desktop;
  const ReportData desktop = daily(file, {9, 0});
  EXPECT_EQ(Rows(desktop.rows), (Strings{"2026-03-10..2026-03-10=7/0", "2026-03-20..2026-03-20=9/0*"}));
  EXPECT_EQ(Dates(desktop.rows.range), "2026-03-10..2026-03-20");

  // Weekly: this week's stored days sit behind an older week in the file.
  const std::vector<DayRecord> weeks = {AllDay(2026, 3, 16, 1), AllDay(2026, 3, 2, 2)};
  Aggregate weekly{ReportKind::Weekly};
  EXPECT_EQ(Rows(weekly(weeks, {10, 0}).rows), (Strings{"2026-03-15..2026-03-21=10/0*", "2026-03-01..2026-03-07=2/0",
                                                        "2026-03-15..2026-03-21=1/0"}));
  weekly.variant = ReportVariant::Desktop;
  ReportData w = weekly(weeks, {10, 0});
  EXPECT_EQ(Rows(w.rows), (Strings{"2026-03-01..2026-03-07=2/0", "2026-03-15..2026-03-21=11/0*"}));
  // Each refresh shows the stored sums plus the new live totals.
  w.rows.ApplyLive({20, 4});
  EXPECT_EQ(Rows(w.rows)[1], "2026-03-15..2026-03-21=21/4*");
}

// The line below each list: the current row counts as it is shown, so
// the figures move with the live totals.
TEST(ReportAggregation, SelectionLineSumsTheRowsAsShown) {
  const std::vector<DayRecord> file = {AllDay(2026, 3, 16, 1024, 10), AllDay(2026, 3, 19, 2048, 0)};
  ReportData daily = Aggregate{ReportKind::Daily}(file, {1024, 512});
  EXPECT_EQ(SelectionLine(daily.rows, {}), "Selected: 0");
  EXPECT_EQ(SelectionLine(daily.rows, {0, 2}), "Selected: 2   Down: 2.0 KB   Up: 522 B   Both: 2.5 KB");
  daily.rows.ApplyLive({2048, 512});
  EXPECT_EQ(SelectionLine(daily.rows, {0, 2}), "Selected: 2   Down: 3.0 KB   Up: 522 B   Both: 3.5 KB");

  // Weekly: the current row is its stored sums plus the live totals.
  Aggregate run{ReportKind::Weekly};
  run.params.weekStartDay = 1;
  const ReportData weekly = run(file, {24, 0});
  EXPECT_EQ(SelectionLine(weekly.rows, {0}), "Selected: 1   Down: 3.0 KB   Up: 10 B   Both: 3.0 KB");
}

}  // namespace
}  // namespace qm

#include "reports/aggregation.h"

#include <algorithm>

namespace qm {
namespace {

// The day of week from the date itself: a record's stored copy may be wrong
// in a damaged or hand-made file, and a week must start on the week start.
Date DateOf(const DayRecord& r) { return MakeDate(r.year, r.month, r.day); }

bool SameDay(const Date& a, const Date& b) { return CompareDates(a, b) == 0; }

bool SamePeriod(const Period& a, const Period& b) { return SameDay(a.first, b.first) && SameDay(a.last, b.last); }

// The service looks only at the newest row for today; the desktop program
// takes the newest row of today wherever it stands. Without one, a row for
// today's period goes in front.
int FindCurrent(const std::vector<ReportRow>& rows, ReportVariant variant, const Period& today) {
  const size_t limit = variant == ReportVariant::Service ? std::min<size_t>(rows.size(), 1) : rows.size();
  for (size_t i = 0; i < limit; ++i)
    if (SamePeriod(rows[i].period, today)) return int(i);
  return -1;
}

// From the first date of the oldest row to the last date of the newest, by
// date rather than by position: a file out of date order (a clock set ahead
// and back) would otherwise give a range that ends before it starts. Never
// empty: the current row is there.
Period RangeOf(const std::vector<ReportRow>& rows) {
  Period range = rows.front().period;
  for (const ReportRow& r : rows) {
    if (CompareDates(r.period.first, range.first) < 0) range.first = r.period.first;
    if (CompareDates(r.period.last, range.last) > 0) range.last = r.period.last;
  }
  return range;
}

}  // namespace

const char* DayName(int dayOfWeek) {
  static const char* const kNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  return dayOfWeek >= 0 && dayOfWeek < 7 ? kNames[dayOfWeek] : "";
}

void RowReport::ApplyLive(const Traffic& live) {
  if (currentIndex < 0 || size_t(currentIndex) >= rows.size()) return;
  Traffic shown = currentBase;
  shown.Add(live);
  rows[size_t(currentIndex)].traffic = shown;
}

ReportAggregator::ReportAggregator(ReportKind kind, const ReportSubject& subject, const Date& today,
                                   const ReportParams& params, ReportVariant variant)
    : kind_(kind), subject_(subject), today_(today), params_(params.Normalized()), variant_(variant) {
  if (kind_ == ReportKind::Summary) {
    week_ = WeekContaining(today_, params_.weekStartDay);
    month_ = MonthPeriodContaining(today_, params_.monthStartDay);
    if (params_.lastDays > 1) lastDaysWindow_ = LastDaysRange(today_, params_.lastDays);
    summary_.lastDaysCount = params_.lastDays;
    summary_.range = Period{today_, today_};
  }
}

Period ReportAggregator::PeriodOf(const Date& d) const {
  return kind_ == ReportKind::Weekly ? WeekContaining(d, params_.weekStartDay)
                                     : MonthPeriodContaining(d, params_.monthStartDay);
}

void ReportAggregator::Add(const DayRecord& record) {
  if (subject_.Matches(record)) AddSubjectRecord(record);
}

void ReportAggregator::AddSubjectRecord(const DayRecord& record) {
  const Date d = DateOf(record);
  switch (kind_) {
    case ReportKind::Daily: {
      if (rows_.empty()) ReserveDailyRows(d);
      ReportRow row;
      row.period = Period{d, d};
      row.dayOfWeek = d.dayOfWeek;
      row.traffic.Add(record.download, record.upload);
      rows_.push_back(row);
      break;
    }
    case ReportKind::Weekly:
    case ReportKind::Monthly:
      if (SameDay(d, today_)) return;
      // Only consecutive records form a group: a period interrupted by
      // another one in the file gives two rows.
      if (groupOpen_ && group_.period.Contains(d)) {
        group_.traffic.Add(record.download, record.upload);
      } else {
        CloseGroup();
        group_ = ReportRow{};
        group_.period = PeriodOf(d);
        group_.traffic.Add(record.download, record.upload);
        groupOpen_ = true;
      }
      break;
    case ReportKind::Summary:
      if (!SameDay(d, today_)) AddToSummary(record, d);
      break;
  }
}

// Room for a row per day from the first record to today, up to twenty
// years' worth: a history of ten years has thousands of rows, and growing
// the rows one doubling at a time copied them and took fresh memory for
// each copy. Rows beyond the estimate grow as usual.
void ReportAggregator::ReserveDailyRows(const Date& first) {
  constexpr int64_t kMostDays = 20 * 366;
  const int64_t days = DayNumber(today_.year, today_.month, today_.day) - DayNumber(first.year, first.month, first.day);
  rows_.reserve(size_t(std::clamp<int64_t>(days + 1, 1, kMostDays)));
}

// The rows move rather than copy: a daily report of ten years has thousands.
void ReportAggregator::TakeRowsNewestFirst(RowReport& out) {
  out.rows = std::move(rows_);
  rows_.clear();
  std::reverse(out.rows.begin(), out.rows.end());
}

void ReportAggregator::CloseGroup() {
  if (!groupOpen_) return;
  rows_.push_back(group_);
  groupOpen_ = false;
}

void ReportAggregator::AddToSummary(const DayRecord& r, const Date& d) {
  summary_.total.Add(r.download, r.upload);
  if (d.year == today_.year) summary_.year.Add(r.download, r.upload);
  if (month_.Contains(d)) summary_.month.Add(r.download, r.upload);
  if (week_.Contains(d)) summary_.week.Add(r.download, r.upload);
  if (params_.lastDays > 1 && lastDaysWindow_.Contains(d)) summary_.lastDays.Add(r.download, r.upload);
  if (CompareDates(d, summary_.range.first) < 0) summary_.range.first = d;
  if (CompareDates(d, summary_.range.last) > 0) summary_.range.last = d;
}

ReportData ReportAggregator::Finish(const Traffic& live) {
  ReportData data;
  data.kind = kind_;
  switch (kind_) {
    case ReportKind::Daily: FinishDaily(live, data.rows); break;
    case ReportKind::Weekly:
    case ReportKind::Monthly: FinishGroups(live, data.rows); break;
    case ReportKind::Summary:
      data.summary = summary_;
      data.summary.live = live;
      break;
  }
  return data;
}

void ReportAggregator::FinishDaily(const Traffic& live, RowReport& out) {
  TakeRowsNewestFirst(out);
  const Period todayPeriod{today_, today_};
  int current = FindCurrent(out.rows, variant_, todayPeriod);
  if (current < 0) {
    ReportRow row;
    row.period = todayPeriod;
    row.dayOfWeek = today_.dayOfWeek;
    out.rows.insert(out.rows.begin(), row);
    current = 0;
  }
  out.currentIndex = current;
  out.rows[size_t(current)].current = true;
  out.currentBase = Traffic{};
  out.ApplyLive(live);

  if (variant_ == ReportVariant::Service) {
    // File order decides: the oldest record's date to the front row's.
    out.range = Period{out.rows.back().period.first, out.rows.front().period.first};
  } else {
    out.range = todayPeriod;
    for (const ReportRow& r : out.rows) {
      if (CompareDates(r.period.first, out.range.first) < 0) out.range.first = r.period.first;
      if (CompareDates(r.period.first, out.range.last) > 0) out.range.last = r.period.first;
    }
  }
}

void ReportAggregator::FinishGroups(const Traffic& live, RowReport& out) {
  CloseGroup();
  TakeRowsNewestFirst(out);
  const Period todayPeriod = PeriodOf(today_);
  int current = FindCurrent(out.rows, variant_, todayPeriod);
  if (current < 0) {
    ReportRow row;
    row.period = todayPeriod;
    out.rows.insert(out.rows.begin(), row);
    current = 0;
  }
  out.currentIndex = current;
  out.rows[size_t(current)].current = true;
  out.currentBase = out.rows[size_t(current)].traffic;
  out.ApplyLive(live);
  out.range = RangeOf(out.rows);
}

}  // namespace qm

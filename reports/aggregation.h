#pragma once
// Turns the subject's day records into report rows or summary figures.
// Records are fed one at a time in file order, so a history of any length
// is aggregated without holding it; a record of today is never summed, the
// live totals take its place.

#include "reports/report_types.h"

namespace qm {

class ReportAggregator {
 public:
  // today must carry its day of week.
  ReportAggregator(ReportKind kind, const ReportSubject& subject, const Date& today, const ReportParams& params,
                   ReportVariant variant = ReportVariant::Service);

  // Any record of the file; those of other adapters are ignored.
  void Add(const DayRecord& record);
  // A record known to be the subject's (as VisitAdapterDayRecords hands
  // them), without asking again.
  void AddSubjectRecord(const DayRecord& record);
  // Closes the aggregation, once; the live totals are today's figures.
  ReportData Finish(const Traffic& live);

 private:
  Period PeriodOf(const Date& d) const;
  void CloseGroup();
  void ReserveDailyRows(const Date& first);
  void TakeRowsNewestFirst(RowReport& out);
  void FinishDaily(const Traffic& live, RowReport& out);
  void FinishGroups(const Traffic& live, RowReport& out);
  void AddToSummary(const DayRecord& r, const Date& d);

  ReportKind kind_;
  ReportSubject subject_;
  Date today_;
  ReportParams params_;
  ReportVariant variant_;

  // Rows in file order (oldest first); reversed when finishing.
  std::vector<ReportRow> rows_;
  bool groupOpen_ = false;
  ReportRow group_;

  // Summary state.
  Period week_, month_, lastDaysWindow_;
  SummaryReport summary_;
};

// Day names, 0 = Sunday.
const char* DayName(int dayOfWeek);

}  // namespace qm

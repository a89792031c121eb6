#pragma once
// What a traffic report is made of: its kind, its subject, its parameters
// and the rows or figures that the aggregation produces for it.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/day_record.h"
#include "format/amount.h"
#include "format/dates.h"

namespace qm {

enum class ReportKind { Daily = 1, Weekly = 2, Monthly = 3, Summary = 4 };
enum class ReportForm { Text, Csv, Html };

// The service and the desktop program pick the current row differently;
// everything else is shared.
enum class ReportVariant { Service, Desktop };

struct ReportParams {
  uint32_t dateFormat = kDateMDYSlash;
  int weekStartDay = 0;   // 0 = Sunday
  int monthStartDay = 1;  // 1..31
  int lastDays = 30;      // N of the last N days; below 1 hides the figures

  // Out-of-range start days read as their defaults, as the options do.
  ReportParams Normalized() const {
    ReportParams p = *this;
    if (p.weekStartDay < 0 || p.weekStartDay > 6) p.weekStartDay = 0;
    if (p.monthStartDay < 1 || p.monthStartDay > 31) p.monthStartDay = 1;
    return p;
  }
};

// One adapter or pseudo adapter. Pseudo adapters match by kind alone.
struct ReportSubject {
  int32_t kind = kKindAllConnections;
  std::string id;
  bool Matches(const DayRecord& r) const { return r.SameAdapter(kind, id); }
};

struct Traffic {
  uint64_t download = 0;
  uint64_t upload = 0;
  // A history of absurd totals holds its sums at the largest count.
  void Add(uint64_t down, uint64_t up) {
    download = AddSaturated(download, down);
    upload = AddSaturated(upload, up);
  }
  uint64_t Both() const { return AddSaturated(download, upload); }
  void Add(const Traffic& t) { Add(t.download, t.upload); }
};

struct ReportRow {
  Period period;          // first == last for a daily row
  uint16_t dayOfWeek = 0; // daily rows
  Traffic traffic;        // as shown (the current row includes the live totals)
  bool current = false;
};

// Daily, weekly or monthly rows, newest first.
struct RowReport {
  std::vector<ReportRow> rows;
  Period range;
  int currentIndex = 0;
  // What the live totals are added to in the current row: nothing for a
  // daily row (the live totals replace the stored day), the stored sums of
  // the period for a weekly or monthly row.
  Traffic currentBase;

  // Refreshes the current row from new live totals.
  void ApplyLive(const Traffic& live);
};

struct SummaryReport {
  // Stored sums without today; the figures shown add the live totals.
  Traffic week, month, year, lastDays, total;
  int lastDaysCount = 30;
  Period range;

  Traffic live;  // today's figures

  Traffic Shown(Traffic stored) const {
    stored.Add(live);
    return stored;
  }
  bool LastDaysShown() const { return lastDaysCount >= 1; }
};

// The outcome of one aggregation: rows for the daily, weekly and monthly
// kinds, figures for the summary.
struct ReportData {
  ReportKind kind = ReportKind::Daily;
  RowReport rows;
  SummaryReport summary;
};

}  // namespace qm

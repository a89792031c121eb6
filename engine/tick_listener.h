#pragma once
// What the sampling tick hands to the rest of the program. The meter window
// and the service implement the calls they need; the others do nothing.
//
// Per record (the system's adapters in the system's order, then the absent
// ones, then "All Connections" and "Dial-Up Connections"), a tick calls
// AddSample, SetTitle (only when the address changed), RefreshTrayIcon,
// WriteRatesLine; after all records EvaluateNotification and, in the
// service, AdvanceReportTasks.

#include <string>

#include "engine/adapter_record.h"
#include "engine/rate_sample.h"
#include "platform/clock.h"

namespace qm {

class TickListener {
 public:
  virtual ~TickListener() = default;

  // Desktop: the record has a graph view; the sample is already at the head
  // of its history.
  virtual void AddSample(AdapterRecord& record, const RateSample& sample) { (void)record, (void)sample; }
  // Desktop: the address changed, ShowIPInTitle is on and there is a graph view.
  virtual void SetTitle(AdapterRecord& record, const std::string& title) { (void)record, (void)title; }
  // The record is the tray adapter and the tray icon is shown.
  virtual void RefreshTrayIcon(AdapterRecord& record) { (void)record; }
  // Desktop: the record's rates log is open; service: RecordTrafficRates is set.
  virtual void WriteRatesLine(AdapterRecord& record, const RateSample& sample, const LocalTime& time) {
    (void)record, (void)sample, (void)time;
  }
  // A new day began (NotificationEnabled on): the limit and the period's sum.
  virtual void PrepareNotification() {}
  // After all records of a tick (NotificationEnabled on).
  virtual void EvaluateNotification() {}
  // Service: one second of the scheduled report tasks' countdown.
  virtual void AdvanceReportTasks() {}

  // An adapter first reported while running; its menu command identifiers
  // are set. The meter window adds its menu entries.
  virtual void AdapterAdded(AdapterRecord& record) { (void)record; }
  // After ResetRates: the graph view lays itself out again (empty graph).
  virtual void Relayout(AdapterRecord& record) { (void)record; }

  // The history file could not be written (the first failure of a run of
  // them); the totals stay in memory and the next flush tries again.
  virtual void HistoryWriteFailed(const std::string& path, const std::string& reason) { (void)path, (void)reason; }
  // The first flush that succeeded after failures.
  virtual void HistoryWritten(const std::string& path) { (void)path; }
};

}  // namespace qm

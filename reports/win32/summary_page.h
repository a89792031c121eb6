#pragma once
// The Summary page of the traffic reports window: today's, this week's,
// month's and year's, the last N days' and all traffic of the subject, kept
// current every second; the number N in an edit box with a spin control;
// and the history file's path with Change, Backup and Restore.

#include <array>
#include <string>
#include <vector>

#include "reports/summary_figures.h"
#include "reports/win32/report_page.h"

namespace qm {

class CSumSummaryPage : public ReportPage {
 public:
  using ReportPage::ReportPage;

  bool CreatePage(HWND sheet) override;
  void Activate() override;
  void Export() override;
  void Reload() override;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR id) override;
  void OnDestroy() override;

 private:
  ReportData Figures() const;
  // Sets the figures of the rows [first, last] that differ from what is shown.
  void ShowRows(size_t first, size_t last);
  void LastDaysEdited();
  int TypedLastDays() const;

  void ChangeLogFile();
  void BackupLogFile();
  void RestoreLogFile();
  void ShowLogPath(const std::string& path);

  ReportSubject subject_;
  bool loaded_ = false;
  Date today_;
  SummaryReport summary_;
  std::vector<StoredDay> stored_;  // the subject's days but today, for the last-days row
  std::array<std::string, 18> shown_;  // the figures shown, row by row
};

}  // namespace qm

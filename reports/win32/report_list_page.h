#pragma once
// A page of the traffic reports window that lists report rows: the daily,
// weekly or monthly report of the subject, newest first unless the user
// sorted it otherwise, the row holding today kept current every second,
// and a line summing the selected rows.

#include "reports/report_writer.h"
#include "reports/win32/report_page.h"
#include "uikit/sortable_list_view.h"

namespace qm {

class ReportListPage : public ReportPage {
 public:
  ReportListPage(HINSTANCE instance, ReportsWindowState& state, ReportKind kind);

  bool CreatePage(HWND sheet) override;
  void Activate() override;
  void Export() override;
  void Reload() override;

 protected:
  bool OnInit() override;
  bool OnTimer(UINT_PTR id) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void RefreshCurrent();
  void ShowSelection();
  std::vector<std::string> Cells(size_t row) const;

  ReportKind kind_;
  SortableListView list_;
  ReportSubject subject_;  // what the rows were loaded for
  bool loaded_ = false;
  Date today_;
  ReportData data_;
  int sortColumn_ = -1;
  bool sortDescending_ = false;
  std::string selectionShown_;
};

class CSumDailyPage : public ReportListPage {
 public:
  CSumDailyPage(HINSTANCE instance, ReportsWindowState& state) : ReportListPage(instance, state, ReportKind::Daily) {}
};

class CSumWeeklyPage : public ReportListPage {
 public:
  CSumWeeklyPage(HINSTANCE instance, ReportsWindowState& state)
      : ReportListPage(instance, state, ReportKind::Weekly) {}
};

class CSumMonthlyPage : public ReportListPage {
 public:
  CSumMonthlyPage(HINSTANCE instance, ReportsWindowState& state)
      : ReportListPage(instance, state, ReportKind::Monthly) {}
};

}  // namespace qm

#include "reports/win32/report_list_page.h"

#include "meter/win32/resource.h"
#include "reports/aggregation.h"
#include "reports/win32/report_export.h"

namespace qm {
namespace {

std::vector<ListColumn> ColumnsOf(ReportKind kind) {
  if (kind == ReportKind::Daily)
    return {{"Date", 95, LVCFMT_LEFT, CellKind::Date},
            {"Day", 95, LVCFMT_LEFT, CellKind::Text},
            {"Downloaded", 100, LVCFMT_RIGHT, CellKind::Amount},
            {"Uploaded", 100, LVCFMT_RIGHT, CellKind::Amount},
            {"Both", 100, LVCFMT_RIGHT, CellKind::Amount}};
  return {{"#", 30, LVCFMT_LEFT, CellKind::Number},
          {kind == ReportKind::Weekly ? "Week" : "Month", 160, LVCFMT_CENTER, CellKind::Date},
          {"Downloaded", 100, LVCFMT_RIGHT, CellKind::Amount},
          {"Uploaded", 100, LVCFMT_RIGHT, CellKind::Amount},
          {"Both", 100, LVCFMT_RIGHT, CellKind::Amount}};
}

// The date or period column, by which a page opens (newest first).
constexpr int kDateColumn[] = {0, 0, 1, 1, 0};

}  // namespace

ReportListPage::ReportListPage(HINSTANCE instance, ReportsWindowState& state, ReportKind kind)
    : ReportPage(instance, state), kind_(kind), list_(UM_LIST_SORTED, UM_LIST_SELECTION_CHANGED) {}

bool ReportListPage::CreatePage(HWND sheet) { return Create(instance_, IDD_SUM_LIST, sheet); }

bool ReportListPage::OnInit() {
  HWND label = Item(IDC_SUM_START_DAY);
  if (kind_ == ReportKind::Daily) {
    // Nothing to say above the daily list: it takes the label's place.
    RECT l, r;
    GetWindowRect(label, &l);
    GetWindowRect(Item(IDC_SUM_LIST), &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&l), 2);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(Item(IDC_SUM_LIST), nullptr, r.left, l.top, r.right - r.left, r.bottom - l.top, SWP_NOZORDER);
    ShowWindow(label, SW_HIDE);
  } else if (kind_ == ReportKind::Weekly) {
    SetWindowTextA(label, (std::string("Start day of week is: ") + DayName(Params().weekStartDay)).c_str());
  } else {
    SetWindowTextA(label, ("Start day of month is: " + std::to_string(Params().monthStartDay)).c_str());
  }
  list_.Attach(Item(IDC_SUM_LIST), ColumnsOf(kind_), state_.dateFormat);
  sortColumn_ = kDateColumn[int(kind_)];
  sortDescending_ = true;
  Reload();
  StartRefresh();
  return true;
}

void ReportListPage::Activate() {
  if (!loaded_ || subject_.kind != state_.subject.kind || subject_.id != state_.subject.id)
    Reload();
  else
    RefreshCurrent();
}

std::vector<std::string> ReportListPage::Cells(size_t row) const {
  ReportData one;
  one.kind = kind_;
  one.rows.rows.push_back(data_.rows.rows[row]);
  ReportCells cells = MakeReportCells(one, std::string(), Params());
  return cells.rows.empty() ? std::vector<std::string>() : cells.rows[0];
}

void ReportListPage::Reload() {
  subject_ = state_.subject;
  today_ = Today();
  ReportAggregator aggregator(kind_, subject_, today_, Params(), ReportVariant::Desktop);
  ReadHistory([&](const DayRecord& r) { aggregator.Add(r); });
  data_ = aggregator.Finish(LiveTotals());
  loaded_ = true;

  const ReportCells cells = MakeReportCells(data_, std::string(), Params());
  std::vector<ListRow> rows(cells.rows.size());
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = ListRow{cells.rows[i], LPARAM(i)};
  list_.SetRows(std::move(rows));
  if (sortColumn_ >= 0) list_.Sort(sortColumn_, sortDescending_);
  ShowSelection();
}

void ReportListPage::RefreshCurrent() {
  if (!loaded_) return;
  // Past midnight the rows are those of another day.
  if (CompareDates(Today(), today_) != 0) {
    Reload();
    return;
  }
  RowReport& rows = data_.rows;
  rows.ApplyLive(LiveTotals());
  const size_t current = size_t(rows.currentIndex);
  if (current >= rows.rows.size()) return;
  const int row = list_.FindRow(LPARAM(current));
  const std::vector<std::string> cells = Cells(current);
  for (size_t c = 0; c < cells.size(); ++c) list_.SetCell(row, int(c), cells[c]);
  ShowSelection();
}

void ReportListPage::ShowSelection() {
  std::vector<size_t> selected;
  for (LPARAM d : list_.SelectedData())
    if (d >= 0) selected.push_back(size_t(d));
  const std::string line = SelectionLine(data_.rows, selected);
  if (line == selectionShown_) return;
  selectionShown_ = line;
  SetDlgItemTextA(hwnd_, IDC_SUM_SELECTION, line.c_str());
}

bool ReportListPage::OnTimer(UINT_PTR id) {
  if (id != TIMER_REPORT_REFRESH) return false;
  if (IsWindowVisible(hwnd_)) RefreshCurrent();
  return true;
}

bool ReportListPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_NOTIFY:
      return list_.OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case UM_LIST_SORTED:
      sortColumn_ = int(wp);
      sortDescending_ = lp != 0;
      return true;
    case UM_LIST_SELECTION_CHANGED:
      ShowSelection();
      return true;
  }
  return ReportPage::OnMessage(msg, wp, lp, result);
}

void ReportListPage::Export() {
  ReportCells cells = MakeReportCells(data_, SubjectName(), Params());
  cells.rows = list_.Texts();  // as shown, in the order shown
  ExportReport(hwnd_, cells);
}

}  // namespace qm

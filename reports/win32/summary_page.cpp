#include "reports/win32/summary_page.h"

#include <commctrl.h>

#include "meter/win32/resource.h"
#include "engine/day_record.h"
#include "reports/aggregation.h"
#include "reports/history_copy.h"
#include "reports/report_writer.h"
#include "reports/win32/report_export.h"
#include "uikit/file_dialogs.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";
constexpr char kRestartNeeded[] = "The new change won't take effect until the program restarts.";
constexpr char kCopyFailed[] = "Failed to copy file.";
constexpr char kLogFilter[] = "Log File (*.log)\0*.log\0";
constexpr size_t kLastDaysRow = 4;
constexpr size_t kRows = 6;

// A log file chosen in a save or open dialog; false when cancelled.
bool ChooseLogFile(HWND owner, const char* title, bool save, DWORD flags, std::string& path) {
  FileDialogSetup setup;
  setup.filter = kLogFilter;
  setup.title = title;
  setup.defaultExtension = "log";
  setup.flags = flags;
  return save ? ChooseFileToSave(owner, setup, path) : ChooseFileToOpen(owner, setup, path);
}

}  // namespace

bool CSumSummaryPage::CreatePage(HWND sheet) { return Create(instance_, IDD_SUM_SUMMARY, sheet); }

bool CSumSummaryPage::OnInit() {
  HWND spin = Item(IDC_SUM_LAST_DAYS_SPIN);
  SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(IDC_SUM_LAST_DAYS)), 0);
  SendMessageA(spin, UDM_SETRANGE32, 1, 32767);
  SetDlgItemTextA(hwnd_, IDC_SUM_LAST_DAYS, std::to_string(state_.lastDays).c_str());
  ShowLogPath(state_.historyPath);
  Reload();
  StartRefresh();
  return true;
}

int CSumSummaryPage::TypedLastDays() const {
  char text[32] = {};
  GetDlgItemTextA(hwnd_, IDC_SUM_LAST_DAYS, text, sizeof text);
  return ParseLastDays(text);
}

void CSumSummaryPage::Reload() {
  subject_ = state_.subject;
  today_ = Today();
  ReportParams params = Params();
  params.lastDays = TypedLastDays();
  ReportAggregator aggregator(ReportKind::Summary, subject_, today_, params, ReportVariant::Desktop);
  stored_.clear();
  ReadHistory([&](const DayRecord& r) {
    aggregator.Add(r);
    if (!subject_.Matches(r)) return;
    const Date d = MakeDate(r.year, r.month, r.day);
    if (CompareDates(d, today_) != 0) stored_.push_back(StoredDay{d, Traffic{r.download, r.upload}});
  });
  summary_ = aggregator.Finish(Traffic{}).summary;
  loaded_ = true;
  SetDlgItemTextA(hwnd_, IDC_SUM_UNTIL, UntilTodayLine(today_).c_str());
  ShowRows(0, kRows - 1);
}

ReportData CSumSummaryPage::Figures() const {
  ReportData data;
  data.kind = ReportKind::Summary;
  data.summary = summary_;
  data.summary.live = LiveTotals();
  return data;
}

void CSumSummaryPage::ShowRows(size_t first, size_t last) {
  const ReportCells cells = MakeReportCells(Figures(), std::string(), Params());
  for (size_t row = first; row <= last && row < cells.rows.size(); ++row)
    for (size_t column = 1; column < cells.rows[row].size(); ++column) {
      // What the page shows is kept, so an unchanged figure costs no message.
      const size_t at = row * 3 + column - 1;
      if (shown_[at] == cells.rows[row][column]) continue;
      shown_[at] = cells.rows[row][column];
      SetDlgItemTextA(hwnd_, int(IDC_SUM_FIGURES + at), shown_[at].c_str());
    }
}

void CSumSummaryPage::LastDaysEdited() {
  if (!loaded_) return;
  const int n = TypedLastDays();
  summary_.lastDaysCount = n;
  summary_.lastDays = SumStoredLastDays(stored_, today_, n);
  ShowRows(kLastDaysRow, kLastDaysRow);
}

void CSumSummaryPage::Activate() {
  if (!loaded_ || subject_.kind != state_.subject.kind || subject_.id != state_.subject.id ||
      CompareDates(Today(), today_) != 0)
    Reload();
  else
    ShowRows(0, kRows - 1);
}

bool CSumSummaryPage::OnTimer(UINT_PTR id) {
  if (id != TIMER_REPORT_REFRESH) return false;
  if (IsWindowVisible(hwnd_)) Activate();
  return true;
}

bool CSumSummaryPage::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_SUM_LAST_DAYS:
      if (code == EN_CHANGE) LastDaysEdited();
      return true;
    case IDC_SUM_CHANGE: ChangeLogFile(); return true;
    case IDC_SUM_BACKUP: BackupLogFile(); return true;
    case IDC_SUM_RESTORE: RestoreLogFile(); return true;
  }
  return false;
}

void CSumSummaryPage::OnDestroy() { state_.lastDays = TypedLastDays(); }

void CSumSummaryPage::Export() {
  ReportCells cells = MakeReportCells(Figures(), SubjectName(), Params());
  // The figures as the page shows them.
  for (size_t row = 0; row < cells.rows.size(); ++row)
    for (size_t column = 1; column < cells.rows[row].size(); ++column)
      cells.rows[row][column] = shown_[row * 3 + column - 1];
  ExportReport(hwnd_, cells);
}

void CSumSummaryPage::ShowLogPath(const std::string& path) { SetDlgItemTextA(hwnd_, IDC_SUM_LOG_PATH, path.c_str()); }

void CSumSummaryPage::ChangeLogFile() {
  std::string path;
  if (!ChooseLogFile(hwnd_, "Choose a traffic log", true, OFN_PATHMUSTEXIST, path)) return;
  state_.historyPath = path;
  ShowLogPath(path);
  MessageBoxA(hwnd_, kRestartNeeded, kCaption, MB_OK | MB_ICONINFORMATION);
}

void CSumSummaryPage::BackupLogFile() {
  std::string path;
  if (!ChooseLogFile(hwnd_, "Backup", true, OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT, path)) return;
  if (SamePathNoCase(path, state_.historyPath)) return;
  if (!CopyWholeFile(SystemFileSystem(), state_.historyPath, path, true))
    MessageBoxA(hwnd_, kCopyFailed, kCaption, MB_OK | MB_ICONWARNING);
}

void CSumSummaryPage::RestoreLogFile() {
  std::string chosen;
  if (!ChooseLogFile(hwnd_, nullptr, false, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, chosen)) return;
  std::string restored;
  switch (RestoreHistoryBackup(SystemFileSystem(), chosen, state_.historyPath, restored)) {
    case RestoreOutcome::Restored: break;
    case RestoreOutcome::SameFile: return;
    case RestoreOutcome::NotHistoryFile:
      MessageBoxA(hwnd_, HistoryStatusText(HistoryStatus::NotHistoryFile, chosen).c_str(), kCaption,
                  MB_OK | MB_ICONWARNING);
      return;
    case RestoreOutcome::CopyFailed:
      MessageBoxA(hwnd_, kCopyFailed, kCaption, MB_OK | MB_ICONWARNING);
      return;
  }
  state_.historyPath = restored;
  ShowLogPath(restored);
  MessageBoxA(hwnd_, kRestartNeeded, kCaption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace qm

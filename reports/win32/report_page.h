#pragma once
// What the traffic reports window and its pages share: the state the meter
// window hands over (and takes back), and the base of the four pages.

#include <windows.h>

#include <functional>
#include <string>

#include "engine/adapter_list.h"
#include "platform/file.h"
#include "reports/report_types.h"
#include "uikit/dialog.h"

namespace qm {

struct ReportsWindowState {
  // In: the engine's open history file (null when the program runs without
  // one), its adapters and the options the reports use.
  File* history = nullptr;
  AdapterList* adapters = nullptr;
  uint32_t dateFormat = kDateMDYSlash;
  int weekStartDay = 0;
  int monthStartDay = 1;
  // In and back.
  ReportSubject subject;
  int lastDays = 30;
  std::string historyPath;
  int pageIndex = 0;  // Summary, Daily, Weekly, Monthly
};

// The subject's record: the first of the same kind and, unless it is a
// pseudo adapter, the same ID; null when the list has none.
AdapterRecord* FindSubjectRecord(AdapterList& list, const ReportSubject& subject);

class ReportPage : public ModelessDialog {
 public:
  ReportPage(HINSTANCE instance, ReportsWindowState& state) : instance_(instance), state_(state) {}

  // Makes the page's window as a child of the sheet.
  virtual bool CreatePage(HWND sheet) = 0;
  // Shown: reload when the sheet's subject is another one, else refresh.
  virtual void Activate() = 0;
  // The report of this page as it is shown, to a file the user chooses.
  virtual void Export() = 0;
  // Reads the subject's report from the history file anew.
  virtual void Reload() = 0;

 protected:
  // The sheet's news: another subject, or a history emptied by Clear (only
  // today's live figures are left to show).
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // Today's local date with its day of week.
  static Date Today();
  // The subject's live totals of today (zero without a record).
  Traffic LiveTotals() const;
  std::string SubjectName() const;
  ReportParams Params() const;
  // Feeds every record of the history file to `visit`; nothing without a file.
  void ReadHistory(const std::function<void(const DayRecord&)>& visit) const;
  // Starts the page's one-second refresh.
  void StartRefresh();

  HINSTANCE instance_;
  ReportsWindowState& state_;
};

}  // namespace qm

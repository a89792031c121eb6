#include "reports/win32/report_page.h"

#include "engine/day_record.h"
#include "meter/win32/resource.h"
#include "platform/clock.h"

namespace qm {

AdapterRecord* FindSubjectRecord(AdapterList& list, const ReportSubject& subject) {
  for (size_t i = 0; i < list.size(); ++i) {
    AdapterRecord& r = list[i];
    if (r.kind == subject.kind && (r.IsPseudo() || r.id == subject.id)) return &r;
  }
  return nullptr;
}

Date ReportPage::Today() {
  const LocalTime now = SystemClock().Now();
  return MakeDate(now.year, now.month, now.day);
}

Traffic ReportPage::LiveTotals() const {
  Traffic t;
  if (state_.adapters)
    if (const AdapterRecord* r = FindSubjectRecord(*state_.adapters, state_.subject))
      t.Add(r->todayDownload, r->todayUpload);
  return t;
}

std::string ReportPage::SubjectName() const {
  if (state_.adapters)
    if (const AdapterRecord* r = FindSubjectRecord(*state_.adapters, state_.subject)) return r->displayName;
  return std::string();
}

ReportParams ReportPage::Params() const {
  ReportParams p;
  p.dateFormat = state_.dateFormat;
  p.weekStartDay = state_.weekStartDay;
  p.monthStartDay = state_.monthStartDay;
  p.lastDays = state_.lastDays;
  return p.Normalized();
}

void ReportPage::ReadHistory(const std::function<void(const DayRecord&)>& visit) const {
  if (!state_.history) return;
  VisitDayRecords(*state_.history, [&](const DayRecord& r, int64_t) {
    visit(r);
    return true;
  });
}

bool ReportPage::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
  switch (msg) {
    case UM_REPORT_SUBJECT_CHANGED:
      Activate();
      return true;
    case UM_RESET_HISTORY_FILE:
      Reload();
      return true;
  }
  return false;
}

void ReportPage::StartRefresh() { SetTimer(hwnd_, TIMER_REPORT_REFRESH, 1000, nullptr); }

}  // namespace qm

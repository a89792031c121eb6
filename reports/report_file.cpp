#include "reports/report_file.h"

#include "platform/ascii_case.h"
#include "reports/aggregation.h"
#include "reports/report_kind.h"
#include "reports/report_writer.h"

namespace qm {
namespace {

// The extension with its dot, in lower case; empty when the last path
// component has no dot.
std::string Extension(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return AsciiLower(path.substr(dot));
}

}  // namespace

ReportForm FormFromFileName(const std::string& path) {
  const std::string ext = Extension(path);
  if (ext == ".csv") return ReportForm::Csv;
  if (ext == ".htm" || ext == ".html") return ReportForm::Html;
  return ReportForm::Text;
}

std::string ExportFileName(const std::string& path, ReportForm form) {
  const std::string ext = Extension(path);
  switch (form) {
    case ReportForm::Text: return ext == ".txt" ? path : path + ".txt";
    case ReportForm::Csv: return ext == ".csv" ? path : path + ".csv";
    case ReportForm::Html: return ext == ".htm" || ext == ".html" ? path : path + ".htm";
  }
  return path;
}

HistoryStatus AggregateReport(FileSystem& fs, const std::string& historyPath, const ReportRequest& request,
                              ReportData& data) {
  ReportAggregator aggregator(request.kind, request.subject, request.today, request.params, request.variant);
  Traffic live = request.live;
  const Date& today = request.today;
  const ReportSubject& subject = request.subject;
  const HistoryStatus status = VisitAdapterDayRecords(fs, historyPath, subject.kind, subject.id,
                                                      [&](const DayRecord& r, int64_t) {
    aggregator.AddSubjectRecord(r);
    if (request.liveFromHistory && r.year == today.year && r.month == today.month && r.day == today.day)
      live = Traffic{r.download, r.upload};
    return true;
  });
  if (status == HistoryStatus::Ok) data = aggregator.Finish(live);
  return status;
}

HistoryStatus BuildReport(FileSystem& fs, const std::string& historyPath, const ReportRequest& request,
                          ReportForm form, std::string& out) {
  out.clear();
  ReportData data;
  const HistoryStatus status = AggregateReport(fs, historyPath, request, data);
  if (status == HistoryStatus::Ok) AppendReport(data, request.subjectName, request.params, form, out);
  return status;
}

ReportFileOutcome WriteReportFile(FileSystem& fs, const std::string& historyPath, const std::string& reportPath,
                                  const ReportRequest& request) {
  ReportFileOutcome outcome;
  auto refuse = [&](const char* what) {
    outcome.status = ReportFileStatus::NotAReport;
    outcome.message = "The report file '" + reportPath + "' " + what + "; no report is written over it.";
    return outcome;
  };
  auto createFailed = [&] {
    outcome.status = ReportFileStatus::CreateFailed;
    outcome.message = "Failed to create file '" + reportPath + "'.";
    return outcome;
  };
  // A task's path may name any file the service can write. Only an earlier
  // report (or an empty file) is replaced: what the file holds is looked at
  // through the handle that then writes, so nothing can come between.
  if (IsSameFile(fs, reportPath, historyPath)) return refuse("is the traffic log file");
  auto file = fs.Open(reportPath, FileAccess::ReadWrite, FileShare::None, FileCreate::OpenAlways);
  if (!file) return createFailed();
  char head[kReportStartBytes];
  const int64_t got = file->Read(head, sizeof head);
  if (got < 0) return createFailed();
  if (!CouldBeReportStart(std::string_view(head, size_t(got)))) return refuse("holds no traffic report");
  if (!file->Seek(0) || !file->Truncate()) return createFailed();
  std::string text;
  // A file that is not a history file, or one that fails part way, gives
  // no report rather than a wrong one.
  if (BuildReport(fs, historyPath, request, FormFromFileName(reportPath), text) != HistoryStatus::Ok) {
    outcome.status = ReportFileStatus::HistoryFailed;
    outcome.message = "Failed to open traffic log file (" + historyPath + ").";
    return outcome;
  }
  if (!file->Write(text.data(), text.size())) {
    outcome.status = ReportFileStatus::WriteFailed;
    outcome.message = "Failed to write file '" + reportPath + "'.";
    return outcome;
  }
  outcome.message = std::string("Generate ") + ReportKindWord(request.kind) + " report (" + reportPath + ") for " +
                    request.subjectName + " successfully";
  return outcome;
}

}  // namespace qm

#pragma once
// Report files: choosing the form from a name, naming an export, and the
// whole run of a scheduled report (history file in, report file out) with
// the outcome the caller logs or shows.

#include <string>

#include "platform/file.h"
#include "reports/report_types.h"

namespace qm {

// The service's rule: ".csv" gives CSV, ".htm" or ".html" HTML, anything
// else (or no extension) text; the extension is what follows the last "."
// of the last path component, compared without regard to case.
ReportForm FormFromFileName(const std::string& path);

// The export rule: the chosen form's extension is appended unless the name
// already has it (".htm" or ".html" for HTML).
std::string ExportFileName(const std::string& path, ReportForm form);

// Everything a report needs besides the history.
struct ReportRequest {
  ReportKind kind = ReportKind::Daily;
  ReportSubject subject;
  std::string subjectName;
  Date today;  // with its day of week
  Traffic live;
  // Take today's figures from the subject's record of today in the file
  // (the last one wins, as the engine loads them) instead of `live`: for
  // reading a history file that no running engine holds.
  bool liveFromHistory = false;
  ReportParams params;
  ReportVariant variant = ReportVariant::Service;
};

// Reads the history file by path (sharing it with its writer) and
// aggregates; `data` is set only on success.
HistoryStatus AggregateReport(FileSystem& fs, const std::string& historyPath, const ReportRequest& request,
                              ReportData& data);

// AggregateReport, then renders into `out` (its storage kept). On failure
// `out` is left empty.
HistoryStatus BuildReport(FileSystem& fs, const std::string& historyPath, const ReportRequest& request,
                          ReportForm form, std::string& out);

enum class ReportFileStatus {
  Written,
  CreateFailed,   // "Failed to create file '%s'."
  HistoryFailed,  // "Failed to open traffic log file (%s)."; the report file is left empty
  WriteFailed,    // the report file could not be written in full
  NotAReport,     // the path names the history file or a file that holds no report: left as it is
};

struct ReportFileOutcome {
  ReportFileStatus status = ReportFileStatus::Written;
  std::string message;  // the activity log line, success included
};

// A scheduled report: the form from the report file's name, the file
// emptied before the history is read, the report written in one piece.
// Only an empty file or an earlier report is written over: the history
// file, however its path is spelled, and any other file are left as they
// are (NotAReport).
ReportFileOutcome WriteReportFile(FileSystem& fs, const std::string& historyPath, const std::string& reportPath,
                                  const ReportRequest& request);

}  // namespace qm

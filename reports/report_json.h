#pragma once
// A report as JSON, for scripts: the figures of the text form with ISO
// dates and exact byte counts instead of formatted amounts.
//
//   {"report": "daily", "subject": {"kind": 300, "id": "...", "name": "..."},
//    "today": "2026-01-20", "range": {"first": "...", "last": "..."},
//    "rows": [{"first": "...", "last": "...", "day": "Tuesday",
//              "download": 65536, "upload": 32768, "both": 98304, "current": true}, ...]}
//
// Weekly and monthly rows carry "number" (week of the year, month) in place
// of "day"; a summary has "summary" in place of "rows", with "today",
// "week", "month", "year", "lastDays" (with "days"; null when hidden) and
// "total", each {"download", "upload", "both"}.

#include <string>

#include "reports/report_types.h"

namespace qm {

std::string RenderReportJson(const ReportData& data, const ReportSubject& subject, const std::string& subjectName,
                             const Date& today, const ReportParams& params);

// `text` as a JSON string, quotes included; bytes that are not UTF-8 become
// U+FFFD (see ValidUtf8), so the output is always valid JSON.
std::string JsonString(const std::string& text);

}  // namespace qm

#pragma once
// The report files' layouts: text in fixed-width columns, CSV and HTML, all
// with CR LF line ends. A report is first turned into cell texts, so the
// reports window can export the cells its lists show, in their order.

#include <string>
#include <string_view>
#include <vector>

#include "reports/report_types.h"

namespace qm {

struct ReportCells {
  ReportKind kind = ReportKind::Daily;
  std::string subjectName;  // inserted as it is; escaped in HTML
  std::string rangeFirst, rangeLast;
  int weekStartDay = 0;   // weekly header
  int monthStartDay = 1;  // monthly header
  // Daily: date, day name, downloaded, uploaded, both.
  // Weekly and monthly: number, period, downloaded, uploaded, both.
  // Summary: six rows of label, downloaded, uploaded, both, in the order
  // Today, This Week, This Month, This Year, Last N Days, Total.
  std::vector<std::vector<std::string>> rows;
};

// Cells as the service writes them: dates by the date format, amounts in
// byte units, the rows in report order.
ReportCells MakeReportCells(const ReportData& data, const std::string& subjectName, const ReportParams& params);

std::string RenderReport(const ReportCells& cells, ReportForm form);
// RenderReport(MakeReportCells(data, subjectName, params), form) appended
// to `out`, each row formatted as it is written instead of keeping cells of
// all; a caller that writes many reports keeps its buffer.
void AppendReport(const ReportData& data, const std::string& subjectName, const ReportParams& params, ReportForm form,
                  std::string& out);

// The line below a report list: "Selected: 0", or the number of selected
// rows (indices into `report.rows`) and their sums, the current row with
// the figures it shows.
std::string SelectionLine(const RowReport& report, const std::vector<size_t>& selected);

// Whether a file that begins with `head` may be a report of this system:
// empty, or the start of any kind in any form, whole or cut short. Enough
// is told by the first kReportStartBytes bytes.
inline constexpr size_t kReportStartBytes = 96;
bool CouldBeReportStart(std::string_view head);

// "<", ">", "&" and '"' as entities; the rest as it is.
std::string HtmlEscape(const std::string& text);

}  // namespace qm

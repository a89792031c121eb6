#include "reports/report_json.h"

#include <cinttypes>
#include <cstdio>

#include "platform/utf8.h"
#include "reports/aggregation.h"
#include "reports/report_kind.h"

namespace qm {
namespace {

std::string IsoDate(const Date& d) {
  char text[24];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned(d.year), unsigned(d.month), unsigned(d.day));
  return JsonString(text);
}

std::string Amounts(const Traffic& t) {
  char text[96];
  std::snprintf(text, sizeof text, "\"download\": %" PRIu64 ", \"upload\": %" PRIu64 ", \"both\": %" PRIu64,
                t.download, t.upload, t.Both());
  return text;
}

std::string Range(const Period& p) { return "{\"first\": " + IsoDate(p.first) + ", \"last\": " + IsoDate(p.last) + "}"; }

std::string Rows(const ReportData& data, int weekStartDay) {
  std::string out = "  \"rows\": [";
  const char* separator = "\n";
  for (const ReportRow& row : data.rows.rows) {
    out += separator;
    out += "    {\"first\": " + IsoDate(row.period.first) + ", \"last\": " + IsoDate(row.period.last) + ", ";
    const Date& end = row.period.last;
    if (data.kind == ReportKind::Daily)
      out += "\"day\": " + JsonString(DayName(row.dayOfWeek)) + ", ";
    else
      out += "\"number\": " +
             std::to_string(data.kind == ReportKind::Weekly ? WeekOfYear(end.year, end.month, end.day, weekStartDay)
                                                            : int(end.month)) +
             ", ";
    out += Amounts(row.traffic) + ", \"current\": " + (row.current ? "true" : "false") + "}";
    separator = ",\n";
  }
  return out + (data.rows.rows.empty() ? "]\n" : "\n  ]\n");
}

std::string Summary(const SummaryReport& s) {
  const std::string lastDays = s.LastDaysShown()
                                   ? "{\"days\": " + std::to_string(s.lastDaysCount) + ", " + Amounts(s.Shown(s.lastDays)) + "}"
                                   : std::string("null");
  return "  \"summary\": {\n"
         "    \"today\": {" + Amounts(s.live) + "},\n"
         "    \"week\": {" + Amounts(s.Shown(s.week)) + "},\n"
         "    \"month\": {" + Amounts(s.Shown(s.month)) + "},\n"
         "    \"year\": {" + Amounts(s.Shown(s.year)) + "},\n"
         "    \"lastDays\": " + lastDays + ",\n"
         "    \"total\": {" + Amounts(s.Shown(s.total)) + "}\n"
         "  }\n";
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char ch : ValidUtf8(text)) {
    const uint8_t c = uint8_t(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string RenderReportJson(const ReportData& data, const ReportSubject& subject, const std::string& subjectName,
                             const Date& today, const ReportParams& params) {
  const bool summary = data.kind == ReportKind::Summary;
  std::string out = "{\n  \"report\": " + JsonString(ReportKindWord(data.kind)) + ",\n";
  out += "  \"subject\": {\"kind\": " + std::to_string(subject.kind) + ", \"id\": " + JsonString(subject.id) +
         ", \"name\": " + JsonString(subjectName) + "},\n";
  out += "  \"today\": " + IsoDate(today) + ",\n";
  out += "  \"range\": " + Range(summary ? data.summary.range : data.rows.range) + ",\n";
  out += summary ? Summary(data.summary) : Rows(data, params.Normalized().weekStartDay);
  return out + "}\n";
}

}  // namespace qm

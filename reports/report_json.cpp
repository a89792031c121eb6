#include "reports/report_json.h"

#include <cinttypes>
#include <cstdio>

#include "reports/aggregation.h"
#include "reports/report_kind.h"

namespace qm {
namespace {

// The length of the valid UTF-8 sequence at `s[i]`, or 0.
size_t Utf8Length(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return uint8_t(s[k]); };
  const uint8_t b = byte(i);
  size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  if (n == 2 && b < 0xC2) return 0;                                        // overlong
  if (n == 3 && ((b == 0xE0 && byte(i + 1) < 0xA0) || (b == 0xED && byte(i + 1) >= 0xA0))) return 0;  // overlong, surrogate
  if (n == 4 && ((b == 0xF0 && byte(i + 1) < 0x90) || b > 0xF4 || (b == 0xF4 && byte(i + 1) >= 0x90))) return 0;
  return n;
}

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
  for (size_t i = 0; i < text.size();) {
    const uint8_t c = uint8_t(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
      out += escaped;
      ++i;
    } else if (const size_t n = Utf8Length(text, i)) {
      out.append(text, i, n);
      i += n;
    } else {
      out += "\\ufffd";
      ++i;
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

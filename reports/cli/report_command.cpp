#include "reports/cli/report_command.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <random>

#include "engine/adapter_argument.h"
#include "engine/day_record.h"
#include "platform/ascii_case.h"
#include "reports/aggregation.h"
#include "reports/report_file.h"
#include "reports/report_json.h"
#include "reports/report_kind.h"

namespace qm {

const char kReportCommandUsage[] =
    "Usage: quellmark-report [options] HISTORY_FILE\r\n"
    "Writes a traffic report of one adapter from a Quellmark traffic history file.\r\n"
    "\r\n"
    "  --report daily|weekly|monthly|summary   report kind (default daily)\r\n"
    "  --format text|csv|html|json             form (default: from --output's extension, else text)\r\n"
    "  --adapter 100|200|300:ID                100 All Connections (default), 200 Dial-Up Connections,\r\n"
    "                                          300:ID a network adapter by its ID (any case)\r\n"
    "  --name TEXT                             display name in the report\r\n"
    "  --today YYYY-MM-DD                      the day the report is made on (default: today)\r\n"
    "  --week-start 0-6                        first day of the week, 0 = Sunday (default 0)\r\n"
    "  --month-start 1-31                      first day of the accounting month (default 1)\r\n"
    "  --date-format ID                        17, 119, 34, 102, 51, 68, 85 or a name such as\r\n"
    "                                          YYYY-MM-DD (default 17, MM/DD/YYYY)\r\n"
    "  --last-days N                           N of the summary's last N days (default 30)\r\n"
    "  --live DOWN,UP                          today's totals in bytes (default: today's record\r\n"
    "                                          of the adapter in the file)\r\n"
    "  --output FILE                           write to FILE (default: standard output)\r\n"
    "  --records                               list every record of the file instead (as text)\r\n"
    "  --help                                  show this text\r\n"
    "\r\n"
    "Exit status: 0 done, 1 the output could not be written, 2 bad input.\r\n";

namespace {

struct Options {
  ReportRequest request;
  std::optional<ReportForm> form;
  bool json = false;  // not a form of the report files, so apart from `form`
  std::optional<std::string> name;
  std::optional<Date> today;
  std::optional<Traffic> live;
  std::string output;
  std::string history;
  bool records = false;
  bool help = false;
};

template <typename T>
bool ParseNumber(const std::string& text, T& value, int base = 10) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, value, base);
  return ec == std::errc() && p == end;
}

// Each parser below takes one option's value; on failure it says why in
// `error` (one line, without the program's name) and returns false.

bool ParseRange(const std::string& option, const std::string& text, int low, int high, int& value,
                std::string& error) {
  if (ParseNumber(text, value) && value >= low && value <= high) return true;
  error = "bad value for " + option + ": '" + text + "' (expected " + std::to_string(low) + " to " +
          std::to_string(high) + ")";
  return false;
}

bool ParseKind(const std::string& text, ReportKind& kind, std::string& error) {
  if (ReportKindFromWord(text, kind)) return true;
  error = "bad report kind '" + text + "' (expected daily, weekly, monthly or summary)";
  return false;
}

bool ParseForm(const std::string& text, Options& o, std::string& error) {
  if (text == "json") {
    o.json = true;
    o.form.reset();
    return true;
  }
  static const struct {
    const char* word;
    ReportForm form;
  } kForms[] = {{"text", ReportForm::Text}, {"csv", ReportForm::Csv}, {"html", ReportForm::Html}};
  for (const auto& f : kForms) {
    if (text == f.word) {
      o.form = f.form;
      o.json = false;
      return true;
    }
  }
  error = "bad format '" + text + "' (expected text, csv, html or json)";
  return false;
}

bool ParseSubject(const std::string& text, ReportSubject& subject, std::string& error) {
  AdapterArgument adapter;
  if (!ParseAdapterArgument(text, adapter)) {
    error = "bad adapter '" + text + "' (expected 100, 200 or 300:ID)";
    return false;
  }
  subject = ReportSubject{adapter.kind, adapter.id};
  return true;
}

bool ParseDay(const std::string& text, std::optional<Date>& day, std::string& error) {
  const size_t a = text.find('-');
  const size_t b = a == std::string::npos ? a : text.find('-', a + 1);
  int y = 0, m = 0, d = 0;
  if (b == std::string::npos || a != 4 || b - a - 1 < 1 || b - a - 1 > 2 || text.size() - b - 1 > 2 ||
      !ParseNumber(text.substr(0, a), y) || !ParseNumber(text.substr(a + 1, b - a - 1), m) ||
      !ParseNumber(text.substr(b + 1), d) || y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
    error = "bad date '" + text + "' (expected YYYY-MM-DD)";
    return false;
  }
  day = MakeDate(y, m, d);
  return true;
}

bool ParseDateFormat(const std::string& text, uint32_t& format, std::string& error) {
  static const struct {
    uint32_t id;
    const char* name;
  } kFormats[] = {{kDateMDYSlash, "MM/DD/YYYY"}, {kDateMDYDot, "MM.DD.YYYY"}, {kDateDMYSlash, "DD/MM/YYYY"},
                  {kDateDMYDot, "DD.MM.YYYY"},   {kDateYMDSlash, "YYYY/MM/DD"}, {kDateYMDDash, "YYYY-MM-DD"},
                  {kDateYMDDot, "YYYY.MM.DD"}};
  uint32_t id = 0;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const bool number = hex ? ParseNumber(text.substr(2), id, 16) : ParseNumber(text, id);
  for (const auto& f : kFormats) {
    if ((number && f.id == id) || text == f.name) {
      format = f.id;
      return true;
    }
  }
  error = "bad date format '" + text + "' (expected 17, 119, 34, 102, 51, 68, 85 or a name like YYYY-MM-DD)";
  return false;
}

bool ParseLive(const std::string& text, std::optional<Traffic>& live, std::string& error) {
  const size_t comma = text.find(',');
  Traffic t;
  if (comma == std::string::npos || !ParseNumber(text.substr(0, comma), t.download) ||
      !ParseNumber(text.substr(comma + 1), t.upload)) {
    error = "bad live totals '" + text + "' (expected DOWN,UP in bytes)";
    return false;
  }
  live = t;
  return true;
}

bool ParseOutput(const std::string& text, std::string& output, std::string& error) {
  if (text.empty()) {
    error = "--output needs a file name";
    return false;
  }
  output = text;
  return true;
}

constexpr const char* kOptionsWithValue[] = {"--report", "--format", "--adapter", "--name", "--today", "--week-start",
                                             "--month-start", "--date-format", "--last-days", "--live", "--output"};

// One option of kOptionsWithValue with its value.
bool ParseOptionValue(const std::string& name, const std::string& value, Options& o, std::string& error) {
  ReportRequest& r = o.request;
  ReportParams& p = r.params;
  if (name == "--report") return ParseKind(value, r.kind, error);
  if (name == "--format") return ParseForm(value, o, error);
  if (name == "--adapter") return ParseSubject(value, r.subject, error);
  if (name == "--today") return ParseDay(value, o.today, error);
  if (name == "--week-start") return ParseRange(name, value, 0, 6, p.weekStartDay, error);
  if (name == "--month-start") return ParseRange(name, value, 1, 31, p.monthStartDay, error);
  if (name == "--date-format") return ParseDateFormat(value, p.dateFormat, error);
  // "Last -5 Days" would be a row of nothing: say so instead.
  if (name == "--last-days") return ParseRange(name, value, 1, 1000000, p.lastDays, error);
  if (name == "--live") return ParseLive(value, o.live, error);
  if (name == "--output") return ParseOutput(value, o.output, error);
  o.name = value;  // --name
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, Options& o, std::string& error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (!o.history.empty()) {
        error = "more than one history file given ('" + arg + "')";
        return false;
      }
      o.history = arg;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg, value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      o.help = true;
      continue;
    }
    if (name == "--records") {
      if (hasValue) {
        error = "--records takes no value";
        return false;
      }
      o.records = true;
      continue;
    }
    bool known = false;
    for (const char* k : kOptionsWithValue) known = known || name == k;
    if (!known) {
      error = "unknown option '" + name + "'";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (!ParseOptionValue(name, value, o, error)) return false;
  }
  // The record list has one form; taking csv or json and printing text
  // would hand a script something it cannot read.
  if (o.records && (o.json || (o.form && *o.form != ReportForm::Text))) {
    error = "--records lists the records as text only (drop --format)";
    return false;
  }
  if (!o.help && o.history.empty()) {
    error = "no history file given (see --help)";
    return false;
  }
  return true;
}

std::string DefaultName(const ReportSubject& s) {
  if (s.kind == kKindAllConnections) return "All Connections";
  if (s.kind == kKindDialUp) return "Dial-Up Connections";
  return s.id;
}

// A report of an adapter the file has never seen is all zeros, most
// likely from a mistyped ID; the caller says so beside the report.
bool HasRecordOf(FileSystem& fs, const std::string& path, const ReportSubject& subject) {
  bool found = false;
  VisitDayRecords(fs, path, [&](const DayRecord& r, int64_t) {
    found = subject.Matches(r);
    return !found;
  });
  return found;
}

HistoryStatus ListRecords(FileSystem& fs, const std::string& path, uint32_t dateFormat, std::string& out) {
  return VisitDayRecords(fs, path, [&](const DayRecord& r, int64_t) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "\t%" PRIu64 "\t%" PRIu64 "\r\n", r.download, r.upload);
    out += FormatDate(dateFormat, r.year, r.month, r.day);
    out += '\t';
    out += DayName(r.dayOfWeek);
    out += '\t';
    out += std::to_string(r.kind);
    out += '\t';
    out += r.Id();
    out += numbers;
    return true;
  });
}

// JSON is no form of the report files (the service's tasks keep their
// rule), but an output named .json asks for it here.
bool IsJsonName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.size() > 5 && AsciiLower(name.substr(name.size() - 5)) == ".json";
}

// A temporary file beside the output, under a name nobody else holds:
// it is created new, so an existing file of that name is never touched.
std::unique_ptr<File> CreateTemporary(FileSystem& fs, const std::string& path, std::string& temp) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x.part", unsigned(random()));
    temp = path + suffix;
    if (auto f = fs.Open(temp, FileAccess::Write, FileShare::None, FileCreate::CreateNew)) return f;
    if (!fs.Exists(temp)) break;  // not a clash: the folder refuses new files
  }
  return nullptr;
}

// The whole text is written under a temporary name and then put in place,
// so a failed run never leaves a partial report under the requested name.
bool WriteOutput(FileSystem& fs, const std::string& path, const std::string& text, std::string& err) {
  std::string temp;
  auto f = CreateTemporary(fs, path, temp);
  if (!f) {
    err = "cannot write '" + path + "'";
    return false;
  }
  bool ok = f->Write(text.data(), text.size()) && f->Flush();
  f.reset();
  if (ok && fs.Exists(path) && !fs.Remove(path)) {
    fs.Remove(temp);
    err = "cannot replace '" + path + "'";
    return false;
  }
  if (ok) ok = fs.Move(temp, path);
  if (!ok) {
    fs.Remove(temp);
    err = "cannot write '" + path + "'";
  }
  return ok;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, FileSystem& fs, Clock& clock, std::string& out,
                     std::string& err) {
  out.clear();
  err.clear();
  Options o;
  std::string why;
  if (!ParseArguments(args, o, why)) {
    err = "quellmark-report: " + why + "\n";
    return kExitBadInput;
  }
  if (o.help) {
    out = kReportCommandUsage;
    return kExitOk;
  }

  // The output must never be the history file itself.
  if (!o.output.empty() && IsSameFile(fs, o.history, o.output)) {
    err = "quellmark-report: the output '" + o.output + "' is the history file; refusing to write over it\n";
    return kExitBadInput;
  }

  ReportRequest& r = o.request;
  if (o.today) {
    r.today = *o.today;
  } else {
    const LocalTime now = clock.Now();
    r.today = MakeDate(now.year, now.month, now.day);
  }
  r.subjectName = o.name ? *o.name : DefaultName(r.subject);
  if (o.live) r.live = *o.live;
  r.liveFromHistory = !o.live;
  const ReportForm form = o.form ? *o.form : o.output.empty() ? ReportForm::Text : FormFromFileName(o.output);
  const bool json = o.json || (!o.form && IsJsonName(o.output));

  std::string text;
  HistoryStatus status;
  if (o.records) {
    status = ListRecords(fs, o.history, r.params.dateFormat, text);
  } else if (json) {
    ReportData data;
    status = AggregateReport(fs, o.history, r, data);
    if (status == HistoryStatus::Ok) text = RenderReportJson(data, r.subject, r.subjectName, r.today, r.params);
  } else {
    status = BuildReport(fs, o.history, r, form, text);
  }
  if (status != HistoryStatus::Ok) {
    err = "quellmark-report: " + HistoryStatusText(status, o.history) + "\n";
    return kExitBadInput;
  }
  if (!o.records && r.subject.kind == kKindAdapter && !HasRecordOf(fs, o.history, r.subject))
    err = "quellmark-report: no record of adapter 300:" + r.subject.id + " exists in " + o.history +
          "; --records lists the adapters it holds.\n";
  if (o.output.empty()) {
    out = std::move(text);
    return kExitOk;
  }
  if (!WriteOutput(fs, o.output, text, why)) {
    err = "quellmark-report: " + why + "\n";
    return kExitOutputFailed;
  }
  return kExitOk;
}

}  // namespace qm

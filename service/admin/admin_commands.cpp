#include "service/admin/admin_commands.h"

#include <cstdio>
#include <cstring>

#include "engine/adapter_argument.h"
#include "engine/adapter_record.h"
#include "platform/ascii_case.h"
#include "reports/report_kind.h"
#include "service/admin/settings_check.h"
#include "service/metrics_server.h"
#include "service/service_config.h"
#include "service/report_task.h"
#include "settings/notification_rule.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;

constexpr char kUsageHead[] =
    "Usage: QuellmarkAdmin [/reg] COMMAND\n"
    "Writes the service's machine-wide settings (HKEY_LOCAL_MACHINE\\Software\\Quellmark).\n"
    "With /reg nothing is written; the .reg text for \"reg import\" is printed instead.\n"
    "\n";

// What one command takes and does; the usage texts are made from these.
struct AdminContext;
using Handler = AdminResult (*)(AdminContext&, const std::vector<std::string>&);
struct CommandForm {
  const char* command;    // "report"
  const char* action;     // "add"; empty for a command without actions
  const char* arguments;  // "NAME TYPE ADAPTER SECONDS FILE"; a bracketed one is optional
  const char* help;       // indented lines
  Handler run;
};

struct AdminContext {
  SettingsStore& store;
  bool reg;
  AdapterSource* adapters;
  EmailSecrets* secrets;
  FileSystem* files;
};

constexpr char kBadAdapter[] = "The adapter must be all, dialup or an adapter ID.";
constexpr char kCannotWrite[] = "Cannot write the settings; run the command as an administrator.";
constexpr const char* kUnits[] = {"B", "KB", "MB", "GB", "TB"};
constexpr const char* kTransfers[] = {"down", "up", "both"};

AdminResult Done(const std::string& output) { return {0, output}; }
AdminResult Fail(const std::string& message) { return {2, message + "\n"}; }

// Empty, or the problem as a warning line.
std::string Warning(const std::string& problem) { return problem.empty() ? "" : "Warning: " + problem + "\n"; }

bool ParseInt(const std::string& text, long long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtoll(text.c_str(), &end, 10);
  return end && *end == '\0';
}

// --- .reg text -------------------------------------------------------------

std::string RegHeader(const char* key) {
  return std::string("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\") + key + "]\n";
}

// Value names are quoted in .reg text; backslashes and quotes are escaped.
std::string RegName(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// --- report tasks ----------------------------------------------------------

// A .reg file cannot name a value with a line end in it, and a control
// character would break the lines of the service's activity log.
constexpr char kNameControl[] = "The task name cannot hold control characters.";

bool HasControlCharacter(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// Characters no Windows file name holds, after a "\\?\" prefix.
bool HasForbiddenPathCharacter(const std::string& path) {
  const size_t from = path.rfind("\\\\?\\", 0) == 0 ? 4 : 0;
  return HasControlCharacter(path) || path.find_first_of("\"<>|*?", from) != std::string::npos;
}


std::string TaskText(const ReportTask& t) {
  return std::string(ReportKindWord(ReportKindFromNumber(t.reportType))) + " " +
         AdapterArgumentText(t.adapterKind, ReportTaskAdapterId(t)) + " every " +
         std::to_string(t.interval <= 0 ? 1 : t.interval) + " s -> " + Utf16ToUtf8(ReportTaskFile(t));
}

AdminResult ListReportTasks(AdminContext& c, const std::vector<std::string>&) {
  SettingsStore& store = c.store;
  std::string out;
  bool stopped = false;  // the service reads no value after one it cannot take
  for (const std::string& name : store.ValueNames(kLm, kServiceReportsKey)) {
    std::vector<uint8_t> data;
    ReportTask t;
    if (stopped) {
      out += name + ": not read by the service (it stops at an earlier value)\n";
    } else if (name.size() > kReportTaskMaxName || !store.ReadBinary(kLm, kServiceReportsKey, name, data) ||
               !DecodeReportTask(data.data(), data.size(), t)) {
      out += name + ": not read by the service, which stops here (name over 31 characters or record over 796 bytes)\n";
      stopped = true;
    } else {
      out += name + ": " + TaskText(t) + "\n";
    }
  }
  return Done(out.empty() ? "No report tasks.\n" : out);
}

AdminResult DeleteReportTask(AdminContext& c, const std::vector<std::string>& a) {
  const std::string& name = a[0];
  if (c.reg && HasControlCharacter(name)) return Fail(kNameControl);
  if (c.reg) return Done(RegHeader(kServiceReportsKey) + RegName(name) + "=-\n");
  if (!c.store.DeleteValue(kLm, kServiceReportsKey, name)) return Fail("No report task named \"" + name + "\".");
  return Done("Report task \"" + name + "\" deleted.\n");
}

// NAME TYPE ADAPTER SECONDS FILE into a task; false with the message for
// the first argument the service would misread.
bool ParseReportTask(const std::vector<std::string>& a, ReportTask& task, std::string& error) {
  const std::string& name = a[0];
  if (name.empty() || name.size() > kReportTaskMaxName) {
    error = "The task name must have 1 to 31 characters; the service stops reading tasks at a longer one.";
    return false;
  }
  if (HasControlCharacter(name)) {
    error = kNameControl;
    return false;
  }
  ReportKind kind;
  if (!ReportKindFromWord(AsciiLower(a[1]), kind)) {
    error = "Unknown report type \"" + a[1] + "\": use daily, weekly, monthly or summary.";
    return false;
  }
  AdapterArgument adapter;
  if (!ParseAdapterArgument(a[2], adapter)) {
    error = kBadAdapter;
    return false;
  }
  long long seconds;
  if (!ParseInt(a[3], seconds) || seconds < 1 || seconds > 0x7fffffff) {
    error = "The interval must be a whole number of seconds, 1 or more.";
    return false;
  }
  const std::u16string file = Utf8ToUtf16(a[4]);
  if (file.empty() || file.size() > 259) {
    error = "The report file path must have 1 to 259 characters.";
    return false;
  }
  if (HasForbiddenPathCharacter(a[4])) {
    error = "The report file path cannot hold control characters or any of \" < > | * ?.";
    return false;
  }
  // The service's working folder is not the administrator's; and a path
  // typed unquoted into a Unix shell arrives without its backslashes.
  if (a[4].find_first_of("\\/") == std::string::npos) {
    error = "The report file \"" + a[4] +
            "\" has no folder: give a full path such as \"C:\\Reports\\daily.csv\" (quoted, in a Unix shell).";
    return false;
  }
  task = MakeReportTask(uint32_t(kind), adapter.kind, adapter.id, int32_t(seconds), file);
  return true;
}

// The other task that writes `file` already, as a warning's text.
std::string OtherTaskOnFile(SettingsStore& store, const std::string& name, const std::string& file) {
  for (const std::string& other : store.ValueNames(kLm, kServiceReportsKey)) {
    std::vector<uint8_t> data;
    ReportTask t;
    if (other == name || !store.ReadBinary(kLm, kServiceReportsKey, other, data) ||
        !DecodeReportTask(data.data(), data.size(), t))
      continue;
    const std::string its = Utf16ToUtf8(ReportTaskFile(t));
    if (SamePathText(its, file)) return SharedFileProblem(other, its);
  }
  return "";
}

AdminResult AddReportTask(AdminContext& c, const std::vector<std::string>& a) {
  ReportTask task;
  std::string error;
  if (!ParseReportTask(a, task, error)) return Fail(error);
  const std::string& name = a[0];
  const std::vector<uint8_t> bytes = EncodeReportTask(task);
  // .reg text is for other machines, whose adapters and folders this one cannot see.
  if (c.reg) return Done(RegHeader(kServiceReportsKey) + RegBinaryLine(name, bytes));
  std::string history;
  if (c.store.ReadString(kLm, kOptionsKey, "TrafficLogFile", history) && SamePathText(history, a[4]))
    return Fail("The report file \"" + a[4] +
                "\" is the service's traffic log file (TrafficLogFile); a report task never writes over it.");
  const std::string shared = OtherTaskOnFile(c.store, name, a[4]);
  if (!c.store.WriteBinary(kLm, kServiceReportsKey, name, bytes.data(), bytes.size()))
    return Fail("Cannot write the report task; run the command as an administrator.");
  return Done("Report task \"" + name + "\" saved; it takes effect when the service starts next.\n" +
              Warning(UnknownAdapterProblem(c.adapters, task.adapterKind, ReportTaskAdapterId(task))) +
              Warning(MissingFolderProblem(c.files, a[4])) + Warning(shared));
}

// --- notification rule -----------------------------------------------------

std::string RuleText(const NotificationRuleU& r) {
  const std::string period = r.period == kPeriodWeek    ? "week"
                             : r.period == kPeriodMonth ? "month"
                                                        : "days:" + std::to_string(r.nDays);
  return AdapterArgumentText(r.adapterKind, FieldText(r.adapterId)) + " " + Utf16ToUtf8(FieldText(r.limitText)) +
         " " + (r.unit < 5 ? kUnits[r.unit] : "B") + " " + (r.transferType < 3 ? kTransfers[r.transferType] : "both") +
         " " + period + " " + Utf16ToUtf8(FieldText(r.emailAddresses));
}

AdminResult ShowRule(AdminContext& c, const std::vector<std::string>&) {
  SettingsStore& store = c.store;
  NotificationRuleU r;
  const RuleRead read = ReadNotificationRule(store, kLm, r);
  if (read == RuleRead::Missing) return Done("No notification rule.\n");
  if (read == RuleRead::Rejected) return Done("The stored rule has an unknown version; the service ignores it.\n");
  uint32_t enabled = 0;
  store.ReadDword(kLm, kOptionsKey, "NotificationEnabled", enabled);
  return Done(std::string(enabled ? "on" : "off") + ": " + RuleText(r) + "\n");
}

AdminResult SwitchRuleOff(AdminContext& c, const std::vector<std::string>&) {
  if (c.reg) return Done(RegHeader(kOptionsKey) + "\"NotificationEnabled\"=dword:00000000\n");
  if (!c.store.WriteDword(kLm, kOptionsKey, "NotificationEnabled", 0)) return Fail(kCannotWrite);
  return Done("Notification switched off.\n");
}

// The position of `text` in `words`, compared without regard to case.
template <size_t N>
bool FindWord(const char* const (&words)[N], const std::string& text, uint32_t& index) {
  for (uint32_t i = 0; i < N; ++i) {
    if (AsciiEqualNoCase(text, words[i])) {
      index = i;
      return true;
    }
  }
  return false;
}

bool ParsePeriod(const std::string& text, NotificationRuleU& r) {
  const std::string period = AsciiLower(text);
  long long days = 1;
  if (period == "week") {
    r.period = kPeriodWeek;
  } else if (period == "month") {
    r.period = kPeriodMonth;
  } else if (period.rfind("days:", 0) == 0 && ParseInt(period.substr(5), days) && days >= 1 && days <= 100000) {
    r.period = kPeriodLastDays;
  } else {
    return false;
  }
  r.nDays = int32_t(days);
  return true;
}

// ADAPTER LIMIT UNIT TRANSFER PERIOD ADDRESSES into a version 3 rule; false
// with the message for the first argument that does not fit.
bool ParseRule(const std::vector<std::string>& a, NotificationRuleU& r, std::string& error) {
  std::memset(&r, 0, sizeof r);
  r.version = kRuleVersion;
  AdapterArgument adapter;
  const std::string& limit = a[1];
  const std::u16string addresses = Utf8ToUtf16(a[5]);
  if (!ParseAdapterArgument(a[0], adapter)) {
    error = kBadAdapter;
  } else if (limit.empty() || limit.size() > 63 || limit.find_first_not_of("0123456789.") != std::string::npos) {
    error = "The limit must be a number of digits and \".\", at most 63 characters.";
  } else if (!FindWord(kUnits, a[2], r.unit)) {
    error = "The unit must be B, KB, MB, GB or TB.";
  } else if (!FindWord(kTransfers, a[3], r.transferType)) {
    error = "The transfer must be down, up or both.";
  } else if (!ParsePeriod(a[4], r)) {
    error = "The period must be week, month or days:N with N of 1 or more.";
  } else if (addresses.size() > 259) {
    error = "The address list must have at most 259 characters.";
  } else {
    r.adapterKind = adapter.kind;
    SetFieldText(r.adapterId, adapter.id);
    SetFieldText(r.limitText, Utf8ToUtf16(limit));
    SetFieldText(r.emailAddresses, addresses);
    r.sendEmail = addresses.empty() ? 0 : 1;
    return true;
  }
  return false;
}

AdminResult SetRule(AdminContext& c, const std::vector<std::string>& a) {
  SettingsStore& store = c.store;
  NotificationRuleU r;
  std::string error;
  if (!ParseRule(a, r, error)) return Fail(error);
  const std::vector<uint8_t> bytes = EncodeNotificationRule(r);
  if (c.reg)
    return Done(RegHeader(kOptionsKey) + "\"NotificationEnabled\"=dword:00000001\n" +
                RegBinaryLine("NotificationEx2U", bytes));
  if (!store.WriteBinary(kLm, kOptionsKey, "NotificationEx2U", bytes.data(), bytes.size()) ||
      !store.WriteDword(kLm, kOptionsKey, "NotificationEnabled", 1))
    return Fail(kCannotWrite);
  return Done("Notification rule saved and switched on; it takes effect when the service starts next.\n");
}

// --- adapters --------------------------------------------------------------

AdminResult ListAdapters(AdminContext& c, const std::vector<std::string>&) {
  AdapterSource* source = c.adapters;
  std::vector<SystemAdapter> entries;
  if (c.reg) return Fail("adapters prints no .reg text; run it without /reg.");
  if (!source || !source->ListAdapters(entries)) return Fail("The system's adapter list cannot be read.");
  std::string out;
  for (SystemAdapter& e : entries) {
    const std::string id = MakeAdapterId(e);
    const std::string ip = FirstIpAddress(e);
    out += id + "  " + e.description + (ip.empty() ? "" : "  " + ip) + "\n";
  }
  return Done(out.empty() ? "No adapters.\n" : out);
}

// --- metrics endpoint ------------------------------------------------------

AdminResult SetMetrics(AdminContext& c, const std::vector<std::string>& a) {
  uint32_t address = 0;
  uint16_t port = 0;
  if (!ParseMetricsListen(a[0], address, port))
    return Fail("The address must be IPv4ADDRESS:PORT, such as 127.0.0.1:9464 (0.0.0.0:9464 for every interface).");
  if (c.reg) return Done(RegHeader(kServiceKey) + "\"" + kMetricsListenValue + "\"=\"" + a[0] + "\"\n");
  if (!c.store.WriteString(kLm, kServiceKey, kMetricsListenValue, a[0])) return Fail(kCannotWrite);
  const bool loopback = (address & 0xFF) == 127;
  return Done("The service answers http://" + a[0] + "/metrics once it starts next." +
              (loopback ? "\n" : " Other machines reach it only through a firewall rule (see the README).\n"));
}

AdminResult MetricsOff(AdminContext& c, const std::vector<std::string>&) {
  if (c.reg) return Done(RegHeader(kServiceKey) + "\"" + kMetricsListenValue + "\"=-\n");
  std::string listen;
  if (c.store.ReadString(kLm, kServiceKey, kMetricsListenValue, listen) &&
      !c.store.DeleteValue(kLm, kServiceKey, kMetricsListenValue))
    return Fail(kCannotWrite);
  return Done("Metrics endpoint off once the service starts next.\n");
}

AdminResult ShowMetrics(AdminContext& c, const std::vector<std::string>&) {
  std::string listen;
  if (!c.store.ReadString(kLm, kServiceKey, kMetricsListenValue, listen) || listen.empty())
    return Done("Metrics endpoint off.\n");
  return Done("http://" + listen + "/metrics\n");
}

AdminResult CheckSettings(AdminContext& c, const std::vector<std::string>&) {
  if (c.reg) return Fail("check prints no .reg text; run it without /reg.");
  const std::string problems = ServiceSettingsProblems(c.store, c.adapters, c.files);
  if (problems.empty()) return Done("No problems found.\n");
  return {1, problems};
}

AdminResult SetEmail(AdminContext& c, const std::vector<std::string>& a) {
  return EmailSet(c.store, a, c.reg, c.secrets);
}
AdminResult ProtectEmail(AdminContext& c, const std::vector<std::string>&) { return EmailProtect(c.reg, c.secrets); }

constexpr CommandForm kForms[] = {
    {"adapters", "", "",
     "      lists the system's adapters with the IDs that report tasks, the rule and\n"
     "      the AdaptersEx keys use\n",
     ListAdapters},
    {"check", "", "",
     "      looks for settings the service cannot use: missing folders of the history,\n"
     "      recorder and report files, adapter IDs no adapter has now, a bad MetricsListen\n",
     CheckSettings},
    {"report", "add", "NAME TYPE ADAPTER SECONDS FILE",
     "      TYPE     daily, weekly, monthly or summary\n"
     "      ADAPTER  all (All Connections), dialup (Dial-Up Connections) or an adapter ID\n"
     "      SECONDS  interval; the first report is written after SECONDS seconds\n"
     "      FILE     report file; .csv gives CSV, .htm or .html HTML, anything else text\n",
     AddReportTask},
    {"report", "delete", "NAME", "", DeleteReportTask},
    {"report", "list", "", "", ListReportTasks},
    {"rule", "set", "ADAPTER LIMIT UNIT TRANSFER PERIOD ADDRESSES",
     "      LIMIT    a number such as 500 or 1.5\n"
     "      UNIT     B, KB, MB, GB or TB\n"
     "      TRANSFER down, up or both\n"
     "      PERIOD   week, month or days:N (the last N days, 1 = today)\n"
     "      ADDRESSES  e-mail addresses separated by commas\n",
     SetRule},
    {"rule", "off", "", "", SwitchRuleOff},
    {"rule", "show", "", "", ShowRule},
    {"metrics", "set", "ADDRESS:PORT",
     "      the service answers GET /metrics (Prometheus text format) on this address,\n"
     "      for example 127.0.0.1:9464\n",
     SetMetrics},
    {"metrics", "off", "", "", MetricsOff},
    {"metrics", "show", "", "", ShowMetrics},
    {"email", "set", "SERVER SENDER [ACCOUNT]",
     "      the service's SMTP server and sender; with ACCOUNT it logs in (AUTH LOGIN)\n"
     "      with the password typed at the prompt or given on standard input\n",
     SetEmail},
    {"email", "protect", "",
     "      lets only SYSTEM and Administrators read the e-mail settings, which hold\n"
     "      the password; run it after importing them from a .reg file\n",
     ProtectEmail},
};

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> out;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find(' ', at), text.size());
    out.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

std::string FormLine(const CommandForm& f) {
  std::string line = f.command;
  if (*f.action) line += std::string(" ") + f.action;
  if (*f.arguments) line += std::string(" ") + f.arguments;
  return line;
}

std::string WholeUsage() {
  std::string out = kUsageHead;
  for (const CommandForm& f : kForms) out += "  " + FormLine(f) + "\n" + f.help;
  return out;
}

// The line that says what was wrong, then the usage of `only`, or of every
// form of `command` when no one form is meant.
AdminResult CommandUsage(const std::string& what, const std::string& command, const CommandForm* only = nullptr) {
  std::string out = what + "\n";
  for (const CommandForm& f : kForms)
    if (only ? &f == only : command == f.command) out += "Usage: QuellmarkAdmin [/reg] " + FormLine(f) + "\n" + f.help;
  return {2, out};
}

// Names the first missing argument, or says how many were given; empty when
// the count fits.
std::string CountProblem(const CommandForm& f, const std::vector<std::string>& args) {
  const std::vector<std::string> names = Words(f.arguments);
  size_t required = 0;
  while (required < names.size() && names[required][0] != '[') ++required;
  const std::string form = *f.action ? std::string(f.command) + " " + f.action : f.command;
  if (args.size() < required) return form + ": " + names[args.size()] + " is missing.";
  // Counted, not quoted: the extra word may be a password typed in the wrong place.
  if (args.size() > names.size())
    return form + ": too many arguments (" + std::to_string(args.size()) + "; it takes " +
           (names.empty() ? "none)." : std::string(f.arguments) + "). Quote a value that holds spaces.");
  return "";
}

}  // namespace

std::string RegBinaryLine(const std::string& name, const std::vector<uint8_t>& data) {
  std::string out = RegName(name) + "=hex:";
  size_t column = out.size();
  for (size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    bool last = i + 1 == data.size();
    out += byte;
    column += 2;
    if (!last) {
      out += ',';
      ++column;
      if (column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
  return out + "\n";
}

AdminResult RunAdminCommand(SettingsStore& store, const std::vector<std::string>& args, AdapterSource* adapters,
                            EmailSecrets* secrets, FileSystem* files) {
  std::vector<std::string> a = args;
  const bool reg = !a.empty() && AsciiEqualNoCase(a[0], "/reg");
  if (reg) a.erase(a.begin());
  if (a.empty()) return {2, "No command given.\n" + WholeUsage()};
  const std::string command = AsciiLower(a[0]);
  if (command == "/?" || command == "help" || command == "/help") return Done(WholeUsage());
  const CommandForm* form = nullptr;
  bool known = false;
  for (const CommandForm& f : kForms) {
    if (command != f.command) continue;
    known = true;
    if (!*f.action || (a.size() > 1 && AsciiLower(a[1]) == f.action)) form = &f;
  }
  if (!known) return {2, "Unknown command \"" + a[0] + "\".\n" + WholeUsage()};
  if (!form)
    return CommandUsage(a.size() > 1 ? command + ": unknown action \"" + a[1] + "\"." : command + ": the action is missing.",
                        command);
  const std::vector<std::string> rest(a.begin() + (*form->action ? 2 : 1), a.end());
  const std::string problem = CountProblem(*form, rest);
  if (!problem.empty()) return CommandUsage(problem, command, form);
  AdminContext context{store, reg, adapters, secrets, files};
  return form->run(context, rest);
}

}  // namespace qm

#include "service/admin/admin_commands.h"

#include <cstdio>
#include <cstring>

#include "engine/adapter_argument.h"
#include "engine/adapter_record.h"
#include "platform/ascii_case.h"
#include "reports/report_kind.h"
#include "service/report_task.h"
#include "settings/notification_rule.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;

constexpr char kUsage[] =
    "Usage: QuellmarkAdmin [/reg] COMMAND\n"
    "Writes the service's machine-wide settings (HKEY_LOCAL_MACHINE\\Software\\Quellmark).\n"
    "With /reg nothing is written; the .reg text for \"reg import\" is printed instead.\n"
    "\n"
    "  adapters\n"
    "      lists the system's adapters with the IDs that report tasks, the rule and\n"
    "      the AdaptersEx keys use\n"
    "  report add NAME TYPE ADAPTER SECONDS FILE\n"
    "      TYPE     daily, weekly, monthly or summary\n"
    "      ADAPTER  all (All Connections), dialup (Dial-Up Connections) or an adapter ID\n"
    "      SECONDS  interval; the first report is written after SECONDS seconds\n"
    "      FILE     report file; .csv gives CSV, .htm or .html HTML, anything else text\n"
    "  report delete NAME\n"
    "  report list\n"
    "  rule set ADAPTER LIMIT UNIT TRANSFER PERIOD ADDRESSES\n"
    "      LIMIT    a number such as 500 or 1.5\n"
    "      UNIT     B, KB, MB, GB or TB\n"
    "      TRANSFER down, up or both\n"
    "      PERIOD   week, month or days:N (the last N days, 1 = today)\n"
    "      ADDRESSES  e-mail addresses separated by commas\n"
    "  rule off\n"
    "  rule show\n"
    "  email set SERVER SENDER [ACCOUNT]\n"
    "      the service's SMTP server and sender; with ACCOUNT it logs in (AUTH LOGIN)\n"
    "      with the password typed at the prompt or given on standard input\n"
    "  email protect\n"
    "      lets only SYSTEM and Administrators read the e-mail settings, which hold\n"
    "      the password; run it after importing them from a .reg file\n";

constexpr char kBadAdapter[] = "The adapter must be all, dialup or an adapter ID.";
constexpr char kCannotWrite[] = "Cannot write the settings; run the command as an administrator.";
constexpr const char* kUnits[] = {"B", "KB", "MB", "GB", "TB"};
constexpr const char* kTransfers[] = {"down", "up", "both"};

AdminResult Done(const std::string& output) { return {0, output}; }
AdminResult Fail(const std::string& message) { return {2, message + "\n"}; }
AdminResult Usage() { return {2, kUsage}; }

// An ID that no adapter present now has (a name typed for an ID, an
// interface re-created since) makes a task that silently does nothing; say
// so, but keep it, as the adapter may come back. Empty when the ID is
// present or the list cannot be read.
std::string UnknownAdapterWarning(AdapterSource* source, int32_t kind, const std::string& id) {
  std::vector<SystemAdapter> entries;
  if (kind != 300 || !source || !source->ListAdapters(entries)) return "";
  for (SystemAdapter& e : entries)
    if (MakeAdapterId(e) == id) return "";
  return "Warning: no adapter present now has the ID \"" + id +
         "\"; it is stored, but nothing is written for it until such an adapter appears. "
         "\"QuellmarkAdmin adapters\" lists the IDs.\n";
}

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

std::string TaskText(const ReportTask& t) {
  return std::string(ReportKindWord(ReportKindFromNumber(t.reportType))) + " " +
         AdapterArgumentText(t.adapterKind, ReportTaskAdapterId(t)) + " every " +
         std::to_string(t.interval <= 0 ? 1 : t.interval) + " s -> " + Utf16ToUtf8(ReportTaskFile(t));
}

AdminResult ListReportTasks(SettingsStore& store) {
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

AdminResult DeleteReportTask(SettingsStore& store, const std::string& name, bool reg) {
  if (reg) return Done(RegHeader(kServiceReportsKey) + RegName(name) + "=-\n");
  if (!store.DeleteValue(kLm, kServiceReportsKey, name)) return Fail("No report task named \"" + name + "\".");
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

AdminResult AddReportTask(SettingsStore& store, const std::vector<std::string>& a, bool reg, AdapterSource* adapters) {
  ReportTask task;
  std::string error;
  if (!ParseReportTask(a, task, error)) return Fail(error);
  const std::string& name = a[0];
  const std::vector<uint8_t> bytes = EncodeReportTask(task);
  if (reg) return Done(RegHeader(kServiceReportsKey) + RegBinaryLine(name, bytes));
  if (!store.WriteBinary(kLm, kServiceReportsKey, name, bytes.data(), bytes.size()))
    return Fail("Cannot write the report task; run the command as an administrator.");
  return Done("Report task \"" + name + "\" saved; it takes effect when the service starts next.\n" +
              UnknownAdapterWarning(adapters, task.adapterKind, ReportTaskAdapterId(task)));
}

// a[0] is "report".
AdminResult ReportCommand(SettingsStore& store, const std::vector<std::string>& a, bool reg, AdapterSource* adapters) {
  if (a.size() == 2 && a[1] == "list") return ListReportTasks(store);
  if (a.size() == 3 && a[1] == "delete") return DeleteReportTask(store, a[2], reg);
  if (a.size() == 7 && a[1] == "add") return AddReportTask(store, {a.begin() + 2, a.end()}, reg, adapters);
  return Usage();
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

AdminResult ShowRule(SettingsStore& store) {
  NotificationRuleU r;
  const RuleRead read = ReadNotificationRule(store, kLm, r);
  if (read == RuleRead::Missing) return Done("No notification rule.\n");
  if (read == RuleRead::Rejected) return Done("The stored rule has an unknown version; the service ignores it.\n");
  uint32_t enabled = 0;
  store.ReadDword(kLm, kOptionsKey, "NotificationEnabled", enabled);
  return Done(std::string(enabled ? "on" : "off") + ": " + RuleText(r) + "\n");
}

AdminResult SwitchRuleOff(SettingsStore& store, bool reg) {
  if (reg) return Done(RegHeader(kOptionsKey) + "\"NotificationEnabled\"=dword:00000000\n");
  if (!store.WriteDword(kLm, kOptionsKey, "NotificationEnabled", 0)) return Fail(kCannotWrite);
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

AdminResult SetRule(SettingsStore& store, const std::vector<std::string>& a, bool reg) {
  NotificationRuleU r;
  std::string error;
  if (!ParseRule(a, r, error)) return Fail(error);
  const std::vector<uint8_t> bytes = EncodeNotificationRule(r);
  if (reg)
    return Done(RegHeader(kOptionsKey) + "\"NotificationEnabled\"=dword:00000001\n" +
                RegBinaryLine("NotificationEx2U", bytes));
  if (!store.WriteBinary(kLm, kOptionsKey, "NotificationEx2U", bytes.data(), bytes.size()) ||
      !store.WriteDword(kLm, kOptionsKey, "NotificationEnabled", 1))
    return Fail(kCannotWrite);
  return Done("Notification rule saved and switched on; it takes effect when the service starts next.\n");
}

// a[0] is "rule".
AdminResult RuleCommand(SettingsStore& store, const std::vector<std::string>& a, bool reg) {
  if (a.size() == 2 && a[1] == "show") return ShowRule(store);
  if (a.size() == 2 && a[1] == "off") return SwitchRuleOff(store, reg);
  if (a.size() == 8 && a[1] == "set") return SetRule(store, {a.begin() + 2, a.end()}, reg);
  return Usage();
}

// --- adapters --------------------------------------------------------------

AdminResult ListAdapters(AdapterSource* source) {
  std::vector<SystemAdapter> entries;
  if (!source || !source->ListAdapters(entries)) return Fail("The system's adapter list cannot be read.");
  std::string out;
  for (SystemAdapter& e : entries) {
    const std::string id = MakeAdapterId(e);
    const std::string ip = FirstIpAddress(e);
    out += id + "  " + e.description + (ip.empty() ? "" : "  " + ip) + "\n";
  }
  return Done(out.empty() ? "No adapters.\n" : out);
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
                            EmailSecrets* secrets) {
  std::vector<std::string> a = args;
  const bool reg = !a.empty() && AsciiEqualNoCase(a[0], "/reg");
  if (reg) a.erase(a.begin());
  if (a.empty()) return Usage();
  const std::string what = AsciiLower(a[0]);
  if (what == "adapters" && a.size() == 1 && !reg) return ListAdapters(adapters);
  if (what == "report") return ReportCommand(store, a, reg, adapters);
  if (what == "rule") return RuleCommand(store, a, reg);
  if (what == "email") {
    AdminResult r = EmailCommand(store, a, reg, secrets);
    return r.output.empty() ? Usage() : r;
  }
  if (what == "/?" || what == "help" || what == "/help") return Done(kUsage);
  return Usage();
}

}  // namespace qm

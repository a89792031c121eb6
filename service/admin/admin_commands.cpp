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
    "  rule show\n";

bool ParseInt(const std::string& text, long long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtoll(text.c_str(), &end, 10);
  return end && *end == '\0';
}

bool ParseAdapter(const std::string& text, int32_t& kind, std::string& id) {
  AdapterArgument adapter;
  if (!ParseAdapterArgument(text, adapter)) return false;
  kind = adapter.kind;
  id = adapter.id;
  return true;
}

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

AdminResult Fail(const std::string& message) { return {2, message + "\n"}; }

AdminResult ReportCommand(SettingsStore& store, const std::vector<std::string>& a, bool reg) {
  if (a.size() == 2 && a[1] == "list") {
    std::string out;
    bool stopped = false;  // the service reads no value after one it cannot take
    for (const std::string& name : store.ValueNames(kLm, kServiceReportsKey)) {
      std::vector<uint8_t> data;
      ReportTask t;
      if (stopped) {
        out += name + ": not read by the service (it stops at an earlier value)\n";
        continue;
      }
      if (name.size() > kReportTaskMaxName || !store.ReadBinary(kLm, kServiceReportsKey, name, data) ||
          !DecodeReportTask(data.data(), data.size(), t)) {
        out += name +
               ": not read by the service, which stops here (name over 31 characters or record over 796 bytes)\n";
        stopped = true;
        continue;
      }
      out += name + ": " + ReportKindWord(ReportKindFromNumber(t.reportType)) + " " + AdapterArgumentText(t.adapterKind, ReportTaskAdapterId(t)) +
             " every " + std::to_string(t.interval <= 0 ? 1 : t.interval) + " s -> " + Utf16ToUtf8(ReportTaskFile(t)) +
             "\n";
    }
    return {0, out.empty() ? "No report tasks.\n" : out};
  }
  if (a.size() == 3 && a[1] == "delete") {
    if (reg) return {0, RegHeader(kServiceReportsKey) + RegName(a[2]) + "=-\n"};
    if (!store.DeleteValue(kLm, kServiceReportsKey, a[2])) return Fail("No report task named \"" + a[2] + "\".");
    return {0, "Report task \"" + a[2] + "\" deleted.\n"};
  }
  if (a.size() != 7 || a[1] != "add") return {2, kUsage};
  const std::string& name = a[2];
  if (name.empty() || name.size() > kReportTaskMaxName)
    return Fail("The task name must have 1 to 31 characters; the service stops reading tasks at a longer one.");
  ReportKind kind;
  if (!ReportKindFromWord(AsciiLower(a[3]), kind)) return Fail("Unknown report type \"" + a[3] + "\": use daily, weekly, monthly or summary.");
  int32_t adapterKind;
  std::string id;
  if (!ParseAdapter(a[4], adapterKind, id)) return Fail("The adapter must be all, dialup or an adapter ID.");
  long long seconds;
  if (!ParseInt(a[5], seconds) || seconds < 1 || seconds > 0x7fffffff)
    return Fail("The interval must be a whole number of seconds, 1 or more.");
  std::u16string file = Utf8ToUtf16(a[6]);
  if (file.empty() || file.size() > 259) return Fail("The report file path must have 1 to 259 characters.");
  std::vector<uint8_t> bytes = EncodeReportTask(MakeReportTask(uint32_t(kind), adapterKind, id, int32_t(seconds), file));
  if (reg) return {0, RegHeader(kServiceReportsKey) + RegBinaryLine(name, bytes)};
  if (!store.WriteBinary(kLm, kServiceReportsKey, name, bytes.data(), bytes.size()))
    return Fail("Cannot write the report task; run the command as an administrator.");
  return {0, "Report task \"" + name + "\" saved; it takes effect when the service starts next.\n"};
}

AdminResult RuleCommand(SettingsStore& store, const std::vector<std::string>& a, bool reg) {
  if (a.size() == 2 && a[1] == "show") {
    NotificationRuleU r;
    RuleRead read = ReadNotificationRule(store, kLm, r);
    if (read == RuleRead::Missing) return {0, "No notification rule.\n"};
    if (read == RuleRead::Rejected) return {0, "The stored rule has an unknown version; the service ignores it.\n"};
    static const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
    static const char* const transfers[] = {"down", "up", "both"};
    std::string period = r.period == kPeriodWeek ? "week" : r.period == kPeriodMonth ? "month"
                                                          : "days:" + std::to_string(r.nDays);
    uint32_t enabled = 0;
    store.ReadDword(kLm, kOptionsKey, "NotificationEnabled", enabled);
    return {0, std::string(enabled ? "on" : "off") + ": " + AdapterArgumentText(r.adapterKind, FieldText(r.adapterId)) + " " +
                   Utf16ToUtf8(FieldText(r.limitText)) + " " + (r.unit < 5 ? units[r.unit] : "B") + " " +
                   (r.transferType < 3 ? transfers[r.transferType] : "both") + " " + period + " " +
                   Utf16ToUtf8(FieldText(r.emailAddresses)) + "\n"};
  }
  if (a.size() == 2 && a[1] == "off") {
    if (reg) return {0, RegHeader(kOptionsKey) + "\"NotificationEnabled\"=dword:00000000\n"};
    if (!store.WriteDword(kLm, kOptionsKey, "NotificationEnabled", 0))
      return Fail("Cannot write the settings; run the command as an administrator.");
    return {0, "Notification switched off.\n"};
  }
  if (a.size() != 8 || a[1] != "set") return {2, kUsage};
  NotificationRuleU r;
  std::memset(&r, 0, sizeof r);
  r.version = kRuleVersion;
  std::string id;
  if (!ParseAdapter(a[2], r.adapterKind, id)) return Fail("The adapter must be all, dialup or an adapter ID.");
  SetFieldText(r.adapterId, id);
  const std::string& limit = a[3];
  if (limit.empty() || limit.size() > 63 || limit.find_first_not_of("0123456789.") != std::string::npos)
    return Fail("The limit must be a number of digits and \".\", at most 63 characters.");
  SetFieldText(r.limitText, Utf8ToUtf16(limit));
  std::string unit = AsciiUpper(a[4]);
  static const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
  r.unit = 5;
  for (uint32_t i = 0; i < 5; ++i)
    if (unit == units[i]) r.unit = i;
  if (r.unit == 5) return Fail("The unit must be B, KB, MB, GB or TB.");
  std::string transfer = AsciiLower(a[5]);
  r.transferType = transfer == "down" ? kTransferDown : transfer == "up" ? kTransferUp : transfer == "both" ? uint32_t(kTransferBoth) : 9u;
  if (r.transferType == 9) return Fail("The transfer must be down, up or both.");
  std::string period = AsciiLower(a[6]);
  long long days = 1;
  if (period == "week") {
    r.period = kPeriodWeek;
  } else if (period == "month") {
    r.period = kPeriodMonth;
  } else if (period.rfind("days:", 0) == 0 && ParseInt(period.substr(5), days) && days >= 1 && days <= 100000) {
    r.period = kPeriodLastDays;
  } else {
    return Fail("The period must be week, month or days:N with N of 1 or more.");
  }
  r.nDays = int32_t(days);
  std::u16string addresses = Utf8ToUtf16(a[7]);
  if (addresses.size() > 259) return Fail("The address list must have at most 259 characters.");
  SetFieldText(r.emailAddresses, addresses);
  r.sendEmail = addresses.empty() ? 0 : 1;
  std::vector<uint8_t> bytes = EncodeNotificationRule(r);
  if (reg)
    return {0, RegHeader(kOptionsKey) + "\"NotificationEnabled\"=dword:00000001\n" +
                   RegBinaryLine("NotificationEx2U", bytes)};
  if (!store.WriteBinary(kLm, kOptionsKey, "NotificationEx2U", bytes.data(), bytes.size()) ||
      !store.WriteDword(kLm, kOptionsKey, "NotificationEnabled", 1))
    return Fail("Cannot write the settings; run the command as an administrator.");
  return {0, "Notification rule saved and switched on; it takes effect when the service starts next.\n"};
}

AdminResult AdaptersCommand(AdapterSource* source) {
  std::vector<SystemAdapter> entries;
  if (!source || !source->ListAdapters(entries)) return Fail("The system's adapter list cannot be read.");
  std::string out;
  for (SystemAdapter& e : entries) {
    std::string id = MakeAdapterId(e);
    std::string ip = FirstIpAddress(e);
    out += id + "  " + e.description + (ip.empty() ? "" : "  " + ip) + "\n";
  }
  return {0, out.empty() ? "No adapters.\n" : out};
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

AdminResult RunAdminCommand(SettingsStore& store, const std::vector<std::string>& args, AdapterSource* adapters) {
  std::vector<std::string> a = args;
  bool reg = !a.empty() && AsciiLower(a[0]) == "/reg";
  if (reg) a.erase(a.begin());
  if (a.empty()) return {2, kUsage};
  std::string what = AsciiLower(a[0]);
  if (what == "adapters" && a.size() == 1 && !reg) return AdaptersCommand(adapters);
  if (what == "report") return ReportCommand(store, a, reg);
  if (what == "rule") return RuleCommand(store, a, reg);
  if (what == "/?" || what == "help" || what == "/help") return {0, kUsage};
  return {2, kUsage};
}

}  // namespace qm

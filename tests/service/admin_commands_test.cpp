#include "service/admin/admin_commands.h"

#include <gtest/gtest.h>

#include <cctype>

#include "tests/fakes/memory_file_system.h"
#include "tests/fakes/memory_settings_store.h"
#include "tests/fakes/scripted_adapter_source.h"
#include "service/report_task.h"
#include "settings/notification_rule.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;

// The bytes of a "name"=hex:.. value in .reg text, continuations included.
std::vector<uint8_t> HexBytes(const std::string& reg, const std::string& name) {
  size_t at = reg.find("\"" + name + "\"=hex:");
  EXPECT_NE(at, std::string::npos) << reg;
  std::vector<uint8_t> out;
  size_t i = reg.find(':', at) + 1;
  while (i < reg.size()) {
    char c = reg[i];
    if (isxdigit(uint8_t(c)) && i + 1 < reg.size() && isxdigit(uint8_t(reg[i + 1]))) {
      out.push_back(uint8_t(std::stoi(reg.substr(i, 2), nullptr, 16)));
      i += 2;
    } else if (c == ',' || c == ' ' || c == '\\' || c == '\r') {
      ++i;
    } else if (c == '\n') {
      if (reg[i - 1] != '\\' && !(i >= 2 && reg[i - 2] == '\\')) break;
      ++i;
    } else {
      break;
    }
  }
  return out;
}

TEST(AdminReportTasks, AddWritesTheRecordTheServiceLoads) {
  MemorySettingsStore store;
  AdminResult r = RunAdminCommand(
      store, {"report", "add", "eth-daily", "Weekly", "{0000000a-0000-0000-0000-4e6574446576}", "60", "C:\\r\xC3\xA9ports\\w.html"});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::vector<ReportTask> tasks = LoadReportTasks(store, kLm);
  ASSERT_EQ(tasks.size(), 1u);
  EXPECT_EQ(tasks[0].reportType, 2u);
  EXPECT_EQ(tasks[0].adapterKind, 300);
  EXPECT_EQ(ReportTaskAdapterId(tasks[0]), "{0000000A-0000-0000-0000-4E6574446576}");
  EXPECT_EQ(tasks[0].interval, 60);
  EXPECT_EQ(ReportTaskFile(tasks[0]), u"C:\\r\u00e9ports\\w.html");

  ASSERT_EQ(RunAdminCommand(store, {"report", "add", "all", "summary", "ALL", "5", "C:\\s.txt"}).exitCode, 0);
  EXPECT_EQ(LoadReportTasks(store, kLm)[1].adapterKind, 100);
  // The report command's spelling of the adapters works here too.
  ASSERT_EQ(RunAdminCommand(store, {"report", "add", "d", "daily", "300:{0000000b-0000-0000-0000-4e6574446576}", "5", "C:\\d.txt"}).exitCode, 0);
  EXPECT_EQ(ReportTaskAdapterId(LoadReportTasks(store, kLm)[2]), "{0000000B-0000-0000-0000-4E6574446576}");
  EXPECT_EQ(RunAdminCommand(store, {"report", "delete", "d"}).exitCode, 0);
  EXPECT_NE(RunAdminCommand(store, {"report", "list"}).output.find("all: summary all every 5 s -> C:\\s.txt"),
            std::string::npos);
  EXPECT_EQ(RunAdminCommand(store, {"report", "delete", "all"}).exitCode, 0);
  EXPECT_EQ(LoadReportTasks(store, kLm).size(), 1u);
}

// The listing shows what the service loads: it stops at a value with an
// overlong name or record, so that value and every later one are flagged.
TEST(AdminReportTasks, ListFlagsTheValuesTheServiceDoesNotRead) {
  MemorySettingsStore store;
  std::vector<uint8_t> good = EncodeReportTask(MakeReportTask(1, 100, "", 5, u"C:\\a.txt"));
  for (const std::string& name : std::vector<std::string>{"first", std::string(32, 'x'), "later"})
    store.WriteBinary(kLm, kServiceReportsKey, name, good.data(), good.size());
  EXPECT_EQ(RunAdminCommand(store, {"report", "list"}).output,
            "first: daily all every 5 s -> C:\\a.txt\n" + std::string(32, 'x') +
                ": not read by the service, which stops here (name over 31 characters or record over 796 bytes)\n"
                "later: not read by the service (it stops at an earlier value)\n");
}

TEST(AdminReportTasks, WarnsOfAnIdNoAdapterHasAndStoresTheTask) {
  MemorySettingsStore store;
  ScriptedAdapterSource source;
  SystemAdapter eth;
  eth.name = "{00000002-0000-0000-0000-4E6574446576}";
  eth.description = "eth0";
  source.adapters = {eth};
  struct Case {
    const char* adapter;
    bool warned;
  } cases[] = {{"300:eth0", true}, {"{00000002-0000-0000-0000-4e6574446576}", false}, {"all", false}};
  for (const Case& c : cases) {
    AdminResult r = RunAdminCommand(store, {"report", "add", "t", "daily", c.adapter, "5", "C:\\r.csv"}, &source);
    EXPECT_EQ(r.exitCode, 0) << c.adapter;
    EXPECT_EQ(r.output.find("Warning: no adapter present now has the ID \"ETH0\"") != std::string::npos, c.warned)
        << r.output;
    EXPECT_EQ(r.output.find("\"QuellmarkAdmin adapters\" lists the IDs") != std::string::npos, c.warned) << r.output;
    EXPECT_EQ(LoadReportTasks(store, kLm).size(), 1u) << c.adapter;
  }
}

TEST(AdminReportTasks, RefusesWhatTheServiceWouldMisread) {
  MemorySettingsStore store;
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"report", "add", std::string(32, 'n'), "daily", "all", "5", "C:\\a"}, "1 to 31 characters"},
      {{"report", "add", "n", "hourly", "all", "5", "C:\\a"}, "Unknown report type"},
      {{"report", "add", "n", "daily", "400", "5", "C:\\a"}, "The adapter must be"},
      {{"report", "add", "n", "daily", "all", "0", "C:\\a"}, "1 or more"},
      {{"report", "add", "n", "daily", "all", "5s", "C:\\a"}, "1 or more"},
      {{"report", "add", "n", "daily", "all", "5", std::string(260, 'p')}, "1 to 259"},
      // What bash leaves of an unquoted C:\Reports\x.html, and a bare name.
      {{"report", "add", "n", "daily", "all", "5", "C:Reportsx.html"}, "\"C:Reportsx.html\" has no folder"},
      {{"report", "add", "n", "daily", "all", "5", "x.html"}, "has no folder"},
      // A line end in a name breaks the .reg text; in a path it is no file
      // name the service could ever create.
      {{"report", "add", "a\nb", "daily", "all", "5", "C:\\a"}, "The task name cannot hold control characters"},
      {{"/reg", "report", "delete", "a\r\n[HKEY_LOCAL_MACHINE\\X]"}, "The task name cannot hold control characters"},
      {{"report", "add", "n", "daily", "all", "5", "C:\\r\n.txt"}, "cannot hold control characters"},
      {{"report", "add", "n", "daily", "all", "5", "C:\\\"r.txt"}, "cannot hold control characters or"},
      {{"report", "add", "n", "daily", "all", "5", "C:\\r|x.txt"}, "cannot hold control characters or"},
      {{"report", "delete", "missing"}, "No report task"},
      {{"rule", "set", "all", "1e3", "MB", "down", "week", "a@b.example"}, "digits"},
      {{"rule", "set", "all", "10", "PB", "down", "week", "a@b.example"}, "unit"},
      {{"rule", "set", "all", "10", "MB", "sideways", "week", "a@b.example"}, "transfer"},
      {{"rule", "set", "all", "10", "MB", "down", "days:0", "a@b.example"}, "period"},
  };
  for (const Case& c : cases) {
    AdminResult r = RunAdminCommand(store, c.args);
    EXPECT_NE(r.exitCode, 0) << c.message;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
  }
  EXPECT_TRUE(store.ValueNames(kLm, kServiceReportsKey).empty());
  EXPECT_TRUE(store.ValueNames(kLm, kOptionsKey).empty());
}

TEST(AdminRule, SetWritesAVersion3WideRuleAndSwitchesItOn) {
  MemorySettingsStore store;
  AdminResult r = RunAdminCommand(store, {"rule", "set", "dialup", "1.5", "gb", "both", "days:7", "a@b.example,c@d.example"});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  NotificationRuleU rule;
  ASSERT_EQ(ReadNotificationRule(store, kLm, rule), RuleRead::Accepted);
  EXPECT_EQ(rule.version, 3u);
  EXPECT_EQ(rule.adapterKind, 200);
  EXPECT_EQ(FieldText(rule.limitText), u"1.5");
  EXPECT_EQ(rule.unit, uint32_t(kUnitGB));
  EXPECT_EQ(rule.transferType, uint32_t(kTransferBoth));
  EXPECT_EQ(rule.period, uint32_t(kPeriodLastDays));
  EXPECT_EQ(rule.nDays, 7);
  EXPECT_EQ(rule.sendEmail, 1u);
  EXPECT_EQ(FieldText(rule.emailAddresses), u"a@b.example,c@d.example");
  uint32_t enabled = 0;
  EXPECT_TRUE(store.ReadDword(kLm, kOptionsKey, "NotificationEnabled", enabled));
  EXPECT_EQ(enabled, 1u);
  EXPECT_EQ(RunAdminCommand(store, {"rule", "show"}).output, "on: dialup 1.5 GB both days:7 a@b.example,c@d.example\n");
}

TEST(AdminRegText, PrintsImportableRecordsAndWritesNothing) {
  MemorySettingsStore store;
  AdminResult r = RunAdminCommand(store, {"/REG", "report", "add", "t1", "monthly", "all", "30", "C:\\m.csv"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output.rfind("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Quellmark\\Service\\Reports]\n", 0), 0u)
      << r.output;
  std::vector<uint8_t> bytes = HexBytes(r.output, "t1");
  EXPECT_EQ(bytes, EncodeReportTask(MakeReportTask(3, 100, "", 30, u"C:\\m.csv")));
  for (size_t start = 0, end; (end = r.output.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 80u);
  EXPECT_TRUE(store.ValueNames(kLm, kServiceReportsKey).empty());

  AdminResult rule = RunAdminCommand(store, {"/reg", "rule", "set", "all", "10", "KB", "down", "week", ""});
  ASSERT_EQ(rule.exitCode, 0);
  EXPECT_EQ(HexBytes(rule.output, "NotificationEx2U").size(), 1992u);
  EXPECT_NE(rule.output.find("\"NotificationEnabled\"=dword:00000001\n"), std::string::npos);
}

TEST(AdminAdapters, ListsTheIdsTheSettingsUse) {
  MemorySettingsStore store;
  ScriptedAdapterSource source;
  SystemAdapter guid, shortName;
  guid.name = "{0000000a-0000-0000-0000-4e6574446576}";
  guid.description = "veth0";
  guid.ipAddresses = {"198.51.100.1"};
  shortName.name = "eth1";
  shortName.description = "eth1";
  shortName.hardwareAddress = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
  source.adapters = {guid, shortName};
  AdminResult r = RunAdminCommand(store, {"adapters"}, &source);
  EXPECT_EQ(r.output, "{0000000A-0000-0000-0000-4E6574446576}  veth0  198.51.100.1\n0011223344550000  eth1\n");
  source.fail_list = true;
  EXPECT_NE(RunAdminCommand(store, {"adapters"}, &source).exitCode, 0);
}

TEST(AdminMetrics, SetsShowsAndClearsTheListenAddress) {
  MemorySettingsStore store;
  EXPECT_EQ(RunAdminCommand(store, {"metrics", "show"}).output, "Metrics endpoint off.\n");
  AdminResult set = RunAdminCommand(store, {"metrics", "set", "127.0.0.1:9464"});
  EXPECT_EQ(set.output, "The service answers http://127.0.0.1:9464/metrics once it starts next.\n");
  std::string listen;
  EXPECT_TRUE(store.ReadString(kLm, kServiceKey, "MetricsListen", listen));
  EXPECT_EQ(listen, "127.0.0.1:9464");
  EXPECT_EQ(RunAdminCommand(store, {"metrics", "show"}).output, "http://127.0.0.1:9464/metrics\n");
  EXPECT_NE(RunAdminCommand(store, {"metrics", "set", "0.0.0.0:9464"}).output.find("firewall"), std::string::npos);
  for (const char* bad : {"localhost:9464", "127.0.0.1", "127.0.0.1:0", "127.0.0.1:70000"}) {
    AdminResult r = RunAdminCommand(store, {"metrics", "set", bad});
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.output.find("IPv4ADDRESS:PORT"), std::string::npos) << r.output;
  }
  EXPECT_EQ(RunAdminCommand(store, {"/reg", "metrics", "off"}).output,
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Quellmark\\Service]\n\"MetricsListen\"=-\n");
  EXPECT_TRUE(store.ReadString(kLm, kServiceKey, "MetricsListen", listen));
  EXPECT_EQ(RunAdminCommand(store, {"metrics", "off"}).exitCode, 0);
  EXPECT_FALSE(store.ReadString(kLm, kServiceKey, "MetricsListen", listen));
  EXPECT_EQ(RunAdminCommand(store, {"metrics", "off"}).exitCode, 0);  // already off
}

// A wrong count names the argument (never echoing a value, which may be a
// password in the wrong place), then gives that one command's usage.
TEST(AdminUsage, SaysWhatWasWrongThenTheUsageOfThatCommand) {
  MemorySettingsStore store;
  struct Case {
    std::vector<std::string> args;
    std::string first;    // the line that says what was wrong
    std::string usage;    // the usage line that must follow
    std::string notThere; // a usage line of another form that must not
  } cases[] = {
      {{"report", "add", "n", "daily", "all", "5"}, "report add: FILE is missing.",
       "Usage: QuellmarkAdmin [/reg] report add NAME TYPE ADAPTER SECONDS FILE", "report list"},
      {{"report", "add", "n"}, "report add: TYPE is missing.", "report add NAME", "report delete"},
      {{"report", "add", "n", "daily", "all", "5", "C:\\Program", "Files\\x.csv"},
       "report add: too many arguments (6; it takes NAME TYPE ADAPTER SECONDS FILE). Quote a value that holds spaces.",
       "report add NAME", "rule set"},
      {{"/reg", "rule", "set", "all", "10", "MB"}, "rule set: TRANSFER is missing.",
       "Usage: QuellmarkAdmin [/reg] rule set ADAPTER LIMIT UNIT TRANSFER PERIOD ADDRESSES", "rule show"},
      {{"rule", "show", "x"}, "rule show: too many arguments (1; it takes none).", "Usage: QuellmarkAdmin [/reg] rule show",
       "rule off"},
      {{"email", "set", "h"}, "email set: SENDER is missing.", "email set SERVER SENDER [ACCOUNT]", "email protect"},
      {{"email", "set", "h", "a@b.example", "u", "s3cret"}, "email set: too many arguments (4; it takes SERVER SENDER [ACCOUNT]). Quote a value that holds spaces.",
       "email set SERVER", "s3cret"},
      {{"adapters", "eth0"}, "adapters: too many arguments (1; it takes none).", "Usage: QuellmarkAdmin [/reg] adapters",
       "report list"},
      // No one form is meant: every form of the command.
      {{"report"}, "report: the action is missing.", "report list", "rule"},
      {{"rule", "on"}, "rule: unknown action \"on\".", "rule off", "report"},
  };
  for (const Case& c : cases) {
    AdminResult r = RunAdminCommand(store, c.args);
    EXPECT_EQ(r.exitCode, 2) << c.first;
    EXPECT_EQ(r.output.substr(0, r.output.find('\n')), c.first) << r.output;
    EXPECT_NE(r.output.find(c.usage, c.first.size()), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find(c.notThere, c.first.size()), std::string::npos) << r.output;
  }
  AdminResult unknown = RunAdminCommand(store, {"reprot", "list"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_EQ(unknown.output.rfind("Unknown command \"reprot\".\nUsage: QuellmarkAdmin [/reg] COMMAND\n", 0), 0u) << unknown.output;
  EXPECT_EQ(RunAdminCommand(store, {"/?"}).output, RunAdminCommand(store, {"help"}).output);
  EXPECT_TRUE(store.ValueNames(kLm, kServiceReportsKey).empty());
}

// Settings the service would silently fail on, as far as this machine shows
// them: report add warns of its own, check finds them all.
class AdminSettingsCheck : public ::testing::Test {
 protected:
  AdminSettingsCheck() {
    SystemAdapter eth;
    eth.name = kEth;
    eth.description = "eth0";
    source_.adapters = {eth};
    files_.MakeDirectory("C:\\Reports");
  }
  AdminResult Run(const std::vector<std::string>& args) {
    return RunAdminCommand(store_, args, &source_, nullptr, &files_);
  }
  static constexpr char kEth[] = "{00000002-0000-0000-0000-4E6574446576}";
  MemorySettingsStore store_;
  ScriptedAdapterSource source_;
  MemoryFileSystem files_;
};

TEST_F(AdminSettingsCheck, ReportAddWarnsOfAMissingFolderAndStoresTheTask) {
  AdminResult ok = Run({"report", "add", "a", "daily", kEth, "60", "C:\\Reports\\a.csv"});
  EXPECT_EQ(ok.output, "Report task \"a\" saved; it takes effect when the service starts next.\n");
  AdminResult missing = Run({"report", "add", "b", "daily", "all", "60", "C:\\Report\\b.csv"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_NE(missing.output.find("\nWarning: the folder \"C:\\Report\" of \"C:\\Report\\b.csv\" does not exist; create it "
                                "(mkdir \"C:\\Report\"), or the service cannot write the file.\n"),
            std::string::npos)
      << missing.output;
  EXPECT_EQ(LoadReportTasks(store_, kLm).size(), 2u);
  // .reg text is for other machines: nothing of this one is looked at.
  EXPECT_EQ(Run({"/reg", "report", "add", "b", "daily", "all", "60", "C:\\Report\\b.csv"}).output.find("Warning"),
            std::string::npos);
}

// The service refuses to write a report over its history file, and two
// tasks on one file overwrite each other's reports: the first is refused
// here, the second warned of.
TEST_F(AdminSettingsCheck, ReportAddRefusesTheHistoryFileAndWarnsOfASharedFile) {
  store_.WriteString(kLm, kOptionsKey, "TrafficLogFile", "C:\\Reports\\TrafficHistory.log");
  AdminResult history = Run({"report", "add", "h", "daily", "all", "60", "c:\\reports\\traffichistory.LOG"});
  EXPECT_EQ(history.exitCode, 2);
  EXPECT_EQ(history.output, "The report file \"c:\\reports\\traffichistory.LOG\" is the service's traffic log file "
                            "(TrafficLogFile); a report task never writes over it.\n");
  EXPECT_TRUE(store_.ValueNames(kLm, kServiceReportsKey).empty());

  ASSERT_EQ(Run({"report", "add", "a", "daily", "all", "60", "C:\\Reports\\a.csv"}).exitCode, 0);
  // Saving a task again under its own name is no sharing.
  EXPECT_EQ(Run({"report", "add", "a", "daily", "all", "30", "C:\\Reports\\a.csv"}).output.find("Warning"),
            std::string::npos);
  AdminResult shared = Run({"report", "add", "b", "summary", "all", "60", "C:\\Reports\\A.CSV"});
  EXPECT_EQ(shared.exitCode, 0);
  EXPECT_EQ(shared.output, "Report task \"b\" saved; it takes effect when the service starts next.\n"
                           "Warning: report task \"a\" writes \"C:\\Reports\\a.csv\" too; each run replaces the "
                           "other's report.\n");
}

// Tasks imported from a .reg file pass no refusal: check names the one on
// the history file and the second one on a file another task writes.
TEST_F(AdminSettingsCheck, CheckNamesTasksOnTheHistoryOrOnAnotherTasksFile) {
  store_.WriteDword(kLm, kServiceKey, "ServiceEnabled", 1);
  store_.WriteString(kLm, kOptionsKey, "TrafficLogFile", "C:\\Reports\\TrafficHistory.log");
  for (const auto& [name, path] : {std::pair{"a", u"C:\\Reports\\a.csv"}, std::pair{"h", u"C:\\Reports\\trafficHistory.LOG"},
                                   std::pair{"b", u"C:\\Reports\\A.csv"}}) {
    const std::vector<uint8_t> record = EncodeReportTask(MakeReportTask(1, 100, "", 60, path));
    store_.WriteBinary(kLm, kServiceReportsKey, name, record.data(), record.size());
  }
  AdminResult r = Run({"check"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output,
            "Report task \"h\": \"C:\\Reports\\trafficHistory.LOG\" is the service's traffic log file "
            "(TrafficLogFile); the service never writes a report over it.\n"
            "Report task \"b\": report task \"a\" writes \"C:\\Reports\\a.csv\" too; each run replaces the other's "
            "report.\n");
}

TEST_F(AdminSettingsCheck, CheckNamesEverySettingTheServiceCannotUse) {
  EXPECT_EQ(Run({"check"}).output, "ServiceEnabled: not 1, so the service stops as soon as it starts.\n");
  store_.WriteDword(kLm, kServiceKey, "ServiceEnabled", 1);
  EXPECT_EQ(Run({"check"}).exitCode, 0);
  EXPECT_EQ(Run({"check"}).output, "No problems found.\n");

  store_.WriteString(kLm, kServiceKey, "MetricsListen", "localhost:9464");  // typed into a .reg file by hand
  store_.WriteString(kLm, kOptionsKey, "TrafficLogFile", "C:\\ProgramData\\Quellmark\\TrafficHistory.log");
  const std::string lan = AdapterKeyPath(300, kEth), gone = AdapterKeyPath(300, "{00000009-0000-0000-0000-4E6574446576}");
  store_.WriteString(kLm, lan, "AdapterID", kEth);
  store_.WriteDword(kLm, lan, "RecordTrafficRates", 1);
  store_.WriteString(kLm, lan, "RecordFile", "C:\\Rates\\lan.csv");
  store_.WriteString(kLm, gone, "AdapterID", "{00000009-0000-0000-0000-4E6574446576}");
  store_.WriteDword(kLm, gone, "RecordTrafficRates", 0);
  store_.WriteString(kLm, gone, "RecordFile", "C:\\Nowhere\\x.csv");  // not recording: not looked at
  ASSERT_EQ(Run({"report", "add", "t", "daily", "300:eth0", "60", "C:\\Reports\\t.csv"}).exitCode, 0);
  ASSERT_EQ(Run({"rule", "set", "300:eth1", "1", "GB", "down", "week", "a@b.example"}).exitCode, 0);
  AdminResult r = Run({"check"});
  EXPECT_EQ(r.exitCode, 1);
  const std::string absent = "\", so nothing is written for it until such an adapter appears. "
                             "\"QuellmarkAdmin adapters\" lists the IDs.\n";
  EXPECT_EQ(r.output,
            "MetricsListen: \"localhost:9464\" is not IPv4ADDRESS:PORT, so the service serves no metrics.\n"
            "TrafficLogFile: the folder \"C:\\ProgramData\\Quellmark\" of \"C:\\ProgramData\\Quellmark\\TrafficHistory.log\" "
            "does not exist; create it (mkdir \"C:\\ProgramData\\Quellmark\"), or the service cannot write the file.\n"
            "AdaptersEx\\300-{00000002-0000-0000-0000-4E6574446576} RecordFile: the folder \"C:\\Rates\" of "
            "\"C:\\Rates\\lan.csv\" does not exist; create it (mkdir \"C:\\Rates\"), or the service cannot write the file.\n"
            "AdaptersEx\\300-{00000009-0000-0000-0000-4E6574446576}: no adapter present now has the ID "
            "\"{00000009-0000-0000-0000-4E6574446576}" + absent +
            "Report task \"t\": no adapter present now has the ID \"ETH0" + absent +
            "Notification rule: no adapter present now has the ID \"ETH1" + absent);
  EXPECT_NE(RunAdminCommand(store_, {"/reg", "check"}).exitCode, 0);
}

}  // namespace
}  // namespace qm

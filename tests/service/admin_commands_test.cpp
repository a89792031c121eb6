#include "service/admin/admin_commands.h"

#include <gtest/gtest.h>

#include <cctype>

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
      {{"report", "delete", "missing"}, "No report task"},
      {{"report", "add", "n"}, "Usage:"},
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

}  // namespace
}  // namespace qm

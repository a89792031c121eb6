#include "notify/notification_monitor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/day_record.h"
#include "platform/file.h"
#include "tests/fakes/memory_file_system.h"
#include "tests/fakes/memory_settings_store.h"
#include "settings/fixed_records.h"

#include "tests/notify/rule_fixture.h"

namespace qm {
namespace {

// A history file in memory: the header and the records a test adds. The
// file system counts the reads.
struct MemoryHistory {
  MemoryHistory() {
    HistoryHeader h = MakeHistoryHeader();
    fs.SetContent("TrafficHistory.log", std::string(reinterpret_cast<const char*>(&h), sizeof h));
    handle = fs.Open("TrafficHistory.log", FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenExisting);
  }
  void Add(const DayRecord& r) { EXPECT_TRUE(handle->SeekEnd() && handle->Write(&r, sizeof r)); }
  File* file() { return handle.get(); }

  MemoryFileSystem fs;
  std::unique_ptr<File> handle;
};

DayRecord Day(int y, int m, int d, int32_t kind, const std::string& id, uint64_t down, uint64_t up) {
  Date date = MakeDate(y, m, d);
  LocalTime t{date.year, date.month, date.dayOfWeek, date.day, 0, 0, 0, 0};
  return MakeDayRecord(t, kind, id, down, up);
}

AdapterRecord Adapter(int32_t kind, const std::string& id, const std::string& name) {
  AdapterRecord r;
  r.kind = kind;
  r.id = id;
  r.displayName = name;
  return r;
}

NotificationRule Rule(const char* limit, uint32_t unit, uint32_t transfer, uint32_t period, int32_t nDays = 1,
                      int32_t kind = 300, const char* id = "ETH0-ID") {
  return MakeRule(limit, unit, transfer, period, nDays, kind, id);
}

const Date kWednesday = MakeDate(2026, 3, 11);
RuleCalendar MondayWeeks() {
  RuleCalendar c;
  c.weekStartDay = 1;
  return c;
}

TEST(LimitInBytes, DecimalTextTimesTheUnit) {
  struct Case {
    const char* text;
    uint32_t unit;
    int64_t bytes;
  } cases[] = {
      {"10", kUnitMB, 10485760},
      {"1.5", kUnitGB, 1610612736},
      {"0.5", kUnitKB, 512},
      {"1.9", kUnitBytes, 1},  // truncated
      {"2", kUnitTB, 2199023255552},
      {"7", 9, 7},             // unknown unit counts as Bytes
      {"", kUnitGB, 0},        // not a number: any traffic fires
      {"abc", kUnitGB, 0},
      {"99999999999999999999", kUnitTB, INT64_MAX},  // held, not wrapped
  };
  for (const Case& c : cases) EXPECT_EQ(LimitInBytes(Rule(c.text, c.unit, 0, 0)), c.bytes) << c.text;
}

TEST(PeriodHistorySum, WeekSumsTheClosedDaysOfTheRulesAdapter) {
  MemoryHistory f;
  f.Add(Day(2026, 3, 8, 300, "ETH0-ID", 1000, 1));    // Sunday: the week before
  f.Add(Day(2026, 3, 9, 300, "ETH0-ID", 200, 2));     // Monday
  f.Add(Day(2026, 3, 9, 300, "eth0-id", 99999, 9));   // IDs compare case-sensitively
  f.Add(Day(2026, 3, 9, 100, "", 77777, 7));          // another kind
  f.Add(Day(2026, 3, 10, 300, "ETH0-ID", 30, 3));     // Tuesday
  f.Add(Day(2026, 3, 11, 300, "ETH0-ID", 5000, 5));   // today: the live totals count instead
  f.Add(Day(2026, 3, 15, 300, "ETH0-ID", 4000, 4));   // in the week but after today: not its past
  const Period week = WeekContaining(kWednesday, 1);
  EXPECT_EQ(PeriodHistorySum(Rule("1", 0, kTransferDown, kPeriodWeek), week, kWednesday, f.file()), 200u + 30);
  EXPECT_EQ(PeriodHistorySum(Rule("1", 0, kTransferUp, kPeriodWeek), week, kWednesday, f.file()), 2u + 3);
  EXPECT_EQ(PeriodHistorySum(Rule("1", 0, 5, kPeriodWeek), week, kWednesday, f.file()), 202u + 33);
  EXPECT_EQ(PeriodHistorySum(Rule("1", 0, kTransferDown, kPeriodWeek), week, kWednesday, nullptr), 0u);
}

TEST(PeriodHistorySum, PseudoAdaptersMatchByKindAlone) {
  MemoryHistory f;
  f.Add(Day(2026, 3, 10, 100, "", 10, 0));
  f.Add(Day(2026, 3, 10, 200, "", 20, 0));
  NotificationRule all = Rule("1", 0, kTransferDown, kPeriodWeek, 1, 100, "WHATEVER");
  EXPECT_EQ(PeriodHistorySum(all, WeekContaining(kWednesday, 1), kWednesday, f.file()), 10u);
}

TEST(PrepareNotification, PeriodsOfTheRule) {
  MemoryHistory f;
  for (int d = 1; d <= 11; ++d) f.Add(Day(2026, 3, d, 300, "ETH0-ID", 1u << d, 0));
  f.Add(Day(2026, 2, 28, 300, "ETH0-ID", 1u << 20, 0));
  AdapterList list;
  const AdapterRecord& eth = list.Append(Adapter(300, "ETH0-ID", "LAN"));
  RuleCalendar cal = MondayWeeks();
  struct Case {
    const char* name;
    NotificationRule rule;
    int monthStartDay;
    uint64_t sum;
  } cases[] = {
      {"week from Monday 9th", Rule("1", 0, 0, kPeriodWeek), 1, (1u << 9) + (1u << 10)},
      {"month from the 1st", Rule("1", 0, 0, kPeriodMonth), 1, (1u << 11) - 2},
      {"month from the 10th", Rule("1", 0, 0, kPeriodMonth), 10, 1u << 10},
      {"last 3 days", Rule("1", 0, 0, kPeriodLastDays, 3), 1, (1u << 9) + (1u << 10)},
      {"last 12 days reaches into February", Rule("1", 0, 0, kPeriodLastDays, 12), 1, (1u << 11) - 2 + (1u << 20)},
      // An odd stored N longer than the calendar reaches back holds every past day.
      {"last 1000000 days", Rule("1", 0, 0, kPeriodLastDays, 1000000), 1, (1u << 11) - 2 + (1u << 20)},
      {"last 2147483647 days", Rule("1", 0, 0, kPeriodLastDays, INT32_MAX), 1, (1u << 11) - 2 + (1u << 20)},
  };
  for (const Case& c : cases) {
    cal.monthStartDay = c.monthStartDay;
    PreparedRule p = PrepareNotification(c.rule, kWednesday, cal, f.file(), list);
    EXPECT_EQ(p.periodHistorySum, c.sum) << c.name;
    EXPECT_EQ(p.adapter, &eth) << c.name;
  }
}

TEST(PrepareNotification, OneDayPeriodReadsNoFile) {
  MemoryHistory f;
  f.Add(Day(2026, 3, 10, 300, "ETH0-ID", 1, 1));
  RuleCalendar cal;
  cal.monthStartDay = 1;
  AdapterList none;
  PrepareNotification(Rule("1", 0, 0, kPeriodMonth), MakeDate(2026, 3, 1), cal, f.file(), none);
  PrepareNotification(Rule("1", 0, 0, kPeriodLastDays, 1), kWednesday, cal, f.file(), none);
  PrepareNotification(Rule("1", 0, 0, kPeriodWeek), MakeDate(2026, 3, 8), cal, f.file(), none);  // a Sunday
  EXPECT_EQ(f.fs.reads, 0);
}

TEST(PrepareNotification, MonitoredAdapterIsTheFirstThatMatches) {
  AdapterList list;
  const AdapterRecord& all = list.Append(Adapter(100, "", "All Connections"));
  list.Append(Adapter(300, "OTHER", "WLAN"));
  const AdapterRecord& eth = list.Append(Adapter(300, "ETH0-ID", "LAN"));
  list.Append(Adapter(300, "ETH0-ID", "LAN again"));
  RuleCalendar cal;
  EXPECT_EQ(PrepareNotification(Rule("1", 0, 0, 0), kWednesday, cal, nullptr, list).adapter, &eth);
  EXPECT_EQ(PrepareNotification(Rule("1", 0, 0, 0, 1, 100, "ETH0-ID"), kWednesday, cal, nullptr, list).adapter, &all);
  EXPECT_EQ(PrepareNotification(Rule("1", 0, 0, 0, 1, 300, "eth0-id"), kWednesday, cal, nullptr, list).adapter, nullptr);
  EXPECT_EQ(PrepareNotification(Rule("1", 0, 0, 0, 1, 0, ""), kWednesday, cal, nullptr, list).adapter, nullptr);
}

// Records what the evaluation asks of the meter window. The alert window
// "stays open" for `ticksWhileOpen` ticks, during which the evaluation is
// re-entered as the modal loop would.
class RecordingOwner : public NotificationOwner {
 public:
  NotificationAlerts* alerts = nullptr;
  AlertChoice answer{0, 5};
  int ticksWhileOpen = 0;
  std::vector<std::string> calls;
  AlertRequest lastRequest;

  std::function<void()> whileOpen;  // once, as if the user did it over the window

  AlertChoice ShowAlertWindow(const AlertRequest& request) override {
    calls.push_back("window");
    lastRequest = request;
    if (auto once = std::exchange(whileOpen, nullptr)) once();
    for (int i = 0; i < ticksWhileOpen; ++i) alerts->Evaluate();
    return answer;
  }
  void StartNotificationMail(uint64_t total) override { calls.push_back("mail " + std::to_string(total)); }
  void RunProgram(const std::string& path) override { calls.push_back("run " + path); }
  void SaveNextAlert(const AlertChoice& c) override {
    calls.push_back("save " + std::to_string(c.nextAlertType) + " " + std::to_string(c.nextAlertMin));
  }
  void RefusalBeep() override { calls.push_back("beep"); }
  std::vector<std::string> Take() { return std::exchange(calls, {}); }
};

class Alerts : public ::testing::Test {
 protected:
  using Calls = std::vector<std::string>;
  Alerts() : alerts(owner) {
    owner.alerts = &alerts;
    rule = Rule("10", kUnitMB, kTransferDown, kPeriodLastDays, 1);
    rule.sendEmail = 1;
    SetFieldText(rule.emailAddresses, "admin@example.com");
    rule.runProgram = 1;
    SetFieldText(rule.program, "C:\\tools\\cut-off.exe");
  }
  void Prepare() { alerts.Prepare(rule, kWednesday, RuleCalendar{}, nullptr, list); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) alerts.Evaluate();
  }

  RecordingOwner owner;
  NotificationAlerts alerts;
  NotificationRule rule;
  AdapterList list;
  AdapterRecord& eth = list.Append(Adapter(300, "ETH0-ID", "LAN"));
};

TEST_F(Alerts, FiresOnceTheTotalIsAboveTheLimitNotAtIt) {
  Prepare();
  eth.todayDownload = 10485760;
  Ticks(3);
  EXPECT_EQ(owner.Take(), Calls{});
  EXPECT_EQ(alerts.state(), AlertState::Idle);
  eth.todayDownload = 10485761;
  owner.ticksWhileOpen = 5;  // ticks go on while the window is open
  Ticks(1);
  EXPECT_EQ(owner.Take(), (Calls{"mail 10485761", "run C:\\tools\\cut-off.exe", "window", "save 0 5"}));
  EXPECT_EQ(alerts.state(), AlertState::Shown);
  EXPECT_STREQ(owner.lastRequest.rule.limitText, "10");
  EXPECT_EQ(owner.lastRequest.displayName, "LAN");
  EXPECT_EQ(owner.lastRequest.adapter, &eth);
}

TEST_F(Alerts, NoLongerMeansNoFurtherWindowUntilPreparedAgain) {
  Prepare();
  eth.todayDownload = 20 << 20;
  Ticks(1);
  owner.Take();
  Ticks(10000);
  EXPECT_EQ(owner.Take(), Calls{});
  Prepare();  // a new day: e-mail and program again
  EXPECT_EQ(alerts.state(), AlertState::Idle);
  Ticks(1);
  EXPECT_EQ(owner.Take(), (Calls{"mail 20971520", "run C:\\tools\\cut-off.exe", "window", "save 0 5"}));
}

// The options sheet stays usable while the alert window is open, and a day
// can end under it: neither an apply of the page nor a new day may open a
// second window over the first.
TEST_F(Alerts, PreparingWhileTheWindowIsOpenOpensNoSecondWindow) {
  Prepare();
  eth.todayDownload = 20 << 20;
  owner.whileOpen = [&] {
    Prepare();
    Ticks(2);
    alerts.Disable();
    Prepare();
    Ticks(2);
    EXPECT_EQ(alerts.state(), AlertState::WindowOpen);
  };
  Ticks(1);
  EXPECT_EQ(owner.Take(), (Calls{"mail 20971520", "run C:\\tools\\cut-off.exe", "window", "save 0 5"}));
  EXPECT_EQ(alerts.state(), AlertState::Shown);
}

// The stored bytes, laid out by hand at the documented offsets.
std::vector<uint8_t> StoredRule(uint32_t version) {
  std::vector<uint8_t> v(1148, 0);
  auto put32 = [&](size_t at, uint32_t x) { std::memcpy(&v[at], &x, 4); };
  auto text = [&](size_t at, const char* t) { std::memcpy(&v[at], t, std::strlen(t)); };
  put32(0, version);
  put32(4, 300);
  text(8, "ETH0-ID");
  text(268, "10");
  put32(332, kUnitMB);
  put32(336, kTransferDown);
  put32(340, kPeriodLastDays);
  put32(616, 0);  // read as 1: today only
  put32(620, 1);
  text(624, "admin@example.com");
  return v;
}

TEST_F(Alerts, StoredRuleFiresJustAboveTenMegabytes) {
  MemorySettingsStore store;
  ASSERT_TRUE(store.WriteValue(RegRoot::CurrentUser, "Software\\Quellmark\\Options", "NotificationEx2",
                               {RegType::Binary, StoredRule(3)}));
  NotificationRule stored{};
  ASSERT_EQ(ReadNotificationRule(store, RegRoot::CurrentUser, stored), RuleRead::Accepted);
  MemoryHistory f;
  f.Add(Day(2026, 3, 10, 300, "ETH0-ID", 50 << 20, 0));  // yesterday is outside a one-day period
  alerts.Prepare(stored, kWednesday, RuleCalendar{}, f.file(), list);
  EXPECT_EQ(alerts.prepared().limitBytes, 10485760);
  EXPECT_EQ(alerts.prepared().periodHistorySum, 0u);
  EXPECT_EQ(f.fs.reads, 0);
  eth.todayDownload = 10485760;
  Ticks(1);
  EXPECT_EQ(owner.Take(), Calls{});
  eth.todayDownload = 10485761;
  Ticks(1);
  EXPECT_EQ(owner.Take(), (Calls{"mail 10485761", "window", "save 0 5"}));

  // A record of an unknown version is no rule at all.
  ASSERT_TRUE(store.WriteValue(RegRoot::CurrentUser, "Software\\Quellmark\\Options", "NotificationEx2",
                               {RegType::Binary, StoredRule(1)}));
  ASSERT_EQ(ReadNotificationRule(store, RegRoot::CurrentUser, stored), RuleRead::Rejected);
  alerts.Prepare(stored, kWednesday, RuleCalendar{}, f.file(), list);
  EXPECT_EQ(alerts.prepared().adapter, nullptr);
  Ticks(1);
  EXPECT_EQ(owner.Take(), Calls{});
}

TEST_F(Alerts, NextAlertReopensTheWindowOnlyAfterMinutesTimesSixtyPlusOneTicks) {
  Prepare();
  eth.todayDownload = 20 << 20;
  owner.answer = {1, 1};
  Ticks(1);
  owner.Take();
  EXPECT_EQ(alerts.countdown(), 60);
  Ticks(60);
  EXPECT_EQ(owner.Take(), Calls{});
  Ticks(1);  // the 61st tick after closing: a repeat, window only
  EXPECT_EQ(owner.Take(), (Calls{"window", "save 1 1"}));
}

TEST_F(Alerts, RepeatFindingTheTotalBackUnderTheLimit) {
  Prepare();
  eth.todayDownload = 20 << 20;
  owner.answer = {1, 1};
  Ticks(1);
  owner.Take();
  eth.todayDownload = 0;  // e.g. the live totals were reset
  Ticks(61);
  EXPECT_EQ(alerts.state(), AlertState::Idle);
  EXPECT_EQ(owner.Take(), Calls{});
  eth.todayDownload = 20 << 20;
  Ticks(1);
  EXPECT_EQ(owner.Take(), (Calls{"mail 20971520", "run C:\\tools\\cut-off.exe", "window", "save 1 1"}));
}

TEST_F(Alerts, CtrlNShowsTheAlertAgainOnlyAfterOneWasShown) {
  Prepare();
  alerts.ReShow(true);
  EXPECT_EQ(owner.Take(), Calls{"beep"});
  eth.todayDownload = 20 << 20;
  Ticks(1);
  owner.Take();
  alerts.ReShow(false);
  EXPECT_EQ(owner.Take(), Calls{"beep"});
  owner.answer = {1, 2};
  alerts.ReShow(true);
  EXPECT_EQ(owner.Take(), (Calls{"window", "save 1 2"}));
  EXPECT_EQ(alerts.countdown(), 120);
}

TEST_F(Alerts, ActionsWithoutTheirTextsAreSkipped) {
  rule.emailAddresses[0] = '\0';
  rule.program[0] = '\0';
  Prepare();
  eth.todayDownload = 20 << 20;
  Ticks(1);
  EXPECT_EQ(owner.Take(), (Calls{"window", "save 0 5"}));
}

TEST_F(Alerts, NoMonitoredAdapterNoEvaluation) {
  alerts.Prepare(rule, kWednesday, RuleCalendar{}, nullptr, AdapterList{});
  eth.todayDownload = 20 << 20;
  Ticks(5);
  EXPECT_EQ(owner.Take(), Calls{});
}

TEST_F(Alerts, StoredChoicesAreNormalised) {
  alerts.SetNextAlert(7, 0);
  EXPECT_EQ(alerts.choice().nextAlertType, 0u);
  EXPECT_EQ(alerts.choice().nextAlertMin, 1);
  Prepare();
  eth.todayDownload = 20 << 20;
  owner.answer = {1, INT32_MAX};  // the countdown is held, not wrapped
  Ticks(1);
  EXPECT_EQ(alerts.countdown(), INT32_MAX);
}

class ServiceLog : public ServiceNotificationOwner {
 public:
  std::vector<std::string> lines;
  void Log(const std::string& line) override { lines.push_back(line); }
  void StartNotificationMail(uint64_t total) override { lines.push_back("mail " + std::to_string(total)); }
};

TEST(ServiceNotification, FiresOncePerServiceRun) {
  ServiceLog log;
  ServiceNotification service(log);
  NotificationRule rule = Rule("1", kUnitKB, kTransferBoth, kPeriodLastDays, 1);
  rule.sendEmail = 1;
  SetFieldText(rule.emailAddresses, "admin@example.com, ops@example.org");
  AdapterList list;
  AdapterRecord& eth = list.Append(Adapter(300, "ETH0-ID", "LAN"));
  service.Start(true, rule);
  service.Prepare(kWednesday, RuleCalendar{}, nullptr, list);
  eth.todayDownload = 1000;
  eth.todayUpload = 24;
  service.Evaluate();
  EXPECT_TRUE(log.lines.empty());
  eth.todayUpload = 25;
  service.Evaluate();
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Bandwidth usage exceeds limit.",
                                                 "Send a notification email to admin@example.com, ops@example.org",
                                                 "mail 1025"}));
  EXPECT_FALSE(service.on());
  service.Prepare(MakeDate(2026, 3, 12), RuleCalendar{}, nullptr, list);  // a new day changes nothing
  service.Evaluate();
  EXPECT_EQ(log.lines.size(), 3u);
}

TEST(ServiceNotification, OffOrWithoutAddressesSendsNothing) {
  ServiceLog log;
  ServiceNotification service(log);
  NotificationRule rule = Rule("0", 0, kTransferDown, kPeriodLastDays, 1);
  rule.sendEmail = 1;
  AdapterList list;
  list.Append(Adapter(300, "ETH0-ID", "LAN")).todayDownload = 1;
  service.Start(false, rule);
  service.Prepare(kWednesday, RuleCalendar{}, nullptr, list);
  service.Evaluate();
  EXPECT_TRUE(log.lines.empty());
  service.Start(true, rule);
  service.Prepare(kWednesday, RuleCalendar{}, nullptr, list);
  service.Evaluate();
  EXPECT_EQ(log.lines, std::vector<std::string>{"Bandwidth usage exceeds limit."});
}

TEST(ServiceNotification, WideStoredRuleIsReadIntoTheAnsiRule) {
  NotificationRuleU wide{};
  wide.version = 2;
  wide.adapterKind = 300;
  std::memcpy(wide.adapterId, "ETH0-ID", 8);
  const char16_t limit[] = u"1.5";
  std::memcpy(wide.limitText, limit, sizeof limit);
  wide.unit = kUnitGB;
  wide.nDays = 0;
  wide.sendEmail = 1;
  const char16_t addresses[] = u"j\u00fcrgen@example.com, \u20ac@example.com, \U0001F600@example.com";
  std::memcpy(wide.emailAddresses, addresses, sizeof addresses);
  MemorySettingsStore store;
  ASSERT_TRUE(WriteNotificationRule(store, RegRoot::LocalMachine, wide));
  RegValue stored;
  ASSERT_TRUE(store.ReadValue(RegRoot::LocalMachine, "Software\\Quellmark\\Options", "NotificationEx2U", stored));
  EXPECT_EQ(stored.data.size(), 1992u);

  NotificationRuleU read{};
  ASSERT_EQ(ReadNotificationRule(store, RegRoot::LocalMachine, read), RuleRead::Accepted);
  NotificationRule rule = NarrowNotificationRule(read);
  EXPECT_STREQ(rule.adapterId, "ETH0-ID");
  EXPECT_STREQ(rule.limitText, "1.5");
  EXPECT_EQ(LimitInBytes(rule), 1610612736);
  EXPECT_EQ(rule.nDays, 1);
  EXPECT_STREQ(rule.emailAddresses, "j\xfcrgen@example.com, ?@example.com, ?@example.com");
}

}  // namespace
}  // namespace qm

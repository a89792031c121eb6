// The binary records the programs read from the settings store: the
// notification rule in both forms and the service's report tasks. Any
// bytes an administrator, a .reg file or a damaged registry leaves there
// must decode to a record whose texts end inside their fields, survive a
// write and a read unchanged, and pass through everything that uses them:
// the rule's limit and period, the service's task schedule and the
// administration tool's listings.
//
// Input, numbers little-endian (make_seeds.py writes examples):
//   u8 task count (0-4), then per task: u8 name length, name, u16 size, data
//   u16 size, NotificationEx2;  u16 size, NotificationEx2U;  u32 NotificationEnabled
//   u8 week start, u8 month start, u16 year, u8 month, u8 day, u8 ticks

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "notify/notification_monitor.h"
#include "notify/rule_period.h"
#include "tests/fakes/memory_settings_store.h"
#include "service/admin/admin_commands.h"
#include "service/report_task.h"
#include "service/service_config.h"
#include "settings/notification_rule.h"
#include "settings/registry_layout.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using qm::RegRoot;

// Reads the input front to back; past its end everything is zero or empty.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), left_(size) {}
  uint32_t Number(int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes && left_; ++i, --left_) v |= uint32_t(*p_++) << (8 * i);
    return v;
  }
  std::vector<uint8_t> Bytes(size_t count) {
    if (count > left_) count = left_;
    std::vector<uint8_t> out(p_, p_ + count);
    p_ += count, left_ -= count;
    return out;
  }

 private:
  const uint8_t* p_;
  size_t left_;
};

using qm::fuzz::Check;

template <class C, size_t N>
bool Terminated(const C (&field)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (field[i] == 0) return true;
  return false;
}

template <class Rule>
void CheckRuleTexts(const Rule& r) {
  Check(Terminated(r.adapterId) && Terminated(r.limitText) && Terminated(r.soundFile) &&
        Terminated(r.emailAddresses) && Terminated(r.program));
  Check(r.nDays >= 1);
}

// Decoding, then writing and reading back, gives the same record (written
// as the current version).
template <class Rule>
Rule DecodeRule(const std::vector<uint8_t>& bytes) {
  Rule r;
  qm::RuleRead read = qm::DecodeNotificationRule(bytes.data(), bytes.size(), r);
  CheckRuleTexts(r);
  std::vector<uint8_t> again = qm::EncodeNotificationRule(r);
  Rule back;
  Check(qm::DecodeNotificationRule(again.data(), again.size(), back) == qm::RuleRead::Accepted);
  back.version = r.version;
  if (read == qm::RuleRead::Accepted) Check(std::memcmp(&r, &back, sizeof r) == 0);
  return r;
}

void UseRule(const qm::NotificationRule& rule, const qm::RuleCalendar& calendar, const qm::Date& today) {
  qm::Period period = qm::NotificationPeriod(rule, today, calendar);
  Check(period.Contains(today) && qm::CompareDates(period.first, period.last) <= 0);
  int64_t limit = qm::LimitInBytes(rule);
  (void)limit;
  Check(!qm::PeriodWord(rule).empty() && qm::UnitName(rule.unit) && qm::TransferWord(rule.transferType));
  qm::AdapterList none;
  qm::PreparedRule prepared = qm::PrepareNotification(rule, today, calendar, nullptr, none);
  Check(prepared.adapter == nullptr && prepared.periodHistorySum == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  qm::MemorySettingsStore store;

  const uint32_t values = in.Number(1) % 5;
  for (uint32_t i = 0; i < values; ++i) {
    std::vector<uint8_t> name = in.Bytes(in.Number(1));
    std::vector<uint8_t> bytes = in.Bytes(in.Number(2));
    store.WriteBinary(RegRoot::LocalMachine, qm::kServiceReportsKey, std::string(name.begin(), name.end()),
                      bytes.data(), bytes.size());
  }
  const size_t names = store.ValueNames(RegRoot::LocalMachine, qm::kServiceReportsKey).size();
  std::vector<uint8_t> narrow = in.Bytes(in.Number(2));
  std::vector<uint8_t> wide = in.Bytes(in.Number(2));
  store.WriteBinary(RegRoot::LocalMachine, qm::kOptionsKey, "NotificationEx2U", wide.data(), wide.size());
  store.WriteDword(RegRoot::LocalMachine, qm::kOptionsKey, "NotificationEnabled", in.Number(4));

  // The calendar options as the options model holds them after its checks.
  qm::RuleCalendar calendar;
  calendar.weekStartDay = int(in.Number(1) % 7);
  calendar.monthStartDay = int(in.Number(1) % 31 + 1);
  qm::Date today = qm::MakeDate(int(1601 + in.Number(2) % (30827 - 1601 + 1)), int(in.Number(1) % 12 + 1),
                                int(in.Number(1) % 28 + 1));

  // The desktop program's rule.
  UseRule(DecodeRule<qm::NotificationRule>(narrow), calendar, today);
  // The service's rule, as it narrows it.
  qm::NotificationRule narrowed = qm::NarrowNotificationRule(DecodeRule<qm::NotificationRuleU>(wide));
  CheckRuleTexts(narrowed);
  UseRule(narrowed, calendar, today);

  // The service's schedule: a task runs at the end of each of its intervals.
  std::vector<qm::ReportTask> tasks = qm::ReadServiceConfig(store, RegRoot::LocalMachine).reports;
  Check(tasks.size() <= names);
  for (const qm::ReportTask& t : tasks) {
    Check(t.interval >= 1 && t.countdown == t.interval);
    Check(Terminated(t.adapterId) && Terminated(t.reportFile));
  }
  std::vector<int> runs(tasks.size(), 0);
  const int ticks = int(in.Number(1) % 5 + 1);
  for (int tick = 0; tick < ticks; ++tick)
    qm::AdvanceReportTasks(tasks, [&](const qm::ReportTask& t) { ++runs[size_t(&t - tasks.data())]; });
  for (size_t i = 0; i < tasks.size(); ++i) Check(runs[i] == ticks / tasks[i].interval);

  // The administration tool lists what the service would read: one line per value.
  qm::AdminResult list = qm::RunAdminCommand(store, {"report", "list"});
  Check(list.exitCode == 0 && !list.output.empty() && list.output.back() == '\n');
  qm::AdminResult show = qm::RunAdminCommand(store, {"rule", "show"});
  Check(show.exitCode == 0 && !show.output.empty() && show.output.back() == '\n');
  return 0;
}

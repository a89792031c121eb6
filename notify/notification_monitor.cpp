#include "notify/notification_monitor.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "engine/day_record.h"
#include "format/amount.h"
#include "platform/file.h"

namespace qm {
namespace {

// A history file of absurd totals must not wrap around to a small sum and
// hide the alert.
constexpr auto Add = AddSaturated;

uint64_t Amount(uint32_t transferType, uint64_t download, uint64_t upload) {
  switch (transferType) {
    case kTransferDown: return download;
    case kTransferUp: return upload;
    default: return Add(download, upload);
  }
}

}  // namespace

uint64_t PreparedRule::PeriodTotal(uint32_t transferType) const {
  if (!adapter) return periodHistorySum;
  return Add(periodHistorySum, Amount(transferType, adapter->todayDownload, adapter->todayUpload));
}

bool PreparedRule::Exceeded(uint64_t total) const {
  return limitBytes < 0 || total > uint64_t(limitBytes);
}

uint64_t PeriodHistorySum(const NotificationRule& rule, const Period& period, const Date& today, File* history) {
  // Only the days of the period before today count (today's live totals
  // stand for today). When the period starts today there are none, and the
  // file is not read at all. Records dated after today (a clock that was
  // set back) are not part of the period's past either.
  if (!history || CompareDates(period.first, today) >= 0) return 0;
  const std::string ruleId = FieldText(rule.adapterId);
  const bool pseudo = rule.adapterKind == kKindAllConnections || rule.adapterKind == kKindDialUp;
  uint64_t sum = 0;
  VisitDayRecords(*history, [&](const DayRecord& r, int64_t) {
    if (r.kind != rule.adapterKind || (!pseudo && r.Id() != ruleId)) return true;
    if (CompareDates(r.year, r.month, r.day, period.first.year, period.first.month, period.first.day) < 0 ||
        CompareDates(r.year, r.month, r.day, today.year, today.month, today.day) >= 0 ||
        CompareDates(r.year, r.month, r.day, period.last.year, period.last.month, period.last.day) > 0)
      return true;
    sum = Add(sum, Amount(rule.transferType, r.download, r.upload));
    return true;
  });
  return sum;
}

const AdapterRecord* FindRuleAdapter(const NotificationRule& rule, const AdapterList& adapters) {
  const std::string ruleId = FieldText(rule.adapterId);
  for (size_t i = 0; i < adapters.size(); ++i) {
    const AdapterRecord& a = adapters[i];
    if (a.kind == rule.adapterKind && (a.kind != kKindAdapter || a.id == ruleId)) return &a;
  }
  return nullptr;
}

PreparedRule PrepareNotification(const NotificationRule& rule, const Date& today, const RuleCalendar& calendar,
                                 File* history, const AdapterList& adapters) {
  PreparedRule p;
  p.limitBytes = LimitInBytes(rule);
  p.periodHistorySum = PeriodHistorySum(rule, NotificationPeriod(rule, today, calendar), today, history);
  p.adapter = FindRuleAdapter(rule, adapters);
  return p;
}

void NotificationAlerts::SetNextAlert(uint32_t type, int32_t minutes) {
  choice_.nextAlertType = type == 1 ? 1 : 0;
  choice_.nextAlertMin = minutes <= 0 ? 1 : minutes;
}

void NotificationAlerts::Prepare(const NotificationRule& rule, const Date& today, const RuleCalendar& calendar,
                                 File* history, const AdapterList& adapters) {
  // An open window stays the only one: its closing sets the state.
  if (state_ != AlertState::WindowOpen) state_ = AlertState::Idle;
  countdown_ = 0;
  rule_ = rule;
  calendar_ = calendar;
  prepared_ = PrepareNotification(rule, today, calendar, history, adapters);
}

void NotificationAlerts::Evaluate() {
  if (!prepared_.adapter || state_ == AlertState::WindowOpen) return;
  bool repeat = false;
  if (state_ == AlertState::Shown) {
    if (choice_.nextAlertType == 0) return;
    if (--countdown_ >= 0) return;
    state_ = AlertState::Idle;
    repeat = true;
  }
  uint64_t total = prepared_.PeriodTotal(rule_.transferType);
  if (!prepared_.Exceeded(total)) return;
  // E-mail and program belong to the first alert of a day only.
  if (!repeat) {
    if (rule_.sendEmail && rule_.emailAddresses[0]) owner_.StartNotificationMail(total);
    if (rule_.runProgram && rule_.program[0]) owner_.RunProgram(FieldText(rule_.program));
  }
  ShowAlert();
}

void NotificationAlerts::ReShow(bool notificationEnabled) {
  if (notificationEnabled && state_ == AlertState::Shown)
    ShowAlert();
  else
    owner_.RefusalBeep();
}

void NotificationAlerts::ShowAlert() {
  state_ = AlertState::WindowOpen;
  AlertRequest request;
  request.rule = rule_;
  request.calendar = calendar_;
  request.adapter = prepared_.adapter;
  request.displayName = prepared_.adapter ? prepared_.adapter->displayName : std::string();
  request.periodHistorySum = prepared_.periodHistorySum;
  request.choice = choice_;
  AlertChoice chosen = owner_.ShowAlertWindow(request);
  state_ = AlertState::Shown;
  SetNextAlert(chosen.nextAlertType, chosen.nextAlertMin);
  if (choice_.nextAlertType == 1) {
    int64_t ticks = int64_t(choice_.nextAlertMin) * 60;
    countdown_ = ticks > INT32_MAX ? INT32_MAX : int32_t(ticks);
  }
  owner_.SaveNextAlert(choice_);
}

void ServiceNotification::Prepare(const Date& today, const RuleCalendar& calendar, File* history,
                                  const AdapterList& adapters) {
  if (on_) prepared_ = PrepareNotification(rule_, today, calendar, history, adapters);
}

void ServiceNotification::Evaluate() {
  if (!on_ || !prepared_.adapter) return;
  uint64_t total = prepared_.PeriodTotal(rule_.transferType);
  if (!prepared_.Exceeded(total)) return;
  owner_.Log("Bandwidth usage exceeds limit.");
  on_ = false;  // for the rest of this service run
  std::string addresses = FieldText(rule_.emailAddresses);
  if (rule_.sendEmail && !addresses.empty()) {
    owner_.Log("Send a notification email to " + addresses);
    owner_.StartNotificationMail(total);
  }
}

namespace {

template <size_t N, size_t M>
void Narrow(char (&out)[N], const char16_t (&in)[M]) {
  static_assert(N >= M);
  size_t o = 0;
  for (size_t i = 0; i < M && in[i] && o + 1 < N; ++i) {
    char16_t c = in[i];
    if (c >= 0xDC00 && c <= 0xDFFF && i > 0 && in[i - 1] >= 0xD800 && in[i - 1] <= 0xDBFF) continue;
    out[o++] = c < 0x100 ? char(c) : '?';
  }
  std::memset(out + o, 0, N - o);
}

}  // namespace

NotificationRule NarrowNotificationRule(const NotificationRuleU& w) {
  NotificationRule r{};
  r.version = w.version;
  r.adapterKind = w.adapterKind;
  std::memcpy(r.adapterId, w.adapterId, sizeof r.adapterId);
  Narrow(r.limitText, w.limitText);
  r.unit = w.unit;
  r.transferType = w.transferType;
  r.period = w.period;
  r.playSound = w.playSound;
  Narrow(r.soundFile, w.soundFile);
  r.playBeep = w.playBeep;
  r.beepPattern = w.beepPattern;
  r.nDays = w.nDays;
  r.sendEmail = w.sendEmail;
  Narrow(r.emailAddresses, w.emailAddresses);
  r.runProgram = w.runProgram;
  Narrow(r.program, w.program);
  return r;
}

}  // namespace qm

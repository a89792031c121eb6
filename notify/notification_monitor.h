#pragma once
// The usage-limit rule at run time: its preparation (limit, period sum
// from the history file, monitored adapter) and its evaluation on every
// tick, with the desktop program's alert states and the service's
// once-per-run variant.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/adapter_list.h"
#include "format/dates.h"
#include "notify/rule_period.h"
#include "settings/notification_rule.h"

namespace qm {

class File;

// The rule made ready for evaluation.
struct PreparedRule {
  int64_t limitBytes = 0;
  uint64_t periodHistorySum = 0;           // closed days of the period
  // The engine's record, read live on every tick; none: the rule is not
  // evaluated. Prepare again whenever the list is rebuilt.
  const AdapterRecord* adapter = nullptr;

  // Period history sum plus the adapter's live totals of today.
  uint64_t PeriodTotal(uint32_t transferType) const;
  // Strictly greater than the limit; equality does not fire.
  bool Exceeded(uint64_t total) const;
};

// Sum of the rule's adapter and direction over the days of the period
// before today, from the open history file; 0 when the file is not open
// or the period starts today (the file is not read then). The file
// position is left where the walk ended.
uint64_t PeriodHistorySum(const NotificationRule& rule, const Period& period, const Date& today, File* history);

// The first adapter of the list that the rule names: same kind and, for a
// single adapter, the same ID (case-sensitive).
const AdapterRecord* FindRuleAdapter(const NotificationRule& rule, const AdapterList& adapters);

PreparedRule PrepareNotification(const NotificationRule& rule, const Date& today, const RuleCalendar& calendar,
                                 File* history, const AdapterList& adapters);

// "Alert me again": 0 no longer, 1 after `minutes`.
struct AlertChoice {
  uint32_t nextAlertType = 0;
  int32_t nextAlertMin = 5;
};

// What the alert window is given.
struct AlertRequest {
  NotificationRule rule;
  RuleCalendar calendar;
  const AdapterRecord* adapter = nullptr;
  std::string displayName;
  uint64_t periodHistorySum = 0;
  AlertChoice choice;
};

// The desktop program's side of the rule: the meter window implements it,
// tests record the calls.
class NotificationOwner {
 public:
  virtual ~NotificationOwner() = default;
  // Opens the modal alert window (the tick goes on meanwhile) and returns
  // the user's choice when it closes.
  virtual AlertChoice ShowAlertWindow(const AlertRequest& request) = 0;
  // Starts the notification e-mail for this period total.
  virtual void StartNotificationMail(uint64_t periodTotal) = 0;
  // Starts the program through the shell's "open" verb; the outcome is not checked.
  virtual void RunProgram(const std::string& path) = 0;
  // Writes "NextAlertType" and "NextAlertMin" to the options.
  virtual void SaveNextAlert(const AlertChoice& choice) = 0;
  // The refusal of Ctrl+N: a 300 Hz beep of 100 ms.
  virtual void RefusalBeep() = 0;
};

enum class AlertState { Idle = 0, WindowOpen = 1, Shown = 2 };

// The desktop program's evaluation. Everything runs on the thread of the
// tick; the alert window's modal loop re-enters Evaluate, which then
// returns at once.
class NotificationAlerts {
 public:
  explicit NotificationAlerts(NotificationOwner& owner) : owner_(owner) {}

  // "NextAlertType" (other values read as 0) and "NextAlertMin" (0 or less
  // reads as 1) as read from the options.
  void SetNextAlert(uint32_t type, int32_t minutes);
  // At start, on every new day, when the page is applied with the rule on
  // and when the week or month start of the rule's period changes.
  void Prepare(const NotificationRule& rule, const Date& today, const RuleCalendar& calendar, File* history,
               const AdapterList& adapters);
  // The page applied with the rule off. Neither this nor Prepare ends the
  // state of an open alert window (the options sheet and the day's end can
  // reach them while it is open), so no second window opens over it.
  void Disable() {
    if (state_ != AlertState::WindowOpen) state_ = AlertState::Idle;
  }
  // Once per tick while the rule is on.
  void Evaluate();
  // Ctrl+N: shows the alert again after it was closed; otherwise refuses.
  void ReShow(bool notificationEnabled);

  AlertState state() const { return state_; }
  int32_t countdown() const { return countdown_; }
  const PreparedRule& prepared() const { return prepared_; }
  AlertChoice choice() const { return choice_; }

 private:
  void ShowAlert();

  NotificationOwner& owner_;
  NotificationRule rule_{};
  RuleCalendar calendar_;
  PreparedRule prepared_;
  AlertState state_ = AlertState::Idle;
  int32_t countdown_ = 0;
  AlertChoice choice_;
};

// The service's side: log lines and the e-mail.
class ServiceNotificationOwner {
 public:
  virtual ~ServiceNotificationOwner() = default;
  virtual void Log(const std::string& line) = 0;
  virtual void StartNotificationMail(uint64_t periodTotal) = 0;
};

// The service's evaluation: e-mail only, at most once per service run.
class ServiceNotification {
 public:
  explicit ServiceNotification(ServiceNotificationOwner& owner) : owner_(owner) {}

  // The rule is on when "NotificationEnabled" and the service's own
  // notification option are both set.
  void Start(bool on, const NotificationRule& rule) {
    on_ = on;
    rule_ = rule;
  }
  // After the history file is opened and on each new day; nothing once
  // the rule has fired.
  void Prepare(const Date& today, const RuleCalendar& calendar, File* history,
               const AdapterList& adapters);
  void Evaluate();

  bool on() const { return on_; }
  const PreparedRule& prepared() const { return prepared_; }

 private:
  ServiceNotificationOwner& owner_;
  NotificationRule rule_{};
  PreparedRule prepared_;
  bool on_ = false;
};

// The service reads the wide rule and works with it in the ANSI code page.
// Characters beyond Latin-1 become "?".
NotificationRule NarrowNotificationRule(const NotificationRuleU& wide);

}  // namespace qm

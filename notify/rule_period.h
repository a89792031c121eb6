#pragma once
// The period a notification rule sums over, and the words the alert and
// the e-mail use for the rule's fields.

#include <cstdint>
#include <string>

#include "format/dates.h"
#include "settings/notification_rule.h"

namespace qm {

// The calendar options the rule depends on.
struct RuleCalendar {
  int weekStartDay = 0;      // 0 = Sunday
  int monthStartDay = 1;
  uint32_t dateFormat = kDateMDYSlash;
};

// The period holding `today`: the week, the accounting month, or the last
// N days (any other period value counts as last N days).
Period NotificationPeriod(const NotificationRule& rule, const Date& today, const RuleCalendar& calendar);

// The limit text read as a decimal number times the unit, truncated to
// whole bytes. Empty or unreadable text gives 0; a limit beyond what 64
// bits hold is held at the largest value instead of wrapping around.
int64_t LimitInBytes(const NotificationRule& rule);

// "Bytes", "KB", "MB", "GB", "TB"; any other unit reads as "Bytes".
const char* UnitName(uint32_t unit);
// "downloaded", "uploaded", "downloaded and uploaded" (any other value).
const char* TransferWord(uint32_t transferType);
// "week", "month", or "%d days" with N (any other value).
std::string PeriodWord(const NotificationRule& rule);

}  // namespace qm
